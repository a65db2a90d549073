// QVX-UNBUILT: comes with the connection-flow work.
#include "connect/thread_dial.h"

namespace qvx {
void Thread_dial::Execute() {}
}  // namespace qvx
