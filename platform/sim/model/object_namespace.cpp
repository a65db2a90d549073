#include "platform/sim/model/object_namespace.h"

namespace qvx::model {
namespace {

bool starts_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

ObjectNamespace::Key ObjectNamespace::key_of(const LogonSession& caller, const std::string& name) {
  if (starts_with(name, "Global\\")) return {-1, name.substr(7)};
  if (starts_with(name, "Local\\")) return {caller.id, name.substr(6)};
  return {caller.id, name};
}

CreateOutcome ObjectNamespace::create_mutex(const LogonSession& caller, const std::string& name,
                                            ObjectHandle& handle) {
  handle = 0;
  const Key key = key_of(caller, name);
  auto found = objects_.find(key);
  if (found != objects_.end() && found->second.owner != caller.user) {
    return CreateOutcome::AccessDenied;
  }
  const bool existed = found != objects_.end();
  Object& object = objects_[key];
  if (!existed) object.owner = caller.user;
  ++object.handles;
  handle = next_++;
  handles_[handle] = key;
  return existed ? CreateOutcome::Existed : CreateOutcome::Created;
}

bool ObjectNamespace::open_mutex(const LogonSession& caller, const std::string& name,
                                 bool* denied) {
  auto found = objects_.find(key_of(caller, name));
  const bool refused = found != objects_.end() && found->second.owner != caller.user;
  if (denied) *denied = refused;
  return found != objects_.end() && !refused;
}

void ObjectNamespace::close(ObjectHandle handle) {
  auto h = handles_.find(handle);
  if (h == handles_.end()) return;
  auto object = objects_.find(h->second);
  if (object != objects_.end() && --object->second.handles == 0) objects_.erase(object);
  handles_.erase(h);
}

}  // namespace qvx::model
