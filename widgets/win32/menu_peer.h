// A native menu built from a Menu: a window's menu bar or the tray icon's popup menu. The
// items' enabled states follow the Menu; a chosen item runs its click.
#pragma once
#include <windows.h>

#include "widgets/menu.h"

namespace qvx::widgets::win32 {

class MenuPeer {
 public:
  enum class Kind { Bar, Popup };
  // Item ids start at first_id, so they can be told apart from the controls' ids.
  MenuPeer(Menu& menu, Kind kind, UINT first_id);
  ~MenuPeer();
  MenuPeer(const MenuPeer&) = delete;
  MenuPeer& operator=(const MenuPeer&) = delete;

  HMENU handle() const { return menu_handle_; }
  // A bar is redrawn on changes once it belongs to a window.
  void set_window(HWND window) { window_ = window; }
  // Runs the item with this id; false when the id is not one of this menu's.
  bool choose(UINT id);
  // Shows the popup at the pointer and runs the chosen item, if any.
  void track_popup(HWND owner);

 private:
  void apply(const MenuItem& item);

  Menu& menu_;
  Kind kind_;
  UINT first_id_;
  HMENU menu_handle_;
  HWND window_ = nullptr;
};

}  // namespace qvx::widgets::win32
