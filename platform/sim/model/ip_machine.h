// One machine as IP Helper shows it: its Windows generation, adapters with their interface
// metrics, and the IPv4 routing table. The rules of the functions over it are in
// route_table.h and here (adapters and interfaces).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ip_helper.h"

namespace qvx::model {

// Result codes (winerror.h).
constexpr std::uint32_t kNoError = 0;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kNoData = 232;
constexpr std::uint32_t kNotFound = 1168;
constexpr std::uint32_t kProcNotFound = platform::kErrorProcNotFound;
constexpr std::uint32_t kAlreadyExists = platform::kErrorObjectAlreadyExists;

constexpr std::uint16_t kAfInet = 2;
constexpr std::uint16_t kAfInet6 = 23;

enum class Generation {
  VistaAndLater,  // the rules the current pages state
  Xp,             // no interface metric, no *2 functions, rows found without their next hop
};

struct Address {
  std::string ip, mask;
};

struct Adapter {
  std::uint32_t index = 0;
  std::uint32_t type = platform::kIfTypeEthernet;
  std::uint32_t metric = 0;  // the IPv4 interface metric (MIB_IPINTERFACE_ROW.Metric)
  std::vector<Address> addresses;
  std::vector<std::string> gateways;
  bool tunnel = false;       // our own tunnel: present only while it is up
  bool after_query = false;  // hidden until an adapter list's size has been asked for
};

struct IpMachine {
  Generation generation = Generation::VistaAndLater;
  // SetIpForwardEntry answers NO_ERROR and keeps metric1: its page lists dwForwardMetric1
  // among the members the function does not currently use.
  bool ignore_set_metric = false;
  bool modern_standby = false;    // carried for the power model
  std::uint32_t code_page = 936;  // the ANSI code page, carried for the RAS model
  bool tunnels_up = false;
  std::vector<Adapter> adapters;
  std::vector<platform::ForwardRow> routes;

  bool xp() const { return generation == Generation::Xp; }
  // The adapters that exist now, in the order GetAdaptersInfo lists them.
  std::vector<const Adapter*> present() const;
  const Adapter* find_interface(std::uint32_t index) const;  // a present adapter
};

// GetAdaptersInfo (learn.microsoft.com, iphlpapi.h): ERROR_NO_DATA when there is no adapter.
std::uint32_t get_adapters_info(const IpMachine& m, std::vector<const Adapter*>& out);

// GetIpInterfaceEntry (learn.microsoft.com, netioapi.h), from Vista on: Family must be AF_INET
// or AF_INET6; an interface that does not exist is ERROR_FILE_NOT_FOUND.
std::uint32_t get_ip_interface_entry(const IpMachine& m, std::uint16_t family, std::uint32_t index,
                                     std::uint32_t& metric);

// An interface that goes away takes its routes with it.
void remove_adapter(IpMachine& m, std::uint32_t index);

}  // namespace qvx::model
