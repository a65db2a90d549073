#include "double_state.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <sstream>

#include "platform/sim/model/line_text.h"
#include "tools/double_common/files.h"
#include "tools/double_common/live_report.h"

namespace ras_double {

namespace {

using qvx::model::escape;
using qvx::model::key_values;
using qvx::model::number;
using qvx::model::unescape;
using qvx::model::words;

std::atomic<std::uint32_t> g_dial_ms{0};
double_common::LiveReport g_live("ras_double_live.txt");

std::string state_path() {
  return double_common::path("ras_double_state.txt");
}

// The words a test may set through the control file and that the state file keeps, read the
// same way in both. A fail line without a count fails once.
bool apply_setting(State& s, const std::vector<std::string>& w) {
  if (w.size() < 2) return false;
  if (w[0] == "overcount") {
    s.overcount = number(w[1]);
  } else if (w[0] == "grow") {
    s.grow = number(w[1]);
  } else if (w[0] == "linger") {
    s.connections.linger = number(w[1]);
  } else if (w[0] == "drop_after") {
    s.drop_after_ms = number(w[1]);
  } else if (w[0] == "dial_ms") {
    s.dial_ms = number(w[1]);
  } else if (w[0] == "projection" && w.size() > 2) {
    s.projection_ip = w[1];
    s.projection_server = w[2];
  } else if (w[0] == "fail_every" && w.size() > 3) {
    s.dial_faults.every = number(w[1]);
    s.dial_faults.codes.clear();
    for (std::size_t i = 2; i + 1 < w.size(); ++i) s.dial_faults.codes.push_back(number(w[i]));
    s.dial_faults.seed = number(w.back());
  } else if (w[0] == "fail" && w.size() > 2) {
    s.faults.push_back({w[1], number(w[2]), w.size() > 3 ? static_cast<int>(number(w[3])) : 1});
  } else {
    return false;
  }
  return true;
}

State load() {
  State s;
  for (const auto& line : double_common::read_lines(state_path())) {
    const auto w = words(line);
    if (w.empty()) continue;
    if (apply_setting(s, w)) continue;
    if (w[0] == "next_handle" && w.size() > 1) {
      s.connections.next_handle = number(w[1]);
    } else if (w[0] == "dials" && w.size() > 1) {
      s.dials = number(w[1]);
    } else if (w[0] == "profile" && w.size() > 1) {
      s.xp_like = w[1] == "xp";
    } else if (w[0] == "entry" && w.size() > 1) {
      s.entries.put({unescape(w[1]), key_values(w, 2)});
    } else if (w[0] == "conn" && w.size() > 2) {
      qvx::model::RasConnection c;
      c.handle = number(w[1]);
      c.entry_name = unescape(w[2]);
      auto kv = key_values(w, 3);
      if (kv.count("state")) c.state = number(kv["state"]);
      c.received = number(kv["rx"]);
      c.sent = number(kv["tx"]);
      c.phone_number = kv["phone"];
      c.gone_at = std::strtoull(kv["gone"].c_str(), nullptr, 10);
      c.made_at = std::strtoull(kv["made"].c_str(), nullptr, 10);
      s.connections.restore(c);
    }
  }
  return s;
}

std::string state_text(const State& s) {
  std::ostringstream out;
  out << "next_handle " << s.connections.next_handle << "\n";
  if (s.overcount) out << "overcount " << s.overcount << "\n";
  if (s.xp_like) out << "profile xp\n";
  if (s.grow) out << "grow " << s.grow << "\n";
  if (s.connections.linger) out << "linger " << s.connections.linger << "\n";
  if (s.drop_after_ms) out << "drop_after " << s.drop_after_ms << "\n";
  if (s.dial_ms) out << "dial_ms " << s.dial_ms << "\n";
  out << "projection " << s.projection_ip << " " << s.projection_server << "\n";
  for (const auto& f : s.faults)
    out << "fail " << f.function << " " << f.code << " " << f.count << "\n";
  if (s.dial_faults.every) {
    out << "fail_every " << s.dial_faults.every;
    for (std::uint32_t code : s.dial_faults.codes) out << " " << code;
    out << " " << s.dial_faults.seed << "\n";
  }
  if (s.dials) out << "dials " << s.dials << "\n";
  for (const auto& e : s.entries.entries()) {
    out << "entry " << escape(e.name);
    for (const auto& [k, v] : e.fields) out << " " << k << "=" << escape(v);
    out << "\n";
  }
  for (const auto& c : s.connections.all()) {
    out << "conn " << c.handle << " " << escape(c.entry_name) << " state=" << c.state
        << " rx=" << c.received << " tx=" << c.sent << " phone=" << escape(c.phone_number);
    if (c.gone_at) out << " gone=" << c.gone_at;
    if (c.made_at) out << " made=" << c.made_at;
    out << "\n";
  }
  return out.str();
}

void apply_control(State& s) {
  for (const auto& line :
       double_common::take_lines(double_common::path("ras_double_control.txt"))) {
    const auto w = words(line);
    if (w.empty()) continue;
    if (apply_setting(s, w)) continue;
    if (w[0] == "drop" && w.size() > 1) {
      if (w[1] != "all") {
        s.connections.drop(number(w[1]));
        continue;
      }
      std::vector<std::uintptr_t> all;
      for (const auto& c : s.connections.all()) all.push_back(c.handle);
      for (std::uintptr_t h : all) s.connections.drop(h);
    }
  }
}

}  // namespace

std::optional<std::uint32_t> PeriodicFault::take(std::uint32_t dial_number) const {
  if (every == 0 || codes.empty() || dial_number % every != 0) return std::nullopt;
  // splitmix64 of the seed and the failure's number: a fixed, well-spread pick.
  std::uint64_t z =
      (static_cast<std::uint64_t>(seed) << 32 | dial_number / every) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return codes[z % codes.size()];
}

qvx::sim::WindowsProfile State::profile() const {
  return xp_like ? qvx::sim::WindowsProfile::XpLike : qvx::sim::WindowsProfile::VistaAndLater;
}

std::vector<std::uintptr_t> State::drop_expired(std::uint64_t now) {
  std::vector<std::uintptr_t> dropped;
  if (drop_after_ms == 0) return dropped;
  for (const auto& c : connections.all()) {
    if (c.made_at && !c.gone_at && c.made_at + drop_after_ms <= now) dropped.push_back(c.handle);
  }
  for (std::uintptr_t h : dropped) connections.drop(h);
  return dropped;
}

void State::grow_connections() {
  if (grow == 0) return;
  --grow;
  connections.add("Other line " + std::to_string(connections.next_handle));
}

void State::grow_entries() {
  if (grow == 0) return;
  --grow;
  entries.put({"Other entry " + std::to_string(entries.size()), {}});
}

std::optional<std::uint32_t> State::take_fault(const std::string& f) {
  for (auto it = faults.begin(); it != faults.end(); ++it) {
    if (it->function != f) continue;
    const std::uint32_t code = it->code;
    if (--it->count <= 0) faults.erase(it);
    return code;
  }
  return std::nullopt;
}

Call::Call(const char* f) : CallLine(f), function(f), now(GetTickCount64()) {
  state = load();
  apply_control(state);
  state.connections.remove_taken_down(now);
  for (std::uintptr_t h : state.drop_expired(now)) {
    double_common::append_line(double_common::path("ras_double_log.txt"),
                               "Dropped handle=" + std::to_string(h));
  }
  g_dial_ms = state.dial_ms;
}

// The state is written aside and moved into place: the IP Helper double reads it too.
std::uint32_t Call::finish(std::uint32_t result) {
  double_common::replace_file(state_path(), state_text(state));
  write(double_common::path("ras_double_log.txt"), result);
  g_live.write(
      {{"connections", state.connections.all().size()}, {"entries", state.entries.size()}});
  return result;
}

std::uint32_t dial_time_ms() {
  return g_dial_ms;
}

std::uint32_t entry_record_size() {
  const char* env = std::getenv("QVX_RAS_ENTRY_SIZE");
  return env && *env ? number(env) : qvx::model::kRasEntryRecordSize;
}

}  // namespace ras_double
