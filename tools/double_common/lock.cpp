#include "tools/double_common/lock.h"

#include <windows.h>

namespace double_common {

namespace {
SRWLOCK g_lock = SRWLOCK_INIT;
}

Lock::Lock() {
  AcquireSRWLockExclusive(&g_lock);
}

Lock::~Lock() {
  ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace double_common
