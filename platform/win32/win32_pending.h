// QVX-UNBUILT: stand-ins for the Win32 RAS and downloader until their real versions land;
// each owner deletes its class here and includes its own header in win32_platform.cpp.
// Dialling and downloads fail; the clean-up calls find nothing to do.
#pragma once
#include "platform/download.h"
#include "platform/ras.h"

namespace qvx {
namespace win32 {

class Win32Ras : public platform::Ras {
 public:
  static constexpr std::uint32_t kUnavailable = 633;  // ERROR_PORT_NOT_AVAILABLE
  std::uint32_t entry_size(std::uint32_t&) override { return kUnavailable; }
  std::uint32_t set_entry(const std::string&, const platform::RasEntry&, std::uint32_t) override {
    return kUnavailable;
  }
  std::uint32_t dial(const std::string&, const std::string&, const std::string&,
                     platform::RasHandle&) override {
    return kUnavailable;
  }
  std::uint32_t hang_up(platform::RasHandle) override { return 0; }
  std::uint32_t connections(std::vector<platform::RasConnection>&) override { return 0; }
  std::uint32_t entries(bool, std::vector<std::string>&) override { return 0; }
  std::uint32_t delete_entry(const std::string&) override { return 0; }
  std::uint32_t connect_status(platform::RasHandle, std::uint32_t&) override {
    return kUnavailable;
  }
  std::uint32_t statistics(platform::RasHandle, std::uint32_t&, std::uint32_t&) override {
    return kUnavailable;
  }
};

}  // namespace win32

class Win32Downloader : public platform::Downloader {
 public:
  long download(const std::string&, const std::string&) override {
    return static_cast<long>(0x800C0008);  // INET_E_DOWNLOAD_FAILURE
  }
};

}  // namespace qvx
