#include "platform/win32/system_function.h"

#include "platform/win32/system_library.h"

namespace qvx::win32 {

void* system_entry(const wchar_t* library, const char* name) {
  const HMODULE module = load_system_library(library);
  return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace qvx::win32
