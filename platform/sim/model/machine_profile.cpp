#include "platform/sim/model/machine_profile.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/sim/model/line_text.h"
#include "platform/sim/model/route_table.h"

namespace qvx::model {
namespace {

std::string route_name(const platform::ForwardRow& r) {
  return dotted(r.dest) + " " + dotted(r.mask) + " " + dotted(r.next_hop) + " " +
         std::to_string(r.if_index);
}

platform::ForwardRow named_row(const std::vector<std::string>& w) {
  platform::ForwardRow r;
  r.dest = from_dotted(w[1]);
  r.mask = from_dotted(w[2]);
  r.next_hop = from_dotted(w[3]);
  r.if_index = number(w[4]);
  return r;
}

platform::ForwardRow parse_route(const std::vector<std::string>& w) {
  platform::ForwardRow r = named_row(w);
  r.type = 3;
  r.proto = 3;
  r.metric1 = 1;
  r.metric2 = r.metric3 = r.metric4 = r.metric5 = 0xFFFFFFFFu;
  auto kv = key_values(w, 5);
  auto field = [&kv](const char* key, std::uint32_t& out) {
    if (kv.count(key)) out = number(kv[key]);
  };
  field("type", r.type);
  field("proto", r.proto);
  field("age", r.age);
  field("policy", r.policy);
  field("nexthopas", r.next_hop_as);
  field("metric1", r.metric1);
  field("metric2", r.metric2);
  field("metric3", r.metric3);
  field("metric4", r.metric4);
  field("metric5", r.metric5);
  return r;
}

Adapter parse_adapter(const std::vector<std::string>& w) {
  Adapter a;
  a.index = number(w[1]);
  auto kv = key_values(w, 2);
  for (const auto& item : split(kv["addr"], ',')) {
    const auto slash = item.find('/');
    a.addresses.push_back({item.substr(0, slash),
                           slash == std::string::npos ? "255.255.255.0" : item.substr(slash + 1)});
  }
  a.gateways = split(kv["gw"], ',');
  if (kv.count("type")) a.type = number(kv["type"]);
  if (kv.count("metric")) a.metric = number(kv["metric"]);
  a.tunnel = kv.count("tunnel") > 0;
  a.after_query = kv["appear"] == "after_query";
  return a;
}

bool flag(const std::vector<std::string>& w) {
  return w.size() < 2 || w[1] != "0";
}

}  // namespace

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
  for (std::size_t i = 0; i < 4 && i < parts.size(); ++i) {
    b[i] = static_cast<unsigned char>(number(parts[i]));
  }
  return v;
}

bool apply_machine_line(IpMachine& m, const std::string& line,
                        std::optional<platform::ForwardRow>* route) {
  const auto w = split(line, ' ');
  if (w.empty()) return false;
  if (w[0] == "adapter" && w.size() > 1) {
    m.adapters.push_back(parse_adapter(w));
  } else if (w[0] == "route" && w.size() > 4) {
    const platform::ForwardRow r = parse_route(w);
    put_route(m, r);
    if (route) *route = r;
  } else if (w[0] == "unroute" && w.size() > 4) {
    remove_route(m, named_row(w));
  } else if (w[0] == "profile" && w.size() > 1) {
    m.generation = w[1] == "xp" ? Generation::Xp : Generation::VistaAndLater;
  } else if (w[0] == "ignore_set_metric") {
    m.ignore_set_metric = flag(w);
  } else if (w[0] == "modern_standby") {
    m.modern_standby = flag(w);
  } else if (w[0] == "code_page" && w.size() > 1) {
    m.code_page = number(w[1]);
  } else {
    return false;
  }
  return true;
}

std::string route_line(const platform::ForwardRow& r) {
  std::ostringstream out;
  out << "route " << route_name(r) << " type=" << r.type << " proto=" << r.proto << " age=" << r.age
      << " policy=" << r.policy << " nexthopas=" << r.next_hop_as << " metric1=" << r.metric1
      << " metric2=" << r.metric2 << " metric3=" << r.metric3 << " metric4=" << r.metric4
      << " metric5=" << r.metric5;
  return out.str();
}

std::string unroute_line(const platform::ForwardRow& r) {
  return "unroute " + route_name(r);
}

std::string machine_lines(const IpMachine& m) {
  std::ostringstream out;
  if (m.xp()) out << "profile xp\n";
  if (m.ignore_set_metric) out << "ignore_set_metric 1\n";
  if (m.modern_standby) out << "modern_standby 1\n";
  if (m.code_page != IpMachine().code_page) out << "code_page " << m.code_page << "\n";
  for (const Adapter& a : m.adapters) {
    out << "adapter " << a.index << " addr=";
    for (std::size_t i = 0; i < a.addresses.size(); ++i) {
      out << (i ? "," : "") << a.addresses[i].ip << "/" << a.addresses[i].mask;
    }
    out << " gw=";
    for (std::size_t i = 0; i < a.gateways.size(); ++i) out << (i ? "," : "") << a.gateways[i];
    out << " type=" << a.type << " metric=" << a.metric << (a.tunnel ? " tunnel" : "")
        << (a.after_query ? " appear=after_query" : "") << "\n";
  }
  for (const auto& r : m.routes) out << route_line(r) << "\n";
  return out.str();
}

int load_machine(IpMachine& m, const std::string& text) {
  std::istringstream in(text);
  int number_of_line = 0;
  for (std::string line; std::getline(in, line);) {
    ++number_of_line;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#') continue;
    if (!apply_machine_line(m, line)) return number_of_line;
  }
  return 0;
}

}  // namespace qvx::model
