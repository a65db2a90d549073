// Simulated Windows Sockets: a host-name table, the machine's own name and address.
#pragma once
#include <map>
#include <mutex>

#include "platform/sockets.h"

namespace qvx::sim {

// Dotted IPv4 text to network byte order, as inet_addr reads it; kInaddrNone otherwise.
std::uint32_t dotted_to_address(const std::string& text);
std::string address_to_dotted(std::uint32_t address);

class SimSockets : public platform::Sockets {
 public:
  SimSockets();
  bool startup(int major, int minor, std::uint16_t& version_obtained) override;
  void cleanup() override;
  std::optional<std::string> host_name() override;
  std::optional<std::uint32_t> resolve(const std::string& name) override;
  std::uint32_t inet_addr(const std::string& text) override { return dotted_to_address(text); }
  std::string inet_ntoa(std::uint32_t address) override { return address_to_dotted(address); }

  // Test side.
  void add_host(const std::string& name, const std::string& dotted);
  void remove_host(const std::string& name);
  void set_machine(const std::string& name, const std::string& dotted);  // empty name: no name
  void fail_startup(bool fail) { fail_startup_ = fail; }
  // Answer every startup with this version instead of the one asked for (0: as asked).
  void force_version(std::uint16_t v) { forced_version_ = v; }
  int startups() const { return startups_; }
  int cleanups() const { return cleanups_; }
  int lookups(const std::string& name) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::uint32_t> hosts_;
  std::map<std::string, int> lookups_;
  std::string machine_name_;
  bool fail_startup_ = false;
  std::uint16_t forced_version_ = 0;
  int startups_ = 0;
  int cleanups_ = 0;
};

}  // namespace qvx::sim
