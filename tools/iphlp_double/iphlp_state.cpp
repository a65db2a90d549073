#include "iphlp_state.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/double_common/files.h"
#include "tools/double_common/live_report.h"
#include "tools/double_common/text.h"

namespace iphlp_double {

namespace {

using double_common::key_values;
using double_common::number;
using double_common::split;

// Every RAS entry the client writes carries this name prefix (GBK at run time).
const std::string kBrand = "Quovix加速";

State g_state;
bool g_loaded = false;
double_common::LiveReport g_live("iphlp_double_live.txt");

std::string state_path() {
  return double_common::path("iphlp_double_state.txt");
}

bool same_name(const Route& a, const Route& b) {
  return a.dest == b.dest && a.mask == b.mask && a.next_hop == b.next_hop &&
         a.if_index == b.if_index;
}

std::string route_name(const Route& r) {
  return dotted(r.dest) + " " + dotted(r.mask) + " " + dotted(r.next_hop) + " " +
         std::to_string(r.if_index);
}

std::string route_line(const Route& r) {
  std::ostringstream out;
  out << "route " << route_name(r) << " type=" << r.type << " proto=" << r.proto << " age=" << r.age
      << " policy=" << r.policy << " nexthopas=" << r.next_hop_as;
  for (int i = 0; i < 5; ++i) out << " metric" << i + 1 << "=" << r.metric[i];
  return out.str();
}

Route parse_route(const std::vector<std::string>& w) {
  Route r;
  r.dest = from_dotted(w[1]);
  r.mask = from_dotted(w[2]);
  r.next_hop = from_dotted(w[3]);
  r.if_index = number(w[4]);
  auto kv = key_values(w, 5);
  auto field = [&kv](const char* key, std::uint32_t& out) {
    if (kv.count(key)) out = number(kv[key]);
  };
  field("type", r.type);
  field("proto", r.proto);
  field("age", r.age);
  field("policy", r.policy);
  field("nexthopas", r.next_hop_as);
  for (int i = 0; i < 5; ++i) field(("metric" + std::to_string(i + 1)).c_str(), r.metric[i]);
  return r;
}

void put(State& s, const Route& r) {
  for (Route& old : s.routes) {
    if (same_name(old, r)) {
      old = r;
      return;
    }
  }
  s.routes.push_back(r);
}

void remove(State& s, const Route& r) {
  for (auto it = s.routes.begin(); it != s.routes.end(); ++it) {
    if (same_name(*it, r)) {
      s.routes.erase(it);
      return;
    }
  }
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
std::optional<Route> apply_line(State& s, const std::string& line) {
  const auto w = split(line, ' ');
  if (w.empty()) return std::nullopt;
  if (w[0] == "adapter" && w.size() > 1) {
    Adapter a;
    a.index = number(w[1]);
    auto kv = key_values(w, 2);
    for (const auto& item : split(kv["addr"], ',')) {
      const auto slash = item.find('/');
      a.addresses.push_back({item.substr(0, slash), slash == std::string::npos
                                                        ? "255.255.255.0"
                                                        : item.substr(slash + 1)});
    }
    a.gateways = split(kv["gw"], ',');
    if (kv.count("type")) a.type = number(kv["type"]);
    if (kv.count("metric")) a.metric = number(kv["metric"]);
    a.tunnel = kv.count("tunnel") > 0;
    a.after_query = kv["appear"] == "after_query";
    s.adapters.push_back(a);
  } else if (w[0] == "route" && w.size() > 4) {
    const Route r = parse_route(w);
    put(s, r);
    return r;
  } else if (w[0] == "unroute" && w.size() > 4) {
    Route r;
    r.dest = from_dotted(w[1]);
    r.mask = from_dotted(w[2]);
    r.next_hop = from_dotted(w[3]);
    r.if_index = number(w[4]);
    remove(s, r);
  } else if (w[0] == "profile" && w.size() > 1) {
    s.xp = w[1] == "xp";
  } else if (w[0] == "echo" && w.size() > 1) {
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
    for (Adapter& a : s.adapters) a.after_query = false;
  } else if (w[0] == "tunnel_conn" && w.size() > 1) {
    s.tunnel_conn = number(w[1]);
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
  if (s.xp) out << "profile xp\n";
  for (const Adapter& a : s.adapters) {
    out << "adapter " << a.index << " addr=";
    for (std::size_t i = 0; i < a.addresses.size(); ++i) {
      out << (i ? "," : "") << a.addresses[i].ip << "/" << a.addresses[i].mask;
    }
    out << " gw=";
    for (std::size_t i = 0; i < a.gateways.size(); ++i) out << (i ? "," : "") << a.gateways[i];
    out << " type=" << a.type << " metric=" << a.metric << (a.tunnel ? " tunnel" : "")
        << (a.after_query ? " appear=after_query" : "") << "\n";
  }
  for (const Route& r : s.routes) out << route_line(r) << "\n";
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
    s.journal += (route ? route_line(*route) : line) + "\n";
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

// A tunnel that went down took its routes with it; one that came up brings its default route,
// as a dial with the remote default gateway does: from Vista on on-link with the interface
// metric, on XP through the tunnel's gateway with metric 1.
void follow_tunnels(State& s, std::uint32_t connection) {
  if (connection == s.tunnel_conn) return;
  for (const Adapter& a : s.adapters) {
    if (!a.tunnel) continue;
    std::vector<Route> gone;
    for (const Route& r : s.routes) {
      if (r.if_index == a.index) gone.push_back(r);
    }
    for (const Route& r : gone) s.remove_route(r);
    if (connection) {
      Route r;
      r.if_index = a.index;
      if (!s.xp) {
        r.metric[0] = a.metric;
      } else if (!a.gateways.empty()) {
        r.next_hop = from_dotted(a.gateways.front());
        r.type = 4;
      }
      s.put_route(r);
    }
  }
  s.tunnel_conn = connection;
  s.journal += "tunnel_conn " + std::to_string(connection) + "\n";
}

// The routes that outlive a connection: those on a tunnel's interface go with the tunnel, as
// Windows takes them down with its adapter, when the double next looks at the RAS state.
std::size_t lasting_routes(const State& s) {
  std::size_t n = 0;
  for (const Route& r : s.routes) {
    const bool on_tunnel = std::any_of(s.adapters.begin(), s.adapters.end(), [&](const Adapter& a) {
      return a.tunnel && a.index == r.if_index;
    });
    if (!on_tunnel) ++n;
  }
  return n;
}

}  // namespace

std::vector<const Adapter*> State::visible_adapters() const {
  std::vector<const Adapter*> out;
  for (const Adapter& a : adapters) {
    if ((!a.tunnel || tunnel_up()) && !a.after_query) out.push_back(&a);
  }
  return out;
}

bool State::interface_exists(std::uint32_t index) const {
  return adapter(index) != nullptr;
}

const Adapter* State::adapter(std::uint32_t index) const {
  for (const Adapter* a : visible_adapters()) {
    if (a->index == index) return a;
  }
  return nullptr;
}

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
  for (Adapter& a : adapters) {
    hidden = hidden || a.after_query;
    a.after_query = false;
  }
  if (hidden) journal += "reveal\n";
}

void State::put_route(const Route& r) {
  journal += route_line(r) + "\n";
  put(*this, r);
}

void State::remove_route(const Route& r) {
  journal += "unroute " + route_name(r) + "\n";
  remove(*this, r);
}

std::string dotted(std::uint32_t v) {
  const auto* b = reinterpret_cast<const unsigned char*>(&v);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return buf;
}

std::uint32_t from_dotted(const std::string& text) {
  std::uint32_t v = 0;
  auto* b = reinterpret_cast<unsigned char*>(&v);
  const auto parts = split(text, '.');
  for (std::size_t i = 0; i < 4 && i < parts.size(); ++i)
    b[i] = static_cast<unsigned char>(number(parts[i]));
  return v;
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
