// Named kernel objects of a machine with several logon sessions, as "Kernel Object Namespaces"
// (learn.microsoft.com/windows/win32/termserv/kernel-object-namespaces) describes them.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace qvx::model {

// A process's logon: the Terminal Services session it runs in and the user whose token it has.
struct LogonSession {
  std::uint32_t id = 1;
  std::string user = "S-1-5-21-1-1001";  // the user's SID
};

// CreateMutexW's outcomes
// (learn.microsoft.com/windows/win32/api/synchapi/nf-synchapi-createmutexw).
enum class CreateOutcome {
  Created,
  Existed,       // a handle to the existing object, ERROR_ALREADY_EXISTS
  AccessDenied,  // no handle, ERROR_ACCESS_DENIED
};

using ObjectHandle = std::uint64_t;  // 0: none

class ObjectNamespace {
 public:
  // "Global\" names the global namespace, "Local\" or no prefix the caller's session's. Without
  // security attributes the object's DACL comes from the creator's token: its user (and SYSTEM)
  // get full access, so another user may neither create nor open it.
  CreateOutcome create_mutex(const LogonSession& caller, const std::string& name,
                             ObjectHandle& handle);
  // OpenMutexW: false when no such object, or access denied (then *denied is set).
  bool open_mutex(const LogonSession& caller, const std::string& name, bool* denied = nullptr);
  // The object goes when its last handle is closed.
  void close(ObjectHandle handle);

 private:
  using Key = std::pair<std::int64_t, std::string>;  // session (-1: global) and name
  struct Object {
    std::string owner;
    int handles = 0;
  };
  static Key key_of(const LogonSession& caller, const std::string& name);

  std::map<Key, Object> objects_;
  std::map<ObjectHandle, Key> handles_;
  ObjectHandle next_ = 1;
};

}  // namespace qvx::model
