#include "platform/sim/sim_ip_helper.h"

#include <stdexcept>

namespace qvx::sim {

namespace {

constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kNotFound = 1168;
constexpr std::uint32_t kNetMgmt = 3;  // MIB_IPPROTO_NETMGMT

bool same_target(const platform::ForwardRow& a, const platform::ForwardRow& b) {
  return a.dest == b.dest && a.mask == b.mask && a.if_index == b.if_index;
}

}  // namespace

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

bool SimIpHelper::interface_exists(std::uint32_t index) const {
  return std::any_of(adapters_.begin(), adapters_.end(),
                     [index](const auto& a) { return a.index == index; });
}

// CreateIpForwardEntry and SetIpForwardEntry (learn.microsoft.com, iphlpapi.h): the caller
// must give MIB_IPPROTO_NETMGMT; from Vista on an unknown interface is ERROR_FILE_NOT_FOUND,
// and dwForwardMetric1 holds the interface metric plus the route's own, so a metric below the
// interface's is refused (KB 947216).
std::uint32_t SimIpHelper::metric_rule(const platform::ForwardRow& row) const {
  if (row.proto != kNetMgmt) return kInvalidParameter;
  if (!interface_exists(row.if_index)) return kFileNotFound;
  if (profile_ == WindowsProfile::VistaAndLater) {
    const auto m = metrics_.find(row.if_index);
    if (m != metrics_.end() && row.metric1 < m->second) return kInvalidParameter;
  }
  return 0;
}

// SetIpForwardEntry names the row by dwForwardIfIndex, dwForwardDest, dwForwardMask and
// dwForwardNextHop; the XP model left the next hop out.
std::vector<platform::ForwardRow>::iterator SimIpHelper::find_route(
    const platform::ForwardRow& row) {
  const bool exact = profile_ == WindowsProfile::VistaAndLater;
  return std::find_if(routes_.begin(), routes_.end(), [&](const platform::ForwardRow& r) {
    return same_target(r, row) && (!exact || r.next_hop == row.next_hop);
  });
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
  if ((code = metric_rule(row)) != 0) return code;
  if (std::any_of(routes_.begin(), routes_.end(), [&](const platform::ForwardRow& r) {
        return same_target(r, row) && r.next_hop == row.next_hop;
      })) {
    return platform::kErrorObjectAlreadyExists;
  }
  routes_.push_back(row);
  return 0;
}

std::uint32_t SimIpHelper::set_forward_entry(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  set_.push_back(row);
  writes_.push_back({false, row});
  std::uint32_t code = 0;
  if (take_fault(Op::Set, code) || take_periodic(code)) return code;
  if ((code = metric_rule(row)) != 0) return code;
  const auto it = find_route(row);
  if (it == routes_.end()) return kNotFound;
  it->type = row.type;
  it->age = row.age;
  if (!ignore_set_metric_) it->metric1 = row.metric1;
  it->metric2 = row.metric2;
  it->metric3 = row.metric3;
  it->metric4 = row.metric4;
  it->metric5 = row.metric5;
  return 0;
}

// SetIpForwardEntry2 (learn.microsoft.com, netioapi.h), from Vista on: InterfaceIndex,
// DestinationPrefix and NextHop name the row, ERROR_NOT_FOUND when none matches; Metric is the
// route's own part, the table shows it added to the interface metric.
std::uint32_t SimIpHelper::set_route_metric2(const platform::ForwardRow& row,
                                             std::uint32_t route_metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (profile_ == WindowsProfile::XpLike) return platform::kErrorProcNotFound;
  std::uint32_t code = 0;
  if (take_fault(Op::RouteMetric2, code)) return code;
  if (!interface_exists(row.if_index)) return kNotFound;
  const auto it = find_route(row);
  if (it == routes_.end()) return kNotFound;
  const auto m = metrics_.find(row.if_index);
  it->metric1 = (m == metrics_.end() ? 0 : m->second) + route_metric;
  return 0;
}

// DeleteIpForwardEntry (learn.microsoft.com): the row is named like SetIpForwardEntry's.
std::uint32_t SimIpHelper::delete_forward_entry(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint32_t code = 0;
  if (take_fault(Op::Delete, code) || take_periodic(code)) return code;
  const auto it = find_route(row);
  if (it == routes_.end()) return kNotFound;
  routes_.erase(it);
  return 0;
}

std::uint32_t SimIpHelper::forward_table(std::vector<platform::ForwardRow>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  out.clear();
  std::uint32_t code = 0;
  if (take_fault(Op::Table, code)) return code;
  out = routes_;
  return 0;
}

// GetIpInterfaceEntry exists from Vista on (learn.microsoft.com, netioapi.h); an unknown
// interface is ERROR_FILE_NOT_FOUND.
std::uint32_t SimIpHelper::interface_metric(std::uint32_t if_index, std::uint32_t& metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (profile_ == WindowsProfile::XpLike) return platform::kErrorProcNotFound;
  std::uint32_t code = 0;
  if (take_fault(Op::Metric, code)) return code;
  if (!interface_exists(if_index)) return kFileNotFound;
  const auto m = metrics_.find(if_index);
  metric = m == metrics_.end() ? 0 : m->second;
  return 0;
}

bool SimIpHelper::adapters(std::vector<platform::Adapter>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  out.clear();
  if (adapters_fail_) return false;
  out = adapters_;
  for (auto& a : out) {
    auto hidden = hidden_addresses_.find(a.index);
    if (hidden == hidden_addresses_.end()) continue;
    for (auto& address : a.addresses) address = "0.0.0.0";
    if (--hidden->second <= 0) hidden_addresses_.erase(hidden);
  }
  return !out.empty();
}

void SimIpHelper::ignore_set_metric(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  ignore_set_metric_ = on;
}

WindowsProfile SimIpHelper::profile() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return profile_;
}

void SimIpHelper::set_profile(WindowsProfile profile) {
  std::lock_guard<std::mutex> lock(mutex_);
  profile_ = profile;
}

void SimIpHelper::add_adapter(const platform::Adapter& adapter, std::uint32_t metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  adapters_.push_back(adapter);
  metrics_[adapter.index] = metric;
}

void SimIpHelper::remove_adapter(std::uint32_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  adapters_.erase(std::remove_if(adapters_.begin(), adapters_.end(),
                                 [index](const auto& a) { return a.index == index; }),
                  adapters_.end());
  routes_.erase(std::remove_if(routes_.begin(), routes_.end(),
                               [index](const auto& r) { return r.if_index == index; }),
                routes_.end());
  metrics_.erase(index);
  hidden_addresses_.erase(index);
}

void SimIpHelper::delay_addresses(std::uint32_t index, int listings) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (listings > 0) hidden_addresses_[index] = listings;
}

void SimIpHelper::set_interface_metric(std::uint32_t index, std::uint32_t metric) {
  std::lock_guard<std::mutex> lock(mutex_);
  metrics_[index] = metric;
}

void SimIpHelper::add_route(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_.push_back(row);
}

std::vector<platform::ForwardRow> SimIpHelper::routes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return routes_;
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
