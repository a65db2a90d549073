#include "platform/sim/sim_ras.h"

#include <algorithm>
#include <stdexcept>

#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_sockets.h"

namespace qvx::sim {

using platform::RasHandle;

namespace {
constexpr std::uint32_t kInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
constexpr std::uint32_t kInvalidName = 123;       // ERROR_INVALID_NAME
constexpr std::uint32_t kPortNotAvailable = 633;  // ERROR_PORT_NOT_AVAILABLE

// "RasSetEntryPropertiesA function (ras.h)", learn.microsoft.com: the caller must provide
// dwSize, szLocalPhoneNumber, szDeviceName, szDeviceType, dwFramingProtocol, dwfOptions and
// dwType, or the call fails with ERROR_INVALID_PARAMETER. Values as the RASENTRY structure
// page lists them; every dwfOptions value, 0 too, is one, so that member cannot be checked.
bool required_members_set(const platform::RasEntry& e) {
  constexpr std::uint32_t kFramingPpp = 1, kFramingSlip = 2, kFramingRas = 4;  // RASFP_*
  constexpr std::uint32_t kTypePhone = 1, kTypeBroadband = 5;  // RASET_Phone..Broadband
  const std::uint32_t framing = e.framing_protocol;
  return !e.phone_number.empty() && !e.device_name.empty() && !e.device_type.empty() &&
         (framing == kFramingPpp || framing == kFramingSlip || framing == kFramingRas) &&
         e.type >= kTypePhone && e.type <= kTypeBroadband;
}
}  // namespace

std::optional<std::uint32_t> SimRas::take_fault(Call call, const std::string& name) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->call != call || (!it->name.empty() && it->name != name)) continue;
    if (it->throws) {
      faults_.erase(it);
      throw std::runtime_error("simulated RAS fault");
    }
    const std::uint32_t code = it->code;
    if (it->times > 0 && --it->times == 0) faults_.erase(it);
    return code;
  }
  if (periodic_ && periodic_->call == call && ++periodic_->seen % periodic_->period == 0) {
    std::uniform_int_distribution<std::size_t> pick(0, periodic_->codes.size() - 1);
    injected_.push_back(periodic_->codes[pick(periodic_->draw)]);
    return injected_.back();
  }
  return std::nullopt;
}

std::uint32_t SimRas::record(CallRecord r) {
  calls_.push_back(r);
  return r.result;
}

// RasHangUp (learn.microsoft.com): the call returns before the connection is fully closed;
// until then it is still enumerated, RasGetConnectStatus still answers for its handle, and its
// port cannot be dialled again. Once it is closed the handle is invalid.
void SimRas::remove_taken_down() {
  const auto now = std::chrono::steady_clock::now();
  connections_.erase(
      std::remove_if(connections_.begin(), connections_.end(),
                     [&](const Connection& c) { return c.gone_at && *c.gone_at <= now; }),
      connections_.end());
}

SimRas::Connection* SimRas::find(RasHandle handle) {
  remove_taken_down();
  for (auto& c : connections_) {
    if (c.handle == handle) return &c;
  }
  return nullptr;
}

std::vector<SimRas::Entry>::iterator SimRas::find_entry(const std::string& name) {
  return std::find_if(phone_book_.begin(), phone_book_.end(),
                      [&](const Entry& e) { return e.name == name; });
}

SimRas::Connection SimRas::new_connection(const std::string& entry_name, std::uint32_t state,
                                          const std::string& user, const std::string& password) {
  Connection c;
  c.handle = next_handle_++;
  c.entry_name = entry_name;
  c.state = state;
  c.user = user;
  c.password = password;
  return c;
}

std::uint32_t SimRas::entry_size(std::uint32_t& size) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::EntrySize);
  if (auto code = take_fault(Call::EntrySize, "")) {
    r.result = *code;
  } else {
    size = entry_record_size;
    r.result = platform::kRasBufferTooSmall;
  }
  return record(r);
}

std::uint32_t SimRas::set_entry(const std::string& name, const platform::RasEntry& entry,
                                std::uint32_t entry_size) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::SetEntry);
  r.name = name;
  r.entry = entry;
  r.entry_size = entry_size;
  if (auto code = take_fault(Call::SetEntry, name)) {
    r.result = *code;
  } else if (entry_size != entry_record_size) {
    r.result = platform::kRasInvalidSize;
  } else if (name.empty()) {
    r.result = kInvalidName;
  } else if (profile == WindowsProfile::VistaAndLater && !required_members_set(entry)) {
    // The XP-like profile keeps the older model, which took any entry.
    r.result = kInvalidParameter;
  } else {
    auto it = find_entry(name);
    if (it == phone_book_.end()) it = phone_book_.insert(phone_book_.end(), Entry{name, {}, 0});
    it->fields = entry;
    it->size = entry_size;
  }
  return record(r);
}

