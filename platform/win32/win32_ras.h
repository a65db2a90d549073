// Remote Access over rasapi32: owns the record sizes, the zero-filled records and the
// heap blocks of the "buffer too small" retries.
#pragma once
#include "platform/ras.h"

namespace qvx::win32 {

class Win32Ras : public platform::Ras {
 public:
  std::uint32_t entry_size(std::uint32_t& size) override;
  std::uint32_t set_entry(const std::string& name, const platform::RasEntry& entry,
                          std::uint32_t entry_size) override;
  std::uint32_t dial(const std::string& entry_name, const std::string& user,
                     const std::string& password, platform::RasHandle& handle) override;
  std::uint32_t hang_up(platform::RasHandle handle) override;
  std::uint32_t connections(std::vector<platform::RasConnection>& out) override;
  std::uint32_t entries(bool first_call_with_buffer, std::vector<std::string>& out) override;
  std::uint32_t delete_entry(const std::string& name) override;
  std::uint32_t connect_status(platform::RasHandle handle, std::uint32_t& state) override;
  std::uint32_t statistics(platform::RasHandle handle, std::uint32_t& received,
                           std::uint32_t& sent) override;
  std::uint32_t ip_projection(platform::RasHandle handle, std::string& address,
                              std::string& server) override;
};

}  // namespace qvx::win32
