// The client's logon task in the Task Scheduler's XML schema (version 1.2), the form in which
// the Win32 side registers it.
#pragma once
#include <string>

namespace qvx::platform {

// Started at the logon of `user` (DOMAIN\name; any user's when empty), in that user's session,
// with the highest run level the user has, without a time limit, in the program's folder.
std::wstring logon_task_xml(const std::wstring& program, const std::wstring& user);

}  // namespace qvx::platform
