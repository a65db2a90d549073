#include "iphlp_state.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace iphlp_double {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::string g_dir;

// Every RAS entry the client writes carries this name prefix (GBK at run time).
const std::string kBrand = "Quovix加速";

std::string path(const char* name) {
  std::string d = g_dir;
  if (!d.empty() && d.back() != '\\' && d.back() != '/') d += '\\';
  return d + name;
}

std::uint32_t number(const std::string& s) {
  return static_cast<std::uint32_t>(std::strtoul(s.c_str(), nullptr, 0));
}

std::vector<std::string> split(const std::string& text, char by) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, by);) {
    if (!part.empty()) out.push_back(part);
  }
  return out;
}

std::vector<std::string> read_lines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

std::map<std::string, std::string> key_values(const std::vector<std::string>& w, std::size_t from) {
  std::map<std::string, std::string> out;
  for (std::size_t i = from; i < w.size(); ++i) {
    const auto eq = w[i].find('=');
    out[w[i].substr(0, eq)] = eq == std::string::npos ? "" : w[i].substr(eq + 1);
  }
  return out;
}

// One state or control line into the state; unknown lines are ignored.
void apply_line(State& s, const std::string& line) {
  const auto w = split(line, ' ');
  if (w.empty()) return;
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
    s.routes.push_back(r);
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
  } else if (w[0] == "next_icmp" && w.size() > 1) {
    s.next_icmp = number(w[1]);
  } else if (w[0] == "tunnel_conn" && w.size() > 1) {
    s.tunnel_conn = number(w[1]);
  } else if (w[0] == "icmp_open" && w.size() > 1) {
    s.icmp_handles.push_back(number(w[1]));
  }
}

// The RAS double's state: the handle of a connection of the client's brand, or 0. The RAS
// double always writes its next_handle line; a file that exists without it is caught while
// being replaced, so it is read again.
std::uint32_t brand_connection(std::uint32_t known) {
  const std::string file = path("ras_double_state.txt");
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    const auto lines = read_lines(file);
    if (lines.empty() || lines[0].compare(0, 12, "next_handle ") != 0) {
      Sleep(2);
      continue;
    }
    for (const auto& line : lines) {
      const auto w = split(line, ' ');
      if (w.size() > 2 && w[0] == "conn" && w[2].compare(0, kBrand.size(), kBrand) == 0) {
        return number(w[1]);
      }
    }
    return 0;
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
    for (auto it = s.routes.begin(); it != s.routes.end();) {
      it = it->if_index == a.index ? s.routes.erase(it) : it + 1;
    }
    if (connection) {
      Route r;
      r.if_index = a.index;
      if (!s.xp) {
        r.metric[0] = a.metric;
      } else if (!a.gateways.empty()) {
        r.next_hop = from_dotted(a.gateways.front());
        r.type = 4;
      }
      s.routes.push_back(r);
    }
  }
  s.tunnel_conn = connection;
}

State load() {
  State s;
  for (const auto& line : read_lines(path("iphlp_double_state.txt"))) apply_line(s, line);
  const std::string control = path("iphlp_double_control.txt");
  const auto lines = read_lines(control);
  if (!lines.empty()) {
    std::remove(control.c_str());
    for (const auto& line : lines) apply_line(s, line);
  }
  follow_tunnels(s, brand_connection(s.tunnel_conn));
  return s;
}

void save_fault(std::ostream& out, const char* kind, const Fault& f) {
  out << kind << " " << f.function << " " << f.value << " " << f.count;
  if (f.skip) out << " skip=" << f.skip;
  out << "\n";
}

void write_state(const State& s, const std::string& file) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
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
  for (const Route& r : s.routes) {
    out << "route " << dotted(r.dest) << " " << dotted(r.mask) << " " << dotted(r.next_hop) << " "
        << r.if_index << " type=" << r.type << " proto=" << r.proto << " age=" << r.age
        << " policy=" << r.policy << " nexthopas=" << r.next_hop_as;
    for (int i = 0; i < 5; ++i) out << " metric" << i + 1 << "=" << r.metric[i];
    out << "\n";
  }
  for (const Echo& e : s.echoes) {
    out << "echo " << e.address << " status=" << e.status << " rtt=" << e.rtt
        << (e.reply ? " reply=1" : "") << "\n";
  }
  for (const Fault& f : s.faults) save_fault(out, "fail", f);
  for (const Fault& f : s.delays) save_fault(out, "slow", f);
  out << "next_icmp " << s.next_icmp << "\n";
  if (s.tunnel_conn) out << "tunnel_conn " << s.tunnel_conn << "\n";
  for (std::uint32_t h : s.icmp_handles) out << "icmp_open " << h << "\n";
}

// Written aside and moved into place, so a test reading it never sees half a file.
void save(const State& s) {
  const std::string file = path("iphlp_double_state.txt");
  write_state(s, file + ".new");
  MoveFileExA((file + ".new").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
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
  return take(faults, f);
}

void State::reveal_after_query() {
  for (Adapter& a : adapters) a.after_query = false;
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

Call::Call(const char* f) : function(f), line_(f) {
  AcquireSRWLockExclusive(&g_lock);
  state = load();
  if (auto ms = take(state.delays, function)) Sleep(*ms);
}

Call::~Call() {
  ReleaseSRWLockExclusive(&g_lock);
}

void Call::arg(const char* key, std::uint32_t value) {
  line_ += std::string(" ") + key + "=" + std::to_string(value);
}

void Call::text(const char* key, const std::string& value) {
  line_ += std::string(" ") + key + "=" + value;
}

void Call::pointer(const char* key, const void* p) {
  line_ += std::string(" ") + key + "=" + (p ? "set" : "null");
}

std::uint32_t Call::finish(std::uint32_t result) {
  save(state);
  std::ofstream log(path("iphlp_double_log.txt"), std::ios::binary | std::ios::app);
  log << line_ << " -> " << result << "\n";
  return result;
}

void set_module_dir(const std::string& d) {
  g_dir = d;
}

}  // namespace iphlp_double
