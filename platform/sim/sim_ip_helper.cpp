#include "platform/sim/sim_ip_helper.h"

#include <stdexcept>

#include "platform/sim/model/machine_profile.h"
#include "platform/sim/model/route_table.h"

namespace qvx::sim {

bool SimIpHelper::take_fault(Op op, std::uint32_t& code) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->op != op) continue;
    if (it->skip > 0) {
      --it->skip;
      return false;
    }
    code = it->code;
    if (--it->times <= 0) faults_.erase(it);
    return true;
  }
  return false;
}

bool SimIpHelper::take_periodic(std::uint32_t& code) {
  if (write_period_ <= 0 || ++writes_seen_ % write_period_ != 0) return false;
  ++injected_;
  code = write_code_;
  return true;
}

std::uint32_t SimIpHelper::create_forward_entry(const platform::ForwardRow& row) {
  std::unique_lock<std::mutex> lock(mutex_);
  create_waiting_ = hold_creates_;
  released_.wait(lock, [this] { return !hold_creates_; });
  create_waiting_ = false;
  if (throw_next_create_) {
    throw_next_create_ = false;
    throw std::runtime_error("simulated IP Helper fault");
  }
  created_.push_back(row);
  writes_.push_back({true, row});
  std::uint32_t code = 0;
  if (take_fault(Op::Create, code) || take_periodic(code)) return code;
  return model::create_forward_entry(machine_, row);
}

std::uint32_t SimIpHelper::set_forward_entry(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  set_.push_back(row);
  writes_.push_back({false, row});
  std::uint32_t code = 0;
  if (take_fault(Op::Set, code) || take_periodic(code)) return code;
  return model::set_forward_entry(machine_, row);
}

std::uint32_t SimIpHelper::set_route_metric2(const platform::ForwardRow& row,
                                             std::uint32_t route_metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint32_t code = 0;
  if (!machine_.xp() && take_fault(Op::RouteMetric2, code)) return code;
  return model::set_forward_entry2(machine_, row, route_metric);
}

std::uint32_t SimIpHelper::delete_forward_entry(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint32_t code = 0;
  if (take_fault(Op::Delete, code) || take_periodic(code)) return code;
  return model::delete_forward_entry(machine_, row);
}

std::uint32_t SimIpHelper::forward_table(std::vector<platform::ForwardRow>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  out.clear();
  std::uint32_t code = 0;
  if (take_fault(Op::Table, code)) return code;
  return model::get_forward_table(machine_, out);
}

std::uint32_t SimIpHelper::interface_metric(std::uint32_t if_index, std::uint32_t& metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint32_t code = 0;
  if (!machine_.xp() && take_fault(Op::Metric, code)) return code;
  return model::get_ip_interface_entry(machine_, model::kAfInet, if_index, metric);
}

bool SimIpHelper::adapters(std::vector<platform::Adapter>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  out.clear();
  if (adapters_fail_) return false;
  std::vector<const model::Adapter*> listed;
  if (model::get_adapters_info(machine_, listed) != model::kNoError) return false;
  for (const model::Adapter* a : listed) {
    platform::Adapter shown{a->index, {}, a->gateways, a->type};
    auto hidden = hidden_addresses_.find(a->index);
    for (const auto& address : a->addresses) {
      shown.addresses.push_back(hidden == hidden_addresses_.end() ? address.ip : "0.0.0.0");
    }
    if (hidden != hidden_addresses_.end() && --hidden->second <= 0) hidden_addresses_.erase(hidden);
    out.push_back(shown);
  }
  return true;
}

void SimIpHelper::ignore_set_metric(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  machine_.ignore_set_metric = on;
}

WindowsProfile SimIpHelper::profile() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return machine_.xp() ? WindowsProfile::XpLike : WindowsProfile::VistaAndLater;
}

void SimIpHelper::set_profile(WindowsProfile profile) {
  std::lock_guard<std::mutex> lock(mutex_);
  machine_.generation =
      profile == WindowsProfile::XpLike ? model::Generation::Xp : model::Generation::VistaAndLater;
}

bool SimIpHelper::load_profile(const std::string& text, int* bad_line) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int bad = model::load_machine(machine_, text);
  if (bad_line) *bad_line = bad;
  return bad == 0;
}

bool SimIpHelper::modern_standby() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return machine_.modern_standby;
}

std::uint32_t SimIpHelper::code_page() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return machine_.code_page;
}

void SimIpHelper::add_adapter(const platform::Adapter& adapter, std::uint32_t metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  model::Adapter a;
  a.index = adapter.index;
  a.type = adapter.type;
  a.metric = metric;
  for (const auto& address : adapter.addresses) a.addresses.push_back({address, "255.255.255.0"});
  a.gateways = adapter.gateways;
  machine_.adapters.push_back(a);
}

void SimIpHelper::remove_adapter(std::uint32_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  model::remove_adapter(machine_, index);
  hidden_addresses_.erase(index);
}

void SimIpHelper::delay_addresses(std::uint32_t index, int listings) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (listings > 0) hidden_addresses_[index] = listings;
}

void SimIpHelper::set_interface_metric(std::uint32_t index, std::uint32_t metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& a : machine_.adapters) {
    if (a.index == index) a.metric = metric;
  }
}

void SimIpHelper::add_route(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  machine_.routes.push_back(row);
}

void SimIpHelper::add_dial_default_route(std::uint32_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& a : machine_.adapters) {
    if (a.index == index) machine_.routes.push_back(model::dial_default_route(machine_, a));
  }
}

std::vector<platform::ForwardRow> SimIpHelper::routes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return machine_.routes;
}

void SimIpHelper::fail_next(Op op, std::uint32_t code, int times, int skip) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.push_back({op, code, times, skip});
}

void SimIpHelper::fail_every_write(int period, std::uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  write_period_ = period;
  writes_seen_ = 0;
  write_code_ = code;
}

int SimIpHelper::injected_failures() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return injected_;
}

std::vector<SimIpHelper::Write> SimIpHelper::writes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writes_;
}

void SimIpHelper::hold_creates(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_creates_ = on;
  }
  released_.notify_all();
}

void SimIpHelper::throw_next_create() {
  std::lock_guard<std::mutex> lock(mutex_);
  throw_next_create_ = true;
}

bool SimIpHelper::create_waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return create_waiting_;
}

std::vector<platform::ForwardRow> SimIpHelper::created() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return created_;
}

std::vector<platform::ForwardRow> SimIpHelper::set_rows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return set_;
}

void SimIpHelper::clear_rows() {
  std::lock_guard<std::mutex> lock(mutex_);
  created_.clear();
  set_.clear();
  writes_.clear();
}

}  // namespace qvx::sim
