// Switches that make the demo service misbehave the way a real service can.
#pragma once
#include <string>

namespace qvx::demo {

enum class Dead { no, close, error500 };
// How /dl/<setup> answers update.exe.
enum class SetupDownload { ok, corrupt, truncated, missing, slow };

struct Scenario {
  std::string min_version = "2430";
  std::string latest_version = "2430";
  bool refuse_all = false;        // every login refused, as for a wrong password
  bool list_missing = false;      // node list answers 404
  bool settings_missing = false;  // service settings answer 404
  int delay_ms = 0;               // every service reply waits this long first
  Dead dead = Dead::no;           // service requests get no reply / a 500
  int node_count = 8;
  std::string node_net = "127.0.1";  // node N is at node_net.N
  int notice_enabled = 1;
  int notice_delay = 10;
  int tips_enabled = 1;
  int tips_delay = 60;
  SetupDownload download = SetupDownload::ok;

  // Applies one switch, "name" or "name=value" split into key and value. Names:
  //   reset, wrong_password, old_version, new_version, min_version=V, latest_version=V,
  //   no_list, no_settings, slow=MS, dead=close|500|no, nodes=N, node_net=A.B.C, empty_list,
  //   huge_list, short_delays, notice=0|1, tips=0|1, notice_delay=N, tips_delay=N,
  //   download=ok|corrupt|truncated|404|slow.
  // False (with a reason) for an unknown name or a bad value; the scenario is then unchanged.
  bool apply(const std::string& key, const std::string& value, std::string* error);
  // "a=b,c" applied left to right; stops at the first bad switch.
  bool apply_list(const std::string& list, std::string* error);
  std::string describe() const;
};

}  // namespace qvx::demo
