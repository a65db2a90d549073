// The per-monitor DPI functions of newer Windows, found at run time: the program still starts
// on Windows 7, which has none of them, and then works at the system DPI as before.
#pragma once
#include <windows.h>

namespace qvx::widgets::win32 {

// The DPI of the screen, fixed for the process's life (LOGPIXELSY of the screen).
int system_dpi();
// The DPI the window is shown at: its monitor's under per-monitor awareness (GetDpiForWindow,
// Windows 10 1607), otherwise the system DPI.
int window_dpi(HWND window);
// A system metric at a DPI (GetSystemMetricsForDpi, Windows 10 1607); before that the metric
// at the system DPI scaled, which is what those Windows draw anyway.
int system_metric(int index, int dpi);
// The program's icon at a width and height in pixels: the image of that size in the icon
// resource when there is one. The caller destroys it.
HICON load_icon(HINSTANCE instance, int resource, int size);
// The icon the notification area shows (LoadIconMetric with LIM_SMALL, Windows Vista, as the
// NOTIFYICONDATA page asks), or the small icon loaded by size. The caller destroys it.
HICON load_tray_icon(HINSTANCE instance, int resource);

}  // namespace qvx::widgets::win32
