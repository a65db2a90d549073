// The test double's world: phone book, connections (the model's, platform/sim/model/ras_*.h)
// and pending faults, kept in a text file beside the program so the test can seed and read it, plus
// the call log and the control file.
//
// State file lines (text fields escaped, see qvx::model::escape()):
//   next_handle N | overcount N | fail FUNCTION CODE COUNT | profile xp | projection IP SERVER
//   linger MS | entry NAME key=value... | conn HANDLE NAME state=N rx=N tx=N phone=TEXT [gone=T]
//   (gone=T: hung up, taken down when GetTickCount64 reaches T) | made=T (when it came up)
//   drop_after MS | dial_ms MS | fail_every N CODE... SEED | dials N (RasDialW calls so far)
// Control file lines, applied and removed at the next call:
//   fail FUNCTION CODE [COUNT] | drop all | drop HANDLE | overcount N | projection IP SERVER
//   grow N   (the next N listings that answer 603 gain one more item of another program, as
//            a line coming up or an entry written between two calls does)
//   linger MS  (how long a hung-up connection is still being taken down; 0, the default: gone
//            at once)
//   drop_after MS  (every connection that comes up drops that long after; 0, the default: never)
//   dial_ms MS  (how long a dial takes; each RasDialW line says how many dials were under way)
//   fail_every N CODE... SEED  (every Nth RasDialW fails with one of the codes, picked by a
//            generator seeded with SEED; its log line says injected=CODE)
// After every call ras_double_live.txt holds "connections=N entries=N", what the double holds
// for the programs right now.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/model/ras_connections.h"
#include "platform/sim/model/ras_phonebook.h"
#include "tools/double_common/call_line.h"
#include "tools/double_common/lock.h"

namespace ras_double {

struct Entry {
  std::string name;
  std::map<std::string, std::string> fields;  // as journalled: key=value
};

struct Fault {
  std::string function;
  std::uint32_t code = 0;
  int count = 1;
};

// Every Nth dial fails with one of the codes, picked from the seed and the failure's number, so
// a run is repeatable and a restarted program continues the sequence.
struct PeriodicFault {
  std::uint32_t every = 0;  // 0: off
  std::vector<std::uint32_t> codes;
  std::uint32_t seed = 0;
  std::optional<std::uint32_t> take(std::uint32_t dial_number) const;
};

struct State {
  std::uint32_t overcount = 0;      // extra records a finished listing claims, to test readers
  bool xp_like = false;             // "profile xp": Windows XP's lenient rules, not Vista's
  std::uint32_t grow = 0;           // listings still to grow after answering 603
  std::uint32_t drop_after_ms = 0;  // how long a connection stays up; 0: for ever
  std::uint32_t dial_ms = 0;        // how long a dial takes
  // The PPP IP projection of every connection that is up: this machine's end and the server's.
  std::string projection_ip = "10.8.0.2", projection_server = "10.8.0.1";
  qvx::model::RasPhoneBook<Entry> entries;
  // On GetTickCount64's clock; linger (the control's "linger MS") in milliseconds.
  qvx::model::RasConnections connections{0x1001};
  std::vector<Fault> faults;
  PeriodicFault dial_faults;
  std::uint32_t dials = 0;  // RasDialW calls, counted for dial_faults

  qvx::sim::WindowsProfile profile() const;
  std::optional<std::uint32_t> take_fault(const std::string& function);
  // The handles of connections whose time is up, dropped as a line failure drops them.
  std::vector<std::uintptr_t> drop_expired(std::uint64_t now);
  // After a 603: one more connection or entry of another program, while grow lasts.
  void grow_connections();
  void grow_entries();
};

// One call of an exported function: holds the lock, loads the state, applies the control
// file and lets connections whose take-down is over go; finish() logs the line with the
// result and saves the state.
class Call : public double_common::CallLine {
 public:
  explicit Call(const char* function);
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  std::uint32_t finish(std::uint32_t result);

 private:
  double_common::Lock lock_;

 public:
  State state;
  const std::string function;
  const std::uint64_t now;  // GetTickCount64 when the call began
};

std::uint32_t entry_record_size();  // what the size query reports
std::uint32_t dial_time_ms();       // dial_ms as the last call read it

}  // namespace ras_double
