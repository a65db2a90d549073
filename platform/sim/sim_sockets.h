// Simulated Windows Sockets: a host-name table, the machine's own name and address, and
// start-up reference counting as ws2_32 does it. Name calls fail while sockets are not started.
#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sockets.h"

namespace qvx::sim {

// inet_addr's forms (a, a.b, a.b.c, a.b.c.d; each part decimal, 0x hex or 0 octal), giving the
// address in network byte order; nothing for any other text.
std::optional<std::uint32_t> parse_ipv4(const std::string& text);
// Dotted-decimal text of an address in network byte order.
std::string address_to_dotted(std::uint32_t address);
// parse_ipv4 for test values that must be addresses; throws on anything else.
std::uint32_t ipv4(const std::string& text);

class SimSockets : public platform::Sockets {
 public:
  SimSockets();

  bool startup(int major, int minor, std::uint16_t& version_obtained) override;
  void cleanup() override;
  std::optional<std::string> host_name() override;
  std::optional<std::uint32_t> resolve(const std::string& name) override;
  std::uint32_t inet_addr(const std::string& text) override;
  std::string inet_ntoa(std::uint32_t address) override;

  // Test side. Names are matched without regard to case, as the resolver does.
  void add_host(const std::string& name, const std::string& address);
  void remove_host(const std::string& name);
  // The machine's host name (empty: gethostname fails) and the address it resolves to
  // (empty: it does not resolve). At first "quovix-pc" at 192.168.1.5.
  void set_machine(const std::string& name, const std::string& local_address);
  void fail_startup(bool fail);
  // Every name lookup takes this long in real time, as one that asks a server does.
  void take_lookup_time(unsigned ms);
  // Highest version this "ws2_32" offers; a start-up obtains the lower of the one asked for
  // and this, reported as wVersion is.
  void set_highest_version(int major, int minor);

  int startups() const;  // successful start-ups
  int cleanups() const;  // clean-ups that matched one
  int unmatched_cleanups() const;
  int active() const;  // start-ups not yet cleaned up
  int lookups(const std::string& name) const;

 private:
  static std::string key(const std::string& name);

  mutable std::mutex mutex_;
  std::map<std::string, std::uint32_t> hosts_;
  std::map<std::string, int> lookups_;
  std::string machine_name_;
  bool startup_fails_ = false;
  int highest_major_ = 2, highest_minor_ = 2;
  unsigned lookup_ms_ = 0;
  int startups_ = 0, cleanups_ = 0, unmatched_ = 0;
};

}  // namespace qvx::sim