std::uint32_t SimRas::dial(const std::string& entry_name, const std::string& user,
                           const std::string& password, RasHandle& handle) {
  std::unique_lock<std::mutex> lock(mutex_);
  CallRecord r(Call::Dial);
  r.name = entry_name;
  r.user = user;
  r.password = password;
  remove_taken_down();
  const bool port_busy =
      std::any_of(connections_.begin(), connections_.end(),
                  [&](const Connection& c) { return c.gone_at && c.entry_name == entry_name; });
  if (auto code = take_fault(Call::Dial, entry_name)) {
    // Like RAS, a failed dial still hands out a handle to a half-made connection that
    // stays until it is hung up.
    r.result = *code;
    Connection c = new_connection(entry_name, platform::kRasDisconnected, user, password);
    c.listed = failed_dials_listed;
    connections_.push_back(c);
    handle = r.handle = c.handle;
  } else if (find_entry(entry_name) == phone_book_.end()) {
    r.result = platform::kRasEntryNotFound;
  } else if (port_busy) {
    r.result = kPortNotAvailable;
  } else {
    // The entry was read when the dial began; the line may take its time to come up.
    dial_waiting_ = hold_dials_;
    dials_released_.wait(lock, [this] { return !hold_dials_; });
    dial_waiting_ = false;
    Connection c = new_connection(entry_name, platform::kRasConnected, user, password);
    handle = r.handle = c.handle;
    if (!drop_new_connections_) {
      c.adapter_index = bring_up_tunnel();
      connections_.push_back(c);
    }
  }
  return record(r);
}

// The entry's remote default gateway option makes the tunnel the default route. From Vista on
// a PPP interface is numbered small and reports gateway 0.0.0.0 (IP_ADAPTER_INFO,
// learn.microsoft.com: indices are not persistent); on XP the dial-up interface was numbered
// above 5000. Its default route is the model's (qvx::model::dial_default_route).
std::uint32_t SimRas::bring_up_tunnel() {
  const bool vista = adapters_.profile() == WindowsProfile::VistaAndLater;
  const std::uint32_t index = vista ? next_small_index_++ : next_adapter_index_++;
  const std::string gateway = vista ? "0.0.0.0" : tunnel_gateway;
  adapters_.add_adapter({index, {tunnel_address}, {gateway}, platform::kIfTypePpp},
                        vista ? tunnel_metric : 0);
  adapters_.delay_addresses(index, tunnel_address_late_listings);
  adapters_.add_dial_default_route(index);
  return index;
}

std::uint32_t SimRas::ip_projection(RasHandle handle, std::string& address, std::string& server) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::Projection);
  r.handle = handle;
  if (auto code = take_fault(Call::Projection, "")) {
    r.result = *code;
  } else if (const Connection* c = find(handle); c && c->adapter_index != 0) {
    address = tunnel_address;
    server = tunnel_gateway;
  } else {
    r.result = platform::kRasInvalidHandle;
  }
  return record(r);
}

std::uint32_t SimRas::hang_up(RasHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::HangUp);
  r.handle = handle;
  if (auto code = take_fault(Call::HangUp, "")) {
    r.result = *code;
  } else if (Connection* c = find(handle)) {
    if (c->adapter_index != 0) adapters_.remove_adapter(c->adapter_index);
    c->adapter_index = 0;
    if (hang_up_linger.count() > 0) {
      c->state = platform::kRasDisconnected;
      if (!c->gone_at) c->gone_at = std::chrono::steady_clock::now() + hang_up_linger;
    } else {
      connections_.erase(connections_.begin() + (c - connections_.data()));
    }
  } else {
    r.result = platform::kRasInvalidHandle;
  }
  return record(r);
}

std::uint32_t SimRas::connections(std::vector<platform::RasConnection>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::Connections);
  out.clear();
  if (auto code = take_fault(Call::Connections, "")) {
    r.result = *code;
  } else {
    remove_taken_down();
    for (const auto& c : connections_) {
      if (c.listed) out.push_back({c.handle, c.entry_name});
    }
  }
  return record(r);
}

std::uint32_t SimRas::entries(bool first_call_with_buffer, std::vector<std::string>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::Entries);
  r.pass_buffer = first_call_with_buffer;
  out.clear();
  if (auto code = take_fault(Call::Entries, "")) {
    r.result = *code;
  } else {
    for (const auto& e : phone_book_) out.push_back(e.name);
  }
  return record(r);
}

