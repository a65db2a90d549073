// The notification-area icon of a TrayIcon, living on its owner form's window: hint, popup
// menu on a right click, the left-button event, balloons, and coming back when the taskbar
// is recreated (explorer restarted).
#pragma once
#include <windows.h>

#include "widgets/tray_icon.h"
#include "widgets/win32/menu_peer.h"

namespace qvx::widgets::win32 {

class TrayPeer {
 public:
  // Below WM_APP, which belongs to the form's own messages.
  static constexpr UINT kCallback = WM_USER + 100;

  TrayPeer(HWND window, TrayIcon& icon, HICON image, UINT first_menu_id);
  ~TrayPeer();  // removes the icon
  TrayPeer(const TrayPeer&) = delete;
  TrayPeer& operator=(const TrayPeer&) = delete;

  // The owner window's messages; true when this one was the icon's.
  bool handle(UINT msg, WPARAM wp, LPARAM lp);

 private:
  NOTIFYICONDATAW data(UINT flags) const;
  void add();
  void show_balloon(const std::string& title, const std::string& text, unsigned timeout_ms);

  HWND window_;
  TrayIcon& icon_;
  HICON image_;
  MenuPeer popup_;
  UINT taskbar_created_;
};

}  // namespace qvx::widgets::win32
