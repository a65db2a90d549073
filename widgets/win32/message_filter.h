// Lets a message from a less privileged process (the shell) reach a window of this elevated
// process through the User Interface Privilege Isolation filter.
#pragma once
#include <windows.h>

namespace qvx::widgets::win32 {

// Bound at run time: the exe must still load where the functions do not exist.
void allow_message_from_shell(HWND window, UINT message);

}  // namespace qvx::widgets::win32
