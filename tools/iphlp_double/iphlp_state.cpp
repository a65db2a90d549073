#include "iphlp_state.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/sim/model/line_text.h"
#include "platform/sim/model/route_table.h"
#include "tools/double_common/files.h"
#include "tools/double_common/live_report.h"

namespace iphlp_double {

namespace {

using qvx::platform::ForwardRow;

using qvx::model::key_values;
using qvx::model::number;
using qvx::model::split;

// Every RAS entry the client writes carries this name prefix (GBK at run time).
const std::string kBrand = "Quovix加速";

State g_state;
bool g_loaded = false;
double_common::LiveReport g_live("iphlp_double_live.txt");

std::string state_path() {
  return double_common::path("iphlp_double_state.txt");
}

bool has_fault(const std::vector<Fault>& list, const std::string& function) {
  for (const Fault& f : list) {
    if (f.function == function) return true;
  }
  return false;
}

// The first matching entry counts down; skip passes calls through before it fires.
std::optional<std::uint32_t> take(std::vector<Fault>& list, const std::string& function) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->function != function) continue;
    if (it->skip > 0) {
      --it->skip;
      return std::nullopt;
    }
    const std::uint32_t value = it->value;
    if (--it->count <= 0) list.erase(it);
    return value;
  }
  return std::nullopt;
}

// One journal or control line into the state, without journalling it; unknown lines are
// ignored. Returns the route a route line put, so that it can be journalled in full.
std::optional<ForwardRow> apply_line(State& s, const std::string& line) {
  std::optional<ForwardRow> route;
  if (qvx::model::apply_machine_line(s.machine, line, &route)) return route;
  const auto w = split(line, ' ');
  if (w.empty()) return std::nullopt;
  if (w[0] == "echo" && w.size() > 1) {
    auto kv = key_values(w, 2);
    s.echoes.push_back({w[1], number(kv["status"]), number(kv["rtt"]), kv["reply"] == "1"});
  } else if ((w[0] == "fail" || w[0] == "slow") && w.size() > 2) {
    Fault f{w[1], number(w[2]), 1, 0};
    if (w.size() > 3 && w[3].find('=') == std::string::npos)
      f.count = static_cast<int>(number(w[3]));
    auto kv = key_values(w, 3);
    if (kv.count("skip")) f.skip = static_cast<int>(number(kv["skip"]));
    (w[0] == "fail" ? s.faults : s.delays).push_back(f);
  } else if (w[0] == "fail_every" && w.size() > 2) {
    s.write_fail_every = number(w[1]);
    s.write_fail_code = number(w[2]);
  } else if (w[0] == "took" && w.size() > 2) {
    take(w[1] == "fail" ? s.faults : s.delays, w[2]);
  } else if (w[0] == "reveal") {
    for (auto& a : s.machine.adapters) a.after_query = false;
  } else if (w[0] == "tunnel_conn" && w.size() > 1) {
    s.tunnel_conn = number(w[1]);
    s.machine.tunnels_up = s.tunnel_conn != 0;
  } else if (w[0] == "reset") {
    State fresh;  // the process's open ICMP handles stay open
    fresh.icmp_handles = s.icmp_handles;
    fresh.journal = s.journal;
    fresh.writes = s.writes;
    s = fresh;
  }
  return std::nullopt;
}

void fault_line(std::ostream& out, const char* kind, const Fault& f) {
  out << kind << " " << f.function << " " << f.value << " " << f.count;
  if (f.skip) out << " skip=" << f.skip;
  out << "\n";
}

// The world as journal lines that rebuild it.
std::string snapshot(const State& s) {
  std::ostringstream out;
  out << qvx::model::machine_lines(s.machine);
  for (const Echo& e : s.echoes) {
    out << "echo " << e.address << " status=" << e.status << " rtt=" << e.rtt
        << (e.reply ? " reply=1" : "") << "\n";
  }
  for (const Fault& f : s.faults) fault_line(out, "fail", f);
  for (const Fault& f : s.delays) fault_line(out, "slow", f);
  if (s.tunnel_conn) out << "tunnel_conn " << s.tunnel_conn << "\n";
  if (s.write_fail_every) {
    out << "fail_every " << s.write_fail_every << " " << s.write_fail_code << "\n";
  }
  return out.str();
}

// The journal a previous process (or the test) left, compacted.
void load_once() {
  if (g_loaded) return;
  g_loaded = true;
  for (const auto& line : double_common::read_lines(state_path())) apply_line(g_state, line);
  // Written whole here, so the journal starts from this snapshot.
  double_common::replace_file(state_path(), snapshot(g_state));
}

void apply_control(State& s) {
  for (const auto& line :
       double_common::take_lines(double_common::path("iphlp_double_control.txt"))) {
    const auto route = apply_line(s, line);
    s.journal += (route ? qvx::model::route_line(*route) : line) + "\n";
  }
}