std::uint32_t SimRas::delete_entry(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::DeleteEntry);
  r.name = name;
  if (auto code = take_fault(Call::DeleteEntry, name)) {
    r.result = *code;
  } else if (auto it = find_entry(name); it != phone_book_.end()) {
    phone_book_.erase(it);
  } else {
    r.result = platform::kRasEntryNotFound;
  }
  return record(r);
}

std::uint32_t SimRas::connect_status(RasHandle handle, std::uint32_t& state) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::ConnectStatus);
  r.handle = handle;
  if (auto code = take_fault(Call::ConnectStatus, "")) {
    r.result = *code;
  } else if (const Connection* c = find(handle)) {
    state = c->state;
  } else {
    r.result = platform::kRasInvalidHandle;
  }
  return record(r);
}

std::uint32_t SimRas::statistics(RasHandle handle, std::uint32_t& received, std::uint32_t& sent) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::Statistics);
  r.handle = handle;
  if (auto code = take_fault(Call::Statistics, "")) {
    r.result = *code;
  } else if (Connection* c = find(handle)) {
    // Traffic flows between queries; the counters wrap like the 32-bit ones of Windows.
    c->received += received_per_query;
    c->sent += sent_per_query;
    received = c->received;
    sent = c->sent;
  } else {
    r.result = platform::kRasInvalidHandle;
  }
  return record(r);
}

void SimRas::fail_next(Call call, std::uint32_t code, int times, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.push_back({call, code, times, name});
}

void SimRas::fail_every(Call call, int period, std::vector<std::uint32_t> codes, unsigned seed) {
  std::lock_guard<std::mutex> lock(mutex_);
  periodic_ = Periodic{call, period, 0, std::move(codes), std::mt19937(seed)};
}

std::vector<std::uint32_t> SimRas::injected() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return injected_;
}

void SimRas::throw_next(Call call) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.push_back({call, 0, 1, "", true});
}

void SimRas::hold_dials(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_dials_ = on;
  }
  dials_released_.notify_all();
}

void SimRas::drop_new_connections(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  drop_new_connections_ = on;
}

bool SimRas::dial_waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dial_waiting_;
}

void SimRas::clear_failures() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
  periodic_.reset();
}

void SimRas::add_entry(const std::string& name, const platform::RasEntry& fields) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = find_entry(name);
  if (it == phone_book_.end()) it = phone_book_.insert(phone_book_.end(), Entry{name, {}, 0});
  it->fields = fields;
  it->size = entry_record_size;
}

RasHandle SimRas::add_connection(const std::string& entry_name) {
  std::lock_guard<std::mutex> lock(mutex_);
  connections_.push_back(new_connection(entry_name, platform::kRasConnected, "", ""));
  return connections_.back().handle;
}

void SimRas::drop(RasHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Connection* c = find(handle)) {
    if (c->adapter_index != 0) adapters_.remove_adapter(c->adapter_index);
    connections_.erase(connections_.begin() + (c - connections_.data()));
  }
}

void SimRas::set_counters(RasHandle handle, std::uint32_t received, std::uint32_t sent) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Connection* c = find(handle)) {
    c->received = received;
    c->sent = sent;
  }
}

std::vector<SimRas::CallRecord> SimRas::calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<SimRas::CallRecord> SimRas::calls_of(Call call) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CallRecord> out;
  for (const auto& r : calls_) {
    if (r.call == call) out.push_back(r);
  }
  return out;
}

void SimRas::clear_calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

std::vector<std::string> SimRas::entry_names() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& e : phone_book_) out.push_back(e.name);
  return out;
}

std::optional<SimRas::Entry> SimRas::entry(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& e : phone_book_) {
    if (e.name == name) return e;
  }
  return std::nullopt;
}

std::vector<SimRas::Connection> SimRas::connection_list() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  std::vector<Connection> out;
  for (const auto& c : connections_) {
    if (!c.gone_at || *c.gone_at > now) out.push_back(c);
  }
  return out;
}

std::optional<SimRas::Connection> SimRas::connection(RasHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  for (const auto& c : connections_) {
    if (c.handle == handle && (!c.gone_at || *c.gone_at > now)) return c;
  }
  return std::nullopt;
}

std::size_t SimRas::live_connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  return static_cast<std::size_t>(
      std::count_if(connections_.begin(), connections_.end(),
                    [&](const Connection& c) { return !c.gone_at || *c.gone_at > now; }));
}

std::size_t SimRas::live_entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return phone_book_.size();
}

}  // namespace qvx::sim
