// A whole client over the simulated machine and the headless UI, started as the real
// process entry starts it. restart() ends the "process" and starts a new one on the same
// machine, so files, registry and phone book carry over.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/sim/sim_platform.h"
#include "shell/application.h"
#include "shell/unit1.h"
#include "shell/unit9.h"
#include "status/unit2.h"
#include "widgets/headless/headless_ui.h"
#include "windows/unit3.h"
#include "windows/unit4.h"
#include "windows/unit5.h"

namespace qvx::testing {

inline std::filesystem::path fresh_test_dir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("qvx-") + info->test_suite_name() + "-" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  const auto dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

class AppTest : public ::testing::Test {
 protected:
  AppTest() : root_(fresh_test_dir()), os(root_) {}
  ~AppTest() override {
    stop();
    std::filesystem::remove_all(root_);
  }

  virtual Deployment deployment() { return Deployment::built_in(); }

  // Starts the client; false when it refused to start (a second copy).
  bool start() {
    ui = std::make_unique<widgets::HeadlessUi>();
    app = std::make_unique<Application>(os.platform(), *ui, deployment());
    return app->start();
  }
  void stop() {
    app.reset();
    ui.reset();
    os.mutex.end_process();
    os.downloader.end_process();
  }
  void restart() {
    stop();
    ASSERT_TRUE(start());
  }

  TForm1& f1() { return *app->Form1; }
  TForm2& f2() { return *app->Form2; }
  std::string log() { return os.files.get("C:\\Quovix\\qvxl.log").value_or(""); }
  std::vector<std::string> boxes() { return ui->box_texts(); }

  std::filesystem::path root_;
  sim::SimPlatform os;
  std::unique_ptr<widgets::HeadlessUi> ui;
  std::unique_ptr<Application> app;
};

}  // namespace qvx::testing
