// Which verification server a login uses, decided by echo times.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>

namespace qvx {

constexpr int kVerifyServers = 3;
constexpr std::uint32_t kKeepServerMs = 200;

// One echo to server n (1 to 3): the round-trip time, or nothing when no correct echo came back.
using ServerEcho = std::function<std::optional<std::uint32_t>(int server)>;

// The last-used server stays when it is a valid number and answers within 200 ms.
bool keeps_last_server(int last_server, const ServerEcho& echo);
// Echoes every server in order; the strictly fastest wins, so ties go to the lower number,
// and server 1 is the choice when none answers.
int choose_server(const ServerEcho& echo);

}  // namespace qvx
