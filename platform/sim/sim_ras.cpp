#include "platform/sim/sim_ras.h"

#include <stdexcept>

#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_sockets.h"

namespace qvx::sim {

using platform::RasHandle;

namespace {
// The client's text is GBK, and it converts it for the W functions with that code page itself,
// whatever the system's ANSI code page is.
std::u16string wide(const std::string& gbk) {
  return model::wide_from_ansi(model::kCodePageGbk, gbk);
}
std::string gbk(const std::u16string& text) {
  return model::ansi_from_wide(model::kCodePageGbk, text);
}

// The model's clock: this machine's steady clock, in its own ticks.
std::uint64_t now() {
  return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
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

std::uint32_t SimRas::entry_size(std::uint32_t& size) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::EntrySize);
  if (auto code = take_fault(Call::EntrySize, "")) {
    r.result = *code;
  } else {
    r.result = model::entry_size_query(entry_record_size, size);
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
  } else {
    // The client's record is entry_size bytes with dwSize = entry_size (platform/ras.h).
    r.result =
        model::check_entry(wide(name), entry, entry_size, entry_size, entry_record_size, profile);
    if (r.result == 0) phone_book_.put({wide(name), entry, entry_size});
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
  const Entry* entry = phone_book_.find(wide(entry_name));
  if (auto code = take_fault(Call::Dial, entry_name)) {
    r.result = *code;
    handle = r.handle = connections_.dial_failed(entry_name, failed_dials_listed);
  } else if ((r.result = connections_.may_dial(entry_name, entry != nullptr, now())) == 0) {
    // The entry was read when the dial began; the line may take its time to come up.
    const std::string phone = entry->fields.phone_number;
    dial_waiting_ = hold_dials_;
    dials_released_.wait(lock, [this] { return !hold_dials_; });
    dial_waiting_ = false;
    handle = r.handle = connections_.connect(entry_name, phone, now());
    if (drop_new_connections_) {
      connections_.drop(handle);
    } else {
      tunnels_[handle] = bring_up_tunnel();
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

void SimRas::take_down_tunnel(RasHandle handle) {
  const auto it = tunnels_.find(handle);
  if (it == tunnels_.end()) return;
  adapters_.remove_adapter(it->second);
  tunnels_.erase(it);
}

std::uint32_t SimRas::ip_projection(RasHandle handle, std::string& address, std::string& server) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::Projection);
  r.handle = handle;
  if (auto code = take_fault(Call::Projection, "")) {
    r.result = *code;
  } else if ((r.result = connections_.projection(handle, model::ras::kProjectionPppIp, now())) ==
             0) {
    address = tunnel_address;
    server = tunnel_gateway;
  }
  return record(r);
}

std::uint32_t SimRas::hang_up(RasHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::HangUp);
  r.handle = handle;
  if (auto code = take_fault(Call::HangUp, "")) {
    r.result = *code;
  } else {
    connections_.linger =
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(hang_up_linger).count();
    r.result = connections_.hang_up(handle, now());
    if (r.result == 0) take_down_tunnel(handle);
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
    for (const auto& c : connections_.listing(now())) out.push_back({c.handle, c.entry_name});
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
    for (const auto& name : phone_book_.names()) out.push_back(gbk(name));
  }
  return record(r);
}

std::uint32_t SimRas::delete_entry(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::DeleteEntry);
  r.name = name;
  if (auto code = take_fault(Call::DeleteEntry, name)) {
    r.result = *code;
  } else {
    r.result = phone_book_.remove(wide(name));
  }
  return record(r);
}

std::uint32_t SimRas::connect_status(RasHandle handle, std::uint32_t& state) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::ConnectStatus);
  r.handle = handle;
  if (auto code = take_fault(Call::ConnectStatus, "")) {
    r.result = *code;
  } else {
    r.result = connections_.connect_status(handle, now(), state);
  }
  return record(r);
}

std::uint32_t SimRas::statistics(RasHandle handle, std::uint32_t& received, std::uint32_t& sent) {
  std::lock_guard<std::mutex> lock(mutex_);
  CallRecord r(Call::Statistics);
  r.handle = handle;
  if (auto code = take_fault(Call::Statistics, "")) {
    r.result = *code;
  } else {
    r.result =
        connections_.statistics(handle, now(), received_per_query, sent_per_query, received, sent);
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
  phone_book_.put({wide(name), fields, entry_record_size});
}

void SimRas::add_ansi_entry(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  phone_book_.put({model::wide_from_ansi(code_page_, name), {}, entry_record_size});
}

void SimRas::set_code_page(std::uint32_t code_page) {
  std::lock_guard<std::mutex> lock(mutex_);
  code_page_ = code_page;
}

RasHandle SimRas::add_connection(const std::string& entry_name) {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_.add(entry_name);
}

void SimRas::drop(RasHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (connections_.find(handle, now())) {
    take_down_tunnel(handle);
    connections_.drop(handle);
  }
}

void SimRas::set_counters(RasHandle handle, std::uint32_t received, std::uint32_t sent) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Connection* c = connections_.find(handle, now())) {
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
  for (const auto& name : phone_book_.names()) out.push_back(gbk(name));
  return out;
}

std::optional<SimRas::Entry> SimRas::entry(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Entry* e = phone_book_.find(wide(name));
  return e ? std::optional<Entry>(*e) : std::nullopt;
}

std::vector<SimRas::Connection> SimRas::connection_list() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_.held(now());
}

std::optional<SimRas::Connection> SimRas::connection(RasHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& c : connections_.held(now())) {
    if (c.handle == handle) return c;
  }
  return std::nullopt;
}

std::size_t SimRas::live_connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_.held(now()).size();
}

std::size_t SimRas::live_entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return phone_book_.size();
}

}  // namespace qvx::sim
