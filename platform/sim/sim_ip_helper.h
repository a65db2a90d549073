// A simulated IP Helper: a routing table that keeps the rows written to it, a best-interface
// answer, and the adapter list (the simulated RAS adds its tunnel adapters here).
#pragma once
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/ip_helper.h"

namespace qvx::sim {

class SimIpHelper : public platform::IpHelper {
 public:
  std::uint32_t best_interface(std::uint32_t dest, std::uint32_t& if_index) override;
  std::uint32_t create_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t set_forward_entry(const platform::ForwardRow& row) override;
  // Like GetAdaptersInfo, an empty list is a failed call (ERROR_NO_DATA).
  bool adapters(std::vector<platform::Adapter>& out) override;

  // Test side.
  void add_adapter(const platform::Adapter& adapter);
  void remove_adapter(std::uint32_t index);
  void set_best_interface(std::uint32_t index, std::uint32_t result = 0);
  void fail_adapter_list(bool fail) { adapters_fail_ = fail; }
  std::vector<platform::ForwardRow> created() const;
  std::vector<platform::ForwardRow> set_rows() const;
  void clear_rows();
  // Every write to the table, created or set, in the order it came.
  struct Write {
    bool created;
    platform::ForwardRow row;
  };
  std::vector<Write> writes() const;
  // A slow IP Helper: while held, create_forward_entry waits; create_waiting() tells when one does.
  void hold_creates(bool on);
  bool create_waiting() const;
  // The next create_forward_entry throws once it is let go (a fault no result code describes).
  void throw_next_create();

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  std::vector<platform::Adapter> adapters_;
  std::vector<platform::ForwardRow> created_;
  std::vector<platform::ForwardRow> set_;
  std::vector<Write> writes_;
  bool hold_creates_ = false;
  bool create_waiting_ = false;
  bool throw_next_create_ = false;
  std::uint32_t best_index_ = 2;
  std::uint32_t best_result_ = 0;
  bool adapters_fail_ = false;
};

}  // namespace qvx::sim
