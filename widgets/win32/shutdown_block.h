// The reason an ending session shows for this program (ShutdownBlockReasonCreate and
// ShutdownBlockReasonDestroy, Windows Vista and later), bound at run time so the program still
// starts where user32 lacks them.
#pragma once
#include <windows.h>

#include <string>

namespace qvx::widgets::win32 {

// window: the application's main window; call on the thread that made it. An empty reason
// withdraws the one set before. False when the system has no such call or refused it.
bool set_shutdown_block_reason(HWND window, const std::wstring& reason);

}  // namespace qvx::widgets::win32
