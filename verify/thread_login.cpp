// QVX-UNBUILT: comes with the verification work.
#include "verify/thread_login.h"

namespace qvx {
Thread_Login::Thread_Login(Application& app, LoginCredentials credentials)
    : Worker(app), credentials_(std::move(credentials)) {}
void Thread_Login::Suspend() {}
void Thread_Login::Resume() {}
void Thread_Login::Execute() {}
}  // namespace qvx
