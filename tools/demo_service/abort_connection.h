// Ends the server side of a connection without a reply, as a dying server does.
#pragma once

namespace qvx::demo {

// Finds our accepted socket by its two loopback ports and shuts it down; false when none.
bool abort_connection(int local_port, int remote_port);

}  // namespace qvx::demo
