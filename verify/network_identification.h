// What the client learns about the machine's network once a login has succeeded.
#pragma once
#include <optional>
#include <string>

#include "platform/sockets.h"

namespace qvx {

constexpr char kNoLocalAddress[] = "127.0.0.0";

// The first address of the machine's own host name, in dotted text; nothing on failure.
std::optional<std::string> query_local_address(platform::Sockets& sockets);
// The query's address, or "127.0.0.0" when it fails.
std::string local_address_or_default(platform::Sockets& sockets);

// Inner when the first octet text is "10" or "192", or "172" with a second octet 16 to 31.
bool is_inner_address(const std::string& local_ip);
// "（内网）" or "（外网）".
std::string locality_label(const std::string& local_ip);

}  // namespace qvx
