#include "scenario.h"

#include <cstdlib>
#include <sstream>
#include <utility>

namespace qvx::demo {
namespace {

bool to_int(const std::string& text, int low, int high, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

// Three dotted octets, the network part of the node addresses.
bool is_net(const std::string& text) {
  std::istringstream in(text);
  std::string octet;
  int parts = 0, value = 0;
  while (std::getline(in, octet, '.')) {
    if (!to_int(octet, 0, 255, &value) || octet.size() > 3) return false;
    ++parts;
  }
  return parts == 3 && text.back() != '.';
}

bool is_version(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool Scenario::apply(const std::string& key, const std::string& value, std::string* error) {
  Scenario next = *this;
  bool ok = true;
  if (key == "reset") {
    next = Scenario{};
  } else if (key == "wrong_password") {
    next.refuse_all = true;
  } else if (key == "old_version") {
    next.min_version = next.latest_version = "2431";
  } else if (key == "new_version") {
    next.latest_version = "2431";
  } else if (key == "min_version") {
    ok = is_version(value);
    next.min_version = value;
  } else if (key == "latest_version") {
    ok = is_version(value);
    next.latest_version = value;
  } else if (key == "no_list") {
    next.list_missing = true;
  } else if (key == "no_settings") {
    next.settings_missing = true;
  } else if (key == "slow") {
    ok = to_int(value, 0, 600000, &next.delay_ms);
  } else if (key == "dead") {
    if (value == "close" || value.empty()) {
      next.dead = Dead::close;
    } else if (value == "500") {
      next.dead = Dead::error500;
    } else if (value == "no") {
      next.dead = Dead::no;
    } else {
      ok = false;
    }
  } else if (key == "download") {
    static const std::pair<const char*, SetupDownload> kModes[] = {
        {"ok", SetupDownload::ok},
        {"corrupt", SetupDownload::corrupt},
        {"truncated", SetupDownload::truncated},
        {"404", SetupDownload::missing},
        {"slow", SetupDownload::slow}};
    ok = false;
    for (const auto& [name, mode] : kModes) {
      if (value == name) {
        next.download = mode;
        ok = true;
      }
    }
  } else if (key == "nodes") {
    ok = to_int(value, 0, 250, &next.node_count);
  } else if (key == "node_net") {
    ok = is_net(value);
    next.node_net = value;
  } else if (key == "empty_list") {
    next.node_count = 0;
  } else if (key == "huge_list") {
    next.node_count = 60;
  } else if (key == "short_delays") {
    // The announcement shows on the third tick; the tips page loads at once and shows on tick 13.
    next.notice_delay = 1;
    next.tips_delay = 11;
  } else if (key == "notice") {
    ok = to_int(value, 0, 1, &next.notice_enabled);
  } else if (key == "tips") {
    ok = to_int(value, 0, 1, &next.tips_enabled);
  } else if (key == "notice_delay") {
    ok = to_int(value, -1000, 100000, &next.notice_delay);
  } else if (key == "tips_delay") {
    ok = to_int(value, -1000, 100000, &next.tips_delay);
  } else {
    if (error) *error = "unknown switch: " + key;
    return false;
  }
  if (!ok) {
    if (error) *error = "bad value for " + key + ": '" + value + "'";
    return false;
  }
  *this = next;
  return true;
}

bool Scenario::apply_list(const std::string& list, std::string* error) {
  std::istringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (item.empty()) continue;
    const auto eq = item.find('=');
    const std::string key = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    if (!apply(key, value, error)) return false;
  }
  return true;
}

std::string Scenario::describe() const {
  std::ostringstream out;
  out << "min_version=" << min_version << " latest_version=" << latest_version
      << " wrong_password=" << refuse_all << " no_list=" << list_missing
      << " no_settings=" << settings_missing << " slow=" << delay_ms << " dead="
      << (dead == Dead::close      ? "close"
          : dead == Dead::error500 ? "500"
                                   : "no")
      << " nodes=" << node_count << " node_net=" << node_net << " notice=" << notice_enabled
      << " notice_delay=" << notice_delay << " tips=" << tips_enabled
      << " tips_delay=" << tips_delay << " download="
      << (download == SetupDownload::corrupt     ? "corrupt"
          : download == SetupDownload::truncated ? "truncated"
          : download == SetupDownload::missing   ? "404"
          : download == SetupDownload::slow      ? "slow"
                                                 : "ok")
      << "\n";
  return out.str();
}

}  // namespace qvx::demo
