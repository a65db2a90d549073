// GetAdaptersInfo as Windows lays its answer out: the IP_ADAPTER_INFO records one after the
// other in the caller's buffer, chained by Next, with the second and later IP_ADDR_STRINGs of
// every list placed after the last record.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "iphlp_state.h"

using iphlp_double::Call;

namespace {

constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(IP_ADDR_STRING) == (kWin64 ? 48 : 40));
static_assert(sizeof(IP_ADAPTER_INFO) == (kWin64 ? 704 : 640));

void put(char* field, std::size_t size, const std::string& s) {
  std::memset(field, 0, size);
  std::memcpy(field, s.data(), s.size() < size ? s.size() : size - 1);
}

// Fills the inline head of a list and takes the rest from the spill area.
void fill_list(IP_ADDR_STRING& head, const std::vector<qvx::model::Address>& items,
               IP_ADDR_STRING*& spill) {
  IP_ADDR_STRING* at = &head;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) {
      at->Next = spill;
      at = spill++;
      std::memset(at, 0, sizeof *at);
    }
    put(at->IpAddress.String, sizeof at->IpAddress.String, items[i].ip);
    put(at->IpMask.String, sizeof at->IpMask.String, items[i].mask);
  }
}

std::vector<qvx::model::Address> or_empty(std::vector<qvx::model::Address> items) {
  // An adapter without an address or gateway shows 0.0.0.0 in the inline entry.
  if (items.empty()) items.push_back({"0.0.0.0", "0.0.0.0"});
  return items;
}

std::vector<qvx::model::Address> gateways_of(const qvx::model::Adapter& a) {
  std::vector<qvx::model::Address> out;
  for (const auto& g : a.gateways) out.push_back({g, "255.255.255.255"});
  return or_empty(out);
}

std::size_t spilled(const qvx::model::Adapter& a) {
  return or_empty(a.addresses).size() - 1 + gateways_of(a).size() - 1;
}

}  // namespace

extern "C" {

ULONG WINAPI GetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) {
  Call c("GetAdaptersInfo");
  c.pointer("buf", info);
  if (!size) return c.finish(ERROR_INVALID_PARAMETER);
  c.arg("size", *size);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  std::vector<const qvx::model::Adapter*> adapters;
  const DWORD listed = qvx::model::get_adapters_info(c.state.machine, adapters);
  c.arg("adapters", static_cast<std::uint32_t>(adapters.size()));
  if (listed != NO_ERROR) return c.finish(listed);
  std::size_t extra = 0;
  for (const auto* a : adapters) extra += spilled(*a);
  const ULONG needed = static_cast<ULONG>(adapters.size() * sizeof(IP_ADAPTER_INFO) +
                                          extra * sizeof(IP_ADDR_STRING));
  if (!info || *size < needed) {
    *size = needed;
    c.arg("out_size", needed);
    c.state.reveal_after_query();
    return c.finish(ERROR_BUFFER_OVERFLOW);
  }
  std::memset(info, 0, needed);
  auto* spill = reinterpret_cast<IP_ADDR_STRING*>(info + adapters.size());
  std::string indexes;
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    const auto& a = *adapters[i];
    IP_ADAPTER_INFO& r = info[i];
    r.Next = i + 1 < adapters.size() ? &info[i + 1] : nullptr;
    r.ComboIndex = a.index;
    char text[64];
    std::snprintf(text, sizeof text, "{QVX-DOUBLE-%08lX}", static_cast<unsigned long>(a.index));
    put(r.AdapterName, sizeof r.AdapterName, text);
    std::snprintf(text, sizeof text, a.tunnel ? "WAN (PPP/SLIP) Interface %lu" : "Ethernet %lu",
                  static_cast<unsigned long>(a.index));
    put(r.Description, sizeof r.Description, text);
    r.AddressLength = 6;
    const unsigned char mac[6] = {0x02,
                                  0x51,
                                  0x56,
                                  0x58,
                                  static_cast<unsigned char>(a.index >> 8),
                                  static_cast<unsigned char>(a.index)};
    std::memcpy(r.Address, mac, sizeof mac);
    r.Index = a.index;
    r.Type = a.type;
    fill_list(r.IpAddressList, or_empty(a.addresses), spill);
    fill_list(r.GatewayList, gateways_of(a), spill);
    fill_list(r.DhcpServer, or_empty({}), spill);
    fill_list(r.PrimaryWinsServer, or_empty({}), spill);
    fill_list(r.SecondaryWinsServer, or_empty({}), spill);
    indexes += (i ? "," : "") + std::to_string(a.index);
  }
  *size = needed;
  c.arg("out_size", needed);
  c.text("indexes", indexes);
  return c.finish(NO_ERROR);
}

}  // extern "C"
