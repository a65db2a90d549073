// The RAS connections: dialling, the states a connection goes through, hang-up and the time the
// system takes to take a connection down, and what the per-connection queries answer. Times are
// in the ticks of the holder's clock; handles are numbered from the holder's first one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/model/ras_codes.h"

namespace qvx::model {

struct RasConnection {
  std::uintptr_t handle = 0;
  std::string entry_name;
  std::string phone_number;  // as dialled
  std::uint32_t state = ras::kConnected;
  std::uint32_t received = 0, sent = 0;  // wrap like the 32-bit counters of RAS_STATS
  // RasEnumConnections reports it; some failed dials leave a handle only a direct hang-up frees.
  bool listed = true;
  std::uint64_t made_at = 0;  // when it came up; 0: it never did
  std::uint64_t gone_at = 0;  // hung up: gone at this time; 0 while it is not hung up
};

class RasConnections {
 public:
  explicit RasConnections(std::uintptr_t first_handle) : next_handle(first_handle) {}

  // RasDial of an entry: ERROR_CANNOT_FIND_PHONEBOOK_ENTRY without one, and the port of a
  // connection of that entry still being taken down is not free (ERROR_PORT_NOT_AVAILABLE).
  // Checked when the dial begins; connect() is the line coming up.
  std::uint32_t may_dial(const std::string& entry_name, bool in_phone_book, std::uint64_t now);
  std::uintptr_t connect(const std::string& entry_name, const std::string& phone_number,
                         std::uint64_t now);
  // A dial that failed on the way still hands out a handle to a half-made connection.
  std::uintptr_t dial_failed(const std::string& entry_name, bool listed);
  std::uintptr_t add(const std::string& entry_name);  // another program's connection, up

  std::uint32_t hang_up(std::uintptr_t handle, std::uint64_t now);
  std::uint32_t connect_status(std::uintptr_t handle, std::uint64_t now, std::uint32_t& state);
  // The traffic since the last query is added first.
  std::uint32_t statistics(std::uintptr_t handle, std::uint64_t now, std::uint32_t received_step,
                           std::uint32_t sent_step, std::uint32_t& received, std::uint32_t& sent);
  std::uint32_t projection(std::uintptr_t handle, std::uint32_t kind, std::uint64_t now);

  // The connection behind a handle that is still valid.
  RasConnection* find(std::uintptr_t handle, std::uint64_t now);
  // What RasEnumConnections reports.
  std::vector<RasConnection> listing(std::uint64_t now) const;
  // Every connection whose handle is still valid, a half-made one too.
  std::vector<RasConnection> held(std::uint64_t now) const;
  // The line goes away underneath: the connection is gone and its handle invalid at once.
  bool drop(std::uintptr_t handle);
  // Connections whose take-down is over are gone.
  void remove_taken_down(std::uint64_t now);

  // Every connection held, for journals; restore() puts one back as it was.
  const std::vector<RasConnection>& all() const { return connections_; }
  void restore(const RasConnection& c) { connections_.push_back(c); }

  std::uintptr_t next_handle;
  // How long a hung-up connection takes to go; 0: gone at once.
  std::uint64_t linger = 0;

 private:
  RasConnection& make(const std::string& entry_name, std::uint32_t state);

  std::vector<RasConnection> connections_;
};

}  // namespace qvx::model
