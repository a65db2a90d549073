#include "shell/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/sim/sim_basics.h"
#include "platform/sim/sim_files.h"

namespace qvx {
namespace {

std::tm at(int y, int mo, int d, int h, int mi, int s) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return t;
}

TEST(RunLogFormat, NumbersHaveNoLeadingZeros) {
  EXPECT_EQ(log_time_stamp(at(2008, 3, 12, 9, 5, 7)), "[2008-3-12 9:5:7]  ");
  EXPECT_EQ(log_time_stamp(at(2009, 1, 1, 8, 3, 4)), "[2009-1-1 8:3:4]  ");
  EXPECT_EQ(log_date_header(at(2009, 1, 1, 8, 3, 4)),
            "---------------------[2009-1-1]---------------------");
}

class RunLogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("qvx-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    files_ = std::make_unique<sim::SimFiles>(root_);
    clock_.set_local(2009, 1, 1, 8, 3, 4);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::string content() { return files_->get("C:\\Quovix\\qvxl.log").value_or("<none>"); }

  std::filesystem::path root_;
  std::unique_ptr<sim::SimFiles> files_;
  sim::SimClock clock_;
  RunLog log_;
};

TEST_F(RunLogFile, HeaderOnlyWhenAskedAndCrLfOnDisk) {
  EXPECT_EQ(log_.open(*files_, clock_, "C:\\Quovix\\"), -1);
  log_.write("first", 1);
  log_.write("", 0);
  log_.write("third", 2);
  EXPECT_EQ(content(),
            "\r\n\r\n---------------------[2009-1-1]---------------------\r\n"
            "[2009-1-1 8:3:4]  first\r\n[2009-1-1 8:3:4]  \r\n[2009-1-1 8:3:4]  third\r\n");
}

TEST_F(RunLogFile, AppendsBelowTheLimitAndEmptiesAtIt) {
  files_->put("C:\\Quovix\\qvxl.log", std::string(2047999, 'x'));
  EXPECT_EQ(log_.open(*files_, clock_, "C:\\Quovix\\"), 2047999);
  log_.write("a", 0);
  log_.close();
  EXPECT_EQ(content().size(), 2047999u + 21u);

  files_->put("C:\\Quovix\\qvxl.log", std::string(2048000, 'x'));
  EXPECT_EQ(log_.open(*files_, clock_, "C:\\Quovix\\"), 2048000);
  log_.write("a", 0);
  log_.close();
  EXPECT_EQ(content(), "[2009-1-1 8:3:4]  a\r\n");
}

TEST_F(RunLogFile, UnwritableFileLosesLinesSilently) {
  files_->make_read_only("C:\\Quovix\\");
  log_.open(*files_, clock_, "C:\\Quovix\\");
  log_.write("lost", 1);
  EXPECT_FALSE(log_.is_open());
  EXPECT_EQ(content(), "<none>");
}

TEST_F(RunLogFile, ConcurrentWritersGiveWholeLines) {
  log_.open(*files_, clock_, "C:\\Quovix\\");
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([this, w] {
      for (int i = 0; i < 200; ++i) log_.write("writer" + std::to_string(w) + "-line", 0);
    });
  }
  for (auto& t : writers) t.join();
  log_.close();
  const std::string text = content();
  std::size_t lines = 0, start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = text.substr(start, end - start);
    ASSERT_EQ(line.rfind("[2009-1-1 8:3:4]  writer", 0), 0u) << line;
    ASSERT_EQ(line.size(), std::string("[2009-1-1 8:3:4]  writer0-line").size()) << line;
    ++lines;
  }
  EXPECT_EQ(lines, 800u);
  EXPECT_EQ(start, text.size());
}

}  // namespace
}  // namespace qvx
