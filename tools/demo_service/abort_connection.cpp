#include "abort_connection.h"

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace qvx::demo {

// The HTTP library does not hand its sockets to handlers, so look the socket up by ports.
bool abort_connection(int local_port, int remote_port) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const int max_fd = limit.rlim_cur > 65536 ? 65536 : static_cast<int>(limit.rlim_cur);
  for (int fd = 0; fd < max_fd; ++fd) {
    sockaddr_in local{}, peer{};
    socklen_t local_len = sizeof local, peer_len = sizeof peer;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_len) != 0) continue;
    if (local.sin_family != AF_INET || ntohs(local.sin_port) != local_port) continue;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_len) != 0) continue;
    if (ntohs(peer.sin_port) != remote_port) continue;
    shutdown(fd, SHUT_RDWR);
    return true;
  }
  return false;
}

}  // namespace qvx::demo
