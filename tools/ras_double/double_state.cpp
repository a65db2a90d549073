#include "double_state.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ras_double {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::string g_dir;

std::string dir() {
  const char* env = std::getenv("QVX_RAS_DOUBLE_DIR");
  std::string d = env && *env ? env : g_dir;
  if (!d.empty() && d.back() != '\\' && d.back() != '/') d += '\\';
  return d;
}
std::string state_path() {
  return dir() + "ras_double_state.txt";
}
std::string log_path() {
  return dir() + "ras_double_log.txt";
}
std::string control_path() {
  return dir() + "ras_double_control.txt";
}

std::uint32_t number(const std::string& s) {
  return static_cast<std::uint32_t>(std::strtoul(s.c_str(), nullptr, 0));
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::vector<std::string> read_lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
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
    if (eq != std::string::npos) out[w[i].substr(0, eq)] = unescape(w[i].substr(eq + 1));
  }
  return out;
}

State load() {
  State s;
  for (const auto& line : read_lines(state_path())) {
    const auto w = words(line);
    if (w.empty()) continue;
    if (w[0] == "next_handle" && w.size() > 1) {
      s.next_handle = number(w[1]);
    } else if (w[0] == "overcount" && w.size() > 1) {
      s.overcount = number(w[1]);
    } else if (w[0] == "profile" && w.size() > 1) {
      s.xp_like = w[1] == "xp";
    } else if (w[0] == "grow" && w.size() > 1) {
      s.grow = number(w[1]);
    } else if (w[0] == "projection" && w.size() > 2) {
      s.projection_ip = w[1];
      s.projection_server = w[2];
    } else if (w[0] == "fail" && w.size() > 3) {
      s.faults.push_back({w[1], number(w[2]), static_cast<int>(number(w[3]))});
    } else if (w[0] == "entry" && w.size() > 1) {
      s.entries.push_back({unescape(w[1]), key_values(w, 2)});
    } else if (w[0] == "conn" && w.size() > 2) {
      Connection c;
      c.handle = number(w[1]);
      c.name = unescape(w[2]);
      auto kv = key_values(w, 3);
      if (kv.count("state")) c.state = number(kv["state"]);
      c.rx = number(kv["rx"]);
      c.tx = number(kv["tx"]);
      c.phone = kv["phone"];
      s.connections.push_back(c);
    }
  }
  return s;
}

void write_state(const State& s, const std::string& file) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "next_handle " << s.next_handle << "\n";
  if (s.overcount) out << "overcount " << s.overcount << "\n";
  if (s.xp_like) out << "profile xp\n";
  if (s.grow) out << "grow " << s.grow << "\n";
  out << "projection " << s.projection_ip << " " << s.projection_server << "\n";
  for (const auto& f : s.faults)
    out << "fail " << f.function << " " << f.code << " " << f.count << "\n";
  for (const auto& e : s.entries) {
    out << "entry " << escape(e.name);
    for (const auto& [k, v] : e.fields) out << " " << k << "=" << escape(v);
    out << "\n";
  }
  for (const auto& c : s.connections) {
    out << "conn " << c.handle << " " << escape(c.name) << " state=" << c.state << " rx=" << c.rx
        << " tx=" << c.tx << " phone=" << escape(c.phone) << "\n";
  }
}

// Written aside and moved into place, so a reader (the IP Helper double) never sees half a file.
void save(const State& s) {
  const std::string fresh = state_path() + ".new";
  write_state(s, fresh);
  MoveFileExA(fresh.c_str(), state_path().c_str(), MOVEFILE_REPLACE_EXISTING);
}

void apply_control(State& s) {
  const auto lines = read_lines(control_path());
  if (lines.empty()) return;
  std::remove(control_path().c_str());
  for (const auto& line : lines) {
    const auto w = words(line);
    if (w.empty()) continue;
    if (w[0] == "fail" && w.size() > 2) {
      s.faults.push_back({w[1], number(w[2]), w.size() > 3 ? static_cast<int>(number(w[3])) : 1});
    } else if (w[0] == "drop" && w.size() > 1) {
      const bool all = w[1] == "all";
      const std::uint32_t h = all ? 0 : number(w[1]);
      for (auto it = s.connections.begin(); it != s.connections.end();) {
        it = (all || it->handle == h) ? s.connections.erase(it) : it + 1;
      }
    } else if (w[0] == "overcount" && w.size() > 1) {
      s.overcount = number(w[1]);
    } else if (w[0] == "grow" && w.size() > 1) {
      s.grow = number(w[1]);
    } else if (w[0] == "projection" && w.size() > 2) {
      s.projection_ip = w[1];
      s.projection_server = w[2];
    }
  }
}

}  // namespace

void State::grow_connections() {
  if (grow == 0) return;
  --grow;
  Connection c;
  c.handle = next_handle++;
  c.name = "Other line " + std::to_string(c.handle);
  connections.push_back(c);
}

void State::grow_entries() {
  if (grow == 0) return;
  --grow;
  entries.push_back({"Other entry " + std::to_string(entries.size()), {}});
}

Entry* State::find_entry(const std::string& name) {
  for (auto& e : entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

Connection* State::find_connection(std::uint32_t handle) {
  for (auto& c : connections) {
    if (c.handle == handle) return &c;
  }
  return nullptr;
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

// Spaces, controls, '=' and '%' become %XX; GBK bytes stay as they are.
std::string escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7f || c == '%' || c == '=') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

Call::Call(const char* f) : function(f), line_(f) {
  AcquireSRWLockExclusive(&g_lock);
  state = load();
  apply_control(state);
}

Call::~Call() {
  ReleaseSRWLockExclusive(&g_lock);
}

void Call::arg(const char* key, std::uint32_t value) {
  line_ += std::string(" ") + key + "=" + std::to_string(value);
}

void Call::hex(const char* key, std::uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(value));
  line_ += std::string(" ") + key + "=" + buf;
}

void Call::text(const char* key, const char* value) {
  line_ += std::string(" ") + key + "=" + (value ? escape(value) : "null");
}

void Call::pointer(const char* key, const void* p) {
  line_ += std::string(" ") + key + "=" + (p ? "set" : "null");
}

std::uint32_t Call::finish(std::uint32_t result) {
  save(state);
  std::ofstream log(log_path(), std::ios::binary | std::ios::app);
  log << line_ << " -> " << result << "\n";
  return result;
}

std::uint32_t entry_record_size() {
  const char* env = std::getenv("QVX_RAS_ENTRY_SIZE");
  return env && *env ? number(env) : 2884;
}

void set_module_dir(const std::string& d) {
  g_dir = d;
}

}  // namespace ras_double
