// The update's steps on Windows: urlmon downloads, the progress window, Authenticode, the
// client's mutex, the setup's process, message boxes and update.log.
#pragma once
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_downloader.h"
#include "update/front.h"
#include "update/win32/progress_window.h"

namespace qvx::update::win32 {

// Where update.exe moves itself while the setup runs; the next run and the uninstaller
// (qvx*.tmp) delete it.
inline constexpr char kSetAsideName[] = "qvxupdate.tmp";

class Win32Front : public Front {
 public:
  // dir: update.exe's folder with its final backslash; program: update.exe's full path.
  Win32Front(platform::Platform os, ProgressWindow& window, Win32Downloader& downloader,
             std::string dir, std::string program);

  std::string token() override;
  std::optional<std::string> fetch(const std::string& url) override;
  std::string make_private_folder() override;
  Download download(const std::string& url, const std::string& path, std::uint64_t size) override;
  std::optional<FileFacts> inspect(const std::string& path) override;
  Signature check_signature(const std::string& path) override;
  bool cancelled() override { return window_.cancelled(); }
  bool wait_for_client() override;
  std::optional<int> run_setup(const std::string& path) override;
  void remove(const std::string& path, const std::string& folder) override;
  bool start_client() override;
  void message(const std::string& text) override;
  void log(const std::string& line) override;

 private:
  platform::Platform os_;
  ProgressWindow& window_;
  Win32Downloader& downloader_;
  const std::string dir_, program_;
};

}  // namespace qvx::update::win32
