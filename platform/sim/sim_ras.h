// The simulated Remote Access service: a default phone book and the active connections, whose
// rules are the model's (platform/sim/model/ras_*.h). A dial brings up a PPP tunnel adapter and its
// default route in the simulated IP Helper, as the IP Helper's Windows profile has them; hang-up
// takes them away. Tests can make any call fail with any code, add entries and connections "of
// another program", make a connection vanish and read every call made. The client's calls are
// the W functions: its GBK names become UTF-16, which the phone book keeps as Windows does.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/ras.h"
#include "platform/sim/model/ansi_code_page.h"
#include "platform/sim/model/ras_connections.h"
#include "platform/sim/model/ras_phonebook.h"
#include "platform/sim/sim_profile.h"

namespace qvx::sim {

class SimIpHelper;

class SimRas : public platform::Ras {
 public:
  enum class Call {
    EntrySize,
    SetEntry,
    Dial,
    HangUp,
    Connections,
    Entries,
    DeleteEntry,
    ConnectStatus,
    Statistics,
    Projection
  };

  struct CallRecord {
    explicit CallRecord(Call c) : call(c) {}
    Call call;
    std::uint32_t result = 0;
    std::string name;                // entry name (SetEntry, Dial, DeleteEntry)
    platform::RasHandle handle = 0;  // HangUp, ConnectStatus, Statistics; Dial's new handle
    bool pass_buffer = false;        // Entries: the first call was handed a one-record buffer
    platform::RasEntry entry;        // SetEntry
    std::uint32_t entry_size = 0;    // SetEntry
    std::string user, password;      // Dial
  };

  struct Entry {
    std::u16string name;
    platform::RasEntry fields;
    std::uint32_t size = 0;
  };

  using Connection = model::RasConnection;

  explicit SimRas(SimIpHelper& adapters) : adapters_(adapters) {}

  std::uint32_t entry_size(std::uint32_t& size) override;
  std::uint32_t set_entry(const std::string& name, const platform::RasEntry& entry,
                          std::uint32_t entry_size) override;
  std::uint32_t dial(const std::string& entry_name, const std::string& user,
                     const std::string& password, platform::RasHandle& handle) override;
  std::uint32_t hang_up(platform::RasHandle handle) override;
  std::uint32_t connections(std::vector<platform::RasConnection>& out) override;
  std::uint32_t entries(bool first_call_with_buffer, std::vector<std::string>& out) override;
  std::uint32_t delete_entry(const std::string& name) override;
  std::uint32_t connect_status(platform::RasHandle handle, std::uint32_t& state) override;
  std::uint32_t statistics(platform::RasHandle handle, std::uint32_t& received,
                           std::uint32_t& sent) override;
  std::uint32_t ip_projection(platform::RasHandle handle, std::string& address,
                              std::string& server) override;

  // Test side. The next `times` calls of `call` (every one when times < 0) answer `code`
  // instead of working; with a name, only calls about that entry name count.
  void fail_next(Call call, std::uint32_t code, int times = 1, const std::string& name = "");
  void clear_failures();
  // Every period-th call of `call` from now on answers one of `codes`, drawn from a generator
  // seeded with `seed`; injected() lists them in order.
  void fail_every(Call call, int period, std::vector<std::uint32_t> codes, unsigned seed);
  std::vector<std::uint32_t> injected() const;
  // The next call of `call` throws instead of answering (a fault no result code describes).
  void throw_next(Call call);
  // Dials wait while held, as a slow line makes RasDial wait; dial_waiting() tells when one does.
  void hold_dials(bool on);
  bool dial_waiting() const;
  // A line that takes each new connection down as soon as it is made: the dial succeeds and
  // hands out a handle that is already gone, as after drop().
  void drop_new_connections(bool on);
  // An entry or a connection made by another program (the connection has no adapter here).
  void add_entry(const std::string& name, const platform::RasEntry& fields = {});
  // An entry another program wrote through RasSetEntryPropertiesA: Windows read the name's
  // bytes in this machine's ANSI code page (set_code_page, 936 unless the profile says).
  void add_ansi_entry(const std::string& name);
  void set_code_page(std::uint32_t code_page);
  platform::RasHandle add_connection(const std::string& entry_name);
  // The line goes away underneath: connection and adapter vanish, the handle becomes invalid.
  void drop(platform::RasHandle handle);
  void set_counters(platform::RasHandle handle, std::uint32_t received, std::uint32_t sent);

  std::vector<CallRecord> calls() const;
  std::vector<CallRecord> calls_of(Call call) const;
  void clear_calls();
  std::vector<std::string> entry_names() const;
  std::optional<Entry> entry(const std::string& name) const;
  std::vector<Connection> connection_list() const;
  std::optional<Connection> connection(platform::RasHandle handle) const;
  // Handles this RAS holds for callers: connections not yet closed (a half-made one too), and
  // phone-book entries.
  std::size_t live_connections() const;
  std::size_t live_entries() const;

  // What this "Windows" reports and builds; set before the calls.
  std::uint32_t entry_record_size = model::kRasEntryRecordSize;
  WindowsProfile profile = WindowsProfile::VistaAndLater;
  std::uint32_t received_per_query = 4096, sent_per_query = 1024;
  // Whether the half-made connection of a failed dial shows in the connection listing; some
  // failures leave a handle that only a direct hang-up releases.
  bool failed_dials_listed = true;
  std::string tunnel_address = "10.8.0.2";
  std::string tunnel_gateway = "10.8.0.1";  // also the server's end of the link
  std::uint32_t tunnel_metric = 50;         // the tunnel's interface metric (Vista and later)
  int tunnel_address_late_listings = 0;     // adapter listings that show no address yet
  // How long a hung-up connection stays listed, reads as disconnected and keeps its entry's
  // port busy before its handle becomes invalid. Zero: gone at once.
  std::chrono::milliseconds hang_up_linger{0};

 private:
  struct Fault {
    Call call;
    std::uint32_t code;
    int times;
    std::string name;
    bool throws = false;
  };

  struct Periodic {
    Call call;
    int period = 0;
    int seen = 0;
    std::vector<std::uint32_t> codes;
    std::mt19937 draw;
  };

  std::optional<std::uint32_t> take_fault(Call call, const std::string& name);
  std::uint32_t record(CallRecord r);
  std::uint32_t bring_up_tunnel();
  void take_down_tunnel(platform::RasHandle handle);

  SimIpHelper& adapters_;
  mutable std::mutex mutex_;
  std::condition_variable dials_released_;
  bool hold_dials_ = false;
  bool dial_waiting_ = false;
  bool drop_new_connections_ = false;
  std::vector<Fault> faults_;
  std::optional<Periodic> periodic_;
  std::vector<std::uint32_t> injected_;
  std::vector<CallRecord> calls_;
  model::RasPhoneBook<Entry> phone_book_;
  model::RasConnections connections_{0x10001};
  std::map<platform::RasHandle, std::uint32_t> tunnels_;  // connection -> its adapter's index
  std::uint32_t next_adapter_index_ = 65539;              // XP numbers dial-up interfaces high
  std::uint32_t next_small_index_ = 23;                   // later versions reuse small numbers
  std::uint32_t code_page_ = model::kCodePageGbk;
};

}  // namespace qvx::sim
