#include "platform/sim/model/ras_connections.h"

#include <algorithm>

namespace qvx::model {

namespace {
bool taken_down(const RasConnection& c, std::uint64_t now) {
  return c.gone_at != 0 && c.gone_at <= now;
}
}  // namespace

RasConnection& RasConnections::make(const std::string& entry_name, std::uint32_t state) {
  RasConnection c;
  c.handle = next_handle++;
  c.entry_name = entry_name;
  c.state = state;
  connections_.push_back(c);
  return connections_.back();
}

// "RasHangUpA function (ras.h)", learn.microsoft.com: the connection state machine needs time
// to close the port; until RasGetConnectStatus answers ERROR_INVALID_HANDLE the port is not
// free, so a dial of the same entry meanwhile fails.
std::uint32_t RasConnections::may_dial(const std::string& entry_name, bool in_phone_book,
                                       std::uint64_t now) {
  if (!in_phone_book) return ras::kEntryNotFound;
  remove_taken_down(now);
  const bool busy = std::any_of(connections_.begin(), connections_.end(), [&](const auto& c) {
    return c.gone_at != 0 && c.entry_name == entry_name;
  });
  return busy ? ras::kPortNotAvailable : 0;
}

std::uintptr_t RasConnections::connect(const std::string& entry_name,
                                       const std::string& phone_number, std::uint64_t now) {
  RasConnection& c = make(entry_name, ras::kConnected);
  c.phone_number = phone_number;
  c.made_at = now;
  return c.handle;
}

// "Disconnecting a Connection" (Win32 RRAS, learn.microsoft.com): a dial that fails still
// returns a handle, and the client must call RasHangUp even though the connection was never
// established.
std::uintptr_t RasConnections::dial_failed(const std::string& entry_name, bool listed) {
  RasConnection& c = make(entry_name, ras::kDisconnected);
  c.listed = listed;
  return c.handle;
}

std::uintptr_t RasConnections::add(const std::string& entry_name) {
  return make(entry_name, ras::kConnected).handle;
}

// "RasHangUpA function (ras.h)": the call returns before the connection is closed. Until it is,
// the connection is still listed and reads as disconnected; a second hang-up of it succeeds and
// does not restart the take-down. Afterwards the handle is invalid.
std::uint32_t RasConnections::hang_up(std::uintptr_t handle, std::uint64_t now) {
  RasConnection* c = find(handle, now);
  if (!c) return ras::kInvalidHandle;
  if (linger == 0) {
    drop(handle);
  } else if (c->gone_at == 0) {
    c->state = ras::kDisconnected;
    c->gone_at = now + linger;
  }
  return 0;
}

// "RasGetConnectStatusA function (ras.h)": ERROR_INVALID_HANDLE once the connection is gone,
// which is how a caller learns that a hang-up is complete.
std::uint32_t RasConnections::connect_status(std::uintptr_t handle, std::uint64_t now,
                                             std::uint32_t& state) {
  const RasConnection* c = find(handle, now);
  if (!c) return ras::kInvalidHandle;
  state = c->state;
  return 0;
}

// "RasGetConnectionStatistics function (ras.h)": the byte counters of the connection behind a
// valid handle.
std::uint32_t RasConnections::statistics(std::uintptr_t handle, std::uint64_t now,
                                         std::uint32_t received_step, std::uint32_t sent_step,
                                         std::uint32_t& received, std::uint32_t& sent) {
  RasConnection* c = find(handle, now);
  if (!c) return ras::kInvalidHandle;
  c->received += received_step;
  c->sent += sent_step;
  received = c->received;
  sent = c->sent;
  return 0;
}

// "RasGetProjectionInfoA function (ras.h)": the information exists once the connection passed
// RASCS_Projected (ERROR_PROJECTION_NOT_COMPLETE before, as for a half-made connection or one
// being taken down); a protocol the entry did not negotiate, here anything but PPP IP, is
// ERROR_PROTOCOL_NOT_CONFIGURED.
std::uint32_t RasConnections::projection(std::uintptr_t handle, std::uint32_t kind,
                                         std::uint64_t now) {
  const RasConnection* c = find(handle, now);
  if (!c) return ras::kInvalidHandle;
  if (c->state != ras::kConnected) return ras::kProjectionNotComplete;
  if (kind != ras::kProjectionPppIp) return ras::kProtocolNotConfigured;
  return 0;
}

RasConnection* RasConnections::find(std::uintptr_t handle, std::uint64_t now) {
  remove_taken_down(now);
  for (RasConnection& c : connections_) {
    if (c.handle == handle) return &c;
  }
  return nullptr;
}

std::vector<RasConnection> RasConnections::listing(std::uint64_t now) const {
  std::vector<RasConnection> out;
  for (const RasConnection& c : held(now)) {
    if (c.listed) out.push_back(c);
  }
  return out;
}

std::vector<RasConnection> RasConnections::held(std::uint64_t now) const {
  std::vector<RasConnection> out;
  for (const RasConnection& c : connections_) {
    if (!taken_down(c, now)) out.push_back(c);
  }
  return out;
}

bool RasConnections::drop(std::uintptr_t handle) {
  const auto it = std::find_if(connections_.begin(), connections_.end(),
                               [&](const RasConnection& c) { return c.handle == handle; });
  if (it == connections_.end()) return false;
  connections_.erase(it);
  return true;
}

void RasConnections::remove_taken_down(std::uint64_t now) {
  connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                    [&](const RasConnection& c) { return taken_down(c, now); }),
                     connections_.end());
}

}  // namespace qvx::model
