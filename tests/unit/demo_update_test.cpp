// The demo service's update manifest and setup download, over real HTTP on loopback.
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "tools/demo_service/demo_server.h"
#include "update/manifest.h"
#include "update/sha256.h"

namespace qvx::demo {
namespace {

class DemoUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 5000; ++i) setup_ += static_cast<char>(i * 7);
    path_ = ::testing::TempDir() + "quovix-9.99.1-setup-" + std::to_string(getpid()) + ".exe";
    std::ofstream(path_, std::ios::binary) << setup_;
  }
  void TearDown() override { std::remove(path_.c_str()); }

  void start(bool with_release = true) {
    std::string error;
    if (with_release) {
      auto release = UpdateRelease::load(path_, "9.99.1", &error);
      ASSERT_TRUE(release) << error;
      server_.set_update(*release);
    }
    ASSERT_GT(server_.start(0), 0);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_.port());
  }
  update::Manifest manifest() {
    auto res = client_->Get("/ClientComm/update.asp?t=abcde");
    EXPECT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    const update::ManifestResult parsed = update::parse_manifest(res->body);
    EXPECT_TRUE(parsed.manifest) << parsed.error << "\n" << res->body;
    return parsed.manifest.value_or(update::Manifest{});
  }
  std::string download_path() { return manifest().url.substr(server_.base_url().size()); }

  std::string setup_, path_;
  DemoServer server_{AccountBook::load(QVX_DEMO_ACCOUNTS)};
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(DemoUpdate, ManifestDescribesTheSetupItServes) {
  start();
  const update::Manifest m = manifest();
  EXPECT_EQ(m.version, "9.99.1");
  EXPECT_EQ(m.number, "9991");
  EXPECT_EQ(m.size, setup_.size());
  EXPECT_EQ(m.sha256, update::sha256_hex(setup_));
  EXPECT_EQ(m.url.rfind(server_.base_url() + "/dl/quovix-9.99.1-setup-", 0), 0u) << m.url;
  auto res = client_->Get(download_path());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, setup_);
  // Other /dl/ names stay the vendor's pages; the manifest needs a token like every reply.
  EXPECT_EQ(client_->Get("/dl/")->status, 200);
  EXPECT_EQ(client_->Get("/ClientComm/update.asp")->status, 400);
}

TEST_F(DemoUpdate, SwitchesSpoilTheDownloadButNotTheManifest) {
  start();
  const update::Manifest before = manifest();
  std::string error;
  ASSERT_TRUE(server_.apply("download=corrupt", &error)) << error;
  auto corrupt = client_->Get(download_path());
  EXPECT_EQ(corrupt->body.size(), setup_.size());
  EXPECT_NE(update::sha256_hex(corrupt->body), before.sha256);
  ASSERT_TRUE(server_.apply("download=truncated", &error));
  EXPECT_LT(client_->Get(download_path())->body.size(), setup_.size());
  ASSERT_TRUE(server_.apply("download=404", &error));
  EXPECT_EQ(client_->Get(download_path())->status, 404);
  EXPECT_EQ(manifest().sha256, before.sha256);
  EXPECT_FALSE(server_.apply("download=fast", &error));
  ASSERT_TRUE(server_.apply("reset", &error));
  EXPECT_EQ(client_->Get(download_path())->body, setup_);
}

TEST_F(DemoUpdate, SlowDownloadIsThrottledButWhole) {
  start();
  std::string error;
  ASSERT_TRUE(server_.apply("download=slow", &error));
  const auto started = std::chrono::steady_clock::now();
  auto res = client_->Get(download_path());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, setup_);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
}

TEST_F(DemoUpdate, NoReleaseConfiguredAnswers404AndBadVersionsAreRefused) {
  start(false);
  EXPECT_EQ(client_->Get("/ClientComm/update.asp?t=abcde")->status, 404);
  std::string error;
  EXPECT_FALSE(UpdateRelease::load(path_, "2.5", &error));
  EXPECT_FALSE(UpdateRelease::load("/nonexistent/setup.exe", "2.43.1", &error));
}

}  // namespace
}  // namespace qvx::demo
