// A simulated IP Helper: the model's machine (platform/sim/model) behind the IP Helper
// interface, with the tests' faults, holds and records of the writes (the simulated RAS adds
// its tunnel adapters and their default routes here).
#pragma once
#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/ip_helper.h"
#include "platform/sim/model/ip_machine.h"
#include "platform/sim/sim_profile.h"

namespace qvx::sim {

class SimIpHelper : public platform::IpHelper {
 public:
  enum class Op { Create, Set, Delete, Table, Metric, RouteMetric2 };

  std::uint32_t create_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t set_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t delete_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t set_route_metric2(const platform::ForwardRow& row,
                                  std::uint32_t route_metric) override;
  std::uint32_t forward_table(std::vector<platform::ForwardRow>& out) override;
  std::uint32_t interface_metric(std::uint32_t if_index, std::uint32_t& metric) override;
  // Like GetAdaptersInfo, an empty list is a failed call (ERROR_NO_DATA).
  bool adapters(std::vector<platform::Adapter>& out) override;

  // Test side.
  WindowsProfile profile() const;
  void set_profile(WindowsProfile profile);
  // A machine profile's lines (tests/profiles/*.txt), added to the machine; false, with the
  // line's number in bad_line, for a line that is no machine line.
  bool load_profile(const std::string& text, int* bad_line = nullptr);
  bool modern_standby() const;
  std::uint32_t code_page() const;  // the profile's ANSI code page
  void add_adapter(const platform::Adapter& adapter, std::uint32_t metric = 0);
  // The adapter and every route through it go away.
  void remove_adapter(std::uint32_t index);
  // The adapter lists its addresses as 0.0.0.0 for the next `listings` adapter listings.
  void delay_addresses(std::uint32_t index, int listings);
  void set_interface_metric(std::uint32_t index, std::uint32_t metric);
  void add_route(const platform::ForwardRow& row);
  // The default route a dial with the remote default gateway brings to the adapter.
  void add_dial_default_route(std::uint32_t index);
  std::vector<platform::ForwardRow> routes() const;
  void fail_adapter_list(bool fail) { adapters_fail_ = fail; }
  // A machine whose SetIpForwardEntry answers NO_ERROR but keeps the row's metric1 (the page
  // lists dwForwardMetric1 among the members the function does not currently use).
  void ignore_set_metric(bool on);
  // The next `times` calls of op answer code, after `skip` calls that work.
  void fail_next(Op op, std::uint32_t code, int times = 1, int skip = 0);
  // Every period-th route write (create, set or delete) from now on answers code; how many did.
  void fail_every_write(int period, std::uint32_t code);
  int injected_failures() const;
  // Rows handed to create and set, whatever the answer.
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
  struct Fault {
    Op op;
    std::uint32_t code;
    int times;
    int skip;
  };
  bool take_fault(Op op, std::uint32_t& code);
  bool take_periodic(std::uint32_t& code);

  mutable std::mutex mutex_;
  std::condition_variable released_;
  model::IpMachine machine_;
  std::map<std::uint32_t, int> hidden_addresses_;
  std::vector<platform::ForwardRow> routes_;
  std::vector<Fault> faults_;
  int write_period_ = 0, writes_seen_ = 0, injected_ = 0;
  std::uint32_t write_code_ = 0;
  std::vector<platform::ForwardRow> created_;
  std::vector<platform::ForwardRow> set_;
  std::vector<Write> writes_;
  bool hold_creates_ = false;
  bool create_waiting_ = false;
  bool throw_next_create_ = false;
  bool adapters_fail_ = false;
};

}  // namespace qvx::sim
