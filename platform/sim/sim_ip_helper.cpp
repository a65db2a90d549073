#include "platform/sim/sim_ip_helper.h"

#include <stdexcept>

namespace qvx::sim {

std::uint32_t SimIpHelper::best_interface(std::uint32_t, std::uint32_t& if_index) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (best_result_ == 0) if_index = best_index_;
  return best_result_;
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
  return 0;
}

std::uint32_t SimIpHelper::set_forward_entry(const platform::ForwardRow& row) {
  std::lock_guard<std::mutex> lock(mutex_);
  set_.push_back(row);
  writes_.push_back({false, row});
  return 0;
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

bool SimIpHelper::adapters(std::vector<platform::Adapter>& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  out = adapters_fail_ ? std::vector<platform::Adapter>{} : adapters_;
  return !out.empty();
}

void SimIpHelper::add_adapter(const platform::Adapter& adapter) {
  std::lock_guard<std::mutex> lock(mutex_);
  adapters_.push_back(adapter);
}

void SimIpHelper::remove_adapter(std::uint32_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  adapters_.erase(std::remove_if(adapters_.begin(), adapters_.end(),
                                 [index](const auto& a) { return a.index == index; }),
                  adapters_.end());
}

void SimIpHelper::set_best_interface(std::uint32_t index, std::uint32_t result) {
  std::lock_guard<std::mutex> lock(mutex_);
  best_index_ = index;
  best_result_ = result;
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
