// QVX-UNBUILT: comes with the connection-flow work.
#include "connect/thread_hangup.h"

namespace qvx {
void Thread_hangup::Execute() {}
}  // namespace qvx