// The RAS double's state: the handle of a connection of the client's brand that is up or
// half-made (not one being taken down after its hang-up), or 0. The RAS double always writes
// its next_handle line; a file that exists without it is caught while being replaced, so it
// is read again.
// A route write that reread the RAS state every time made a partial relay's 742 calls cost
// seconds: the file is read again only when its time or size changed (the RAS double replaces
// it whole at every call).
std::uint32_t brand_connection(std::uint32_t known) {
  static FILETIME read_time{};
  static DWORD read_size = 0;
  static bool read_once = false;
  static std::uint32_t read_connection = 0;
  const std::string file = double_common::path("ras_double_state.txt");
  for (int attempt = 0; attempt < 100; ++attempt) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) return 0;
    if (read_once && CompareFileTime(&data.ftLastWriteTime, &read_time) == 0 &&
        data.nFileSizeLow == read_size) {
      return read_connection;
    }
    const auto lines = double_common::read_lines(file);
    if (lines.empty() || lines[0].compare(0, 12, "next_handle ") != 0) {
      Sleep(2);
      continue;
    }
    read_once = true;
    read_time = data.ftLastWriteTime;
    read_size = data.nFileSizeLow;
    read_connection = 0;
    for (const auto& line : lines) {
      const auto w = split(line, ' ');
      if (w.size() > 2 && w[0] == "conn" && w[2].compare(0, kBrand.size(), kBrand) == 0 &&
          line.find(" gone=") == std::string::npos) {
        read_connection = number(w[1]);
        break;
      }
    }
    return read_connection;
  }
  return known;
}

// A tunnel that went down took its routes with it; one that came up brings its default route
// (qvx::model::dial_default_route).
void follow_tunnels(State& s, std::uint32_t connection) {
  if (connection == s.tunnel_conn) return;
  auto& m = s.machine;
  for (const auto& a : m.adapters) {
    if (!a.tunnel) continue;
    std::vector<ForwardRow> gone;
    for (const ForwardRow& r : m.routes) {
      if (r.if_index == a.index) gone.push_back(r);
    }
    for (const ForwardRow& r : gone) {
      s.journal_unroute(r);
      qvx::model::remove_route(m, r);
    }
    if (connection) {
      const ForwardRow r = qvx::model::dial_default_route(m, a);
      qvx::model::put_route(m, r);
      s.journal_route(r);
    }
  }
  s.tunnel_conn = connection;
  m.tunnels_up = connection != 0;
  s.journal += "tunnel_conn " + std::to_string(connection) + "\n";
}

// The routes that outlive a connection: those on a tunnel's interface go with the tunnel, as
// Windows takes them down with its adapter, when the double next looks at the RAS state.
std::size_t lasting_routes(const State& s) {
  std::size_t n = 0;
  const auto& m = s.machine;
  for (const ForwardRow& r : m.routes) {
    const bool on_tunnel = std::any_of(m.adapters.begin(), m.adapters.end(), [&](const auto& a) {
      return a.tunnel && a.index == r.if_index;
    });
    if (!on_tunnel) ++n;
  }
  return n;
}

}  // namespace

const Echo* State::echo_for(const std::string& address) const {
  const Echo* any = nullptr;
  for (const Echo& e : echoes) {
    if (e.address == address) return &e;
    if (e.address == "*" && !any) any = &e;
  }
  return any;
}

std::optional<std::uint32_t> State::take_fault(const std::string& f) {
  if (!has_fault(faults, f)) return std::nullopt;
  journal += "took fail " + f + "\n";
  return take(faults, f);
}

void State::reveal_after_query() {
  bool hidden = false;
  for (auto& a : machine.adapters) {
    hidden = hidden || a.after_query;
    a.after_query = false;
  }
  if (hidden) journal += "reveal\n";
}

void State::journal_route(const ForwardRow& r) {
  journal += qvx::model::route_line(r) + "\n";
}

void State::journal_unroute(const ForwardRow& r) {
  journal += qvx::model::unroute_line(r) + "\n";
}

Call::Call(const char* f) : CallLine(f), state(g_state), function(f) {
  load_once();
  apply_control(state);
  follow_tunnels(state, brand_connection(state.tunnel_conn));
  if (has_fault(state.delays, function)) {
    state.journal += "took slow " + function + "\n";
    if (auto ms = take(state.delays, function)) Sleep(*ms);
  }
}

std::uint32_t Call::finish(std::uint32_t result) {
  if (!state.journal.empty()) {
    std::string lines;
    lines.swap(state.journal);
    lines.pop_back();
    double_common::append_line(state_path(), lines);
  }
  write(double_common::path("iphlp_double_log.txt"), result);
  g_live.write({{"routes", lasting_routes(state)}, {"icmp", state.icmp_handles.size()}});
  return result;
}

std::optional<std::uint32_t> Call::write_fault() {
  if (auto f = state.take_fault(function)) return f;
  ++state.writes;
  if (state.write_fail_every == 0 || state.writes % state.write_fail_every != 0) {
    return std::nullopt;
  }
  arg("injected", state.write_fail_code);
  return state.write_fail_code;
}

}  // namespace iphlp_double
