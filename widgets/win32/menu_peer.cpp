#include "widgets/win32/menu_peer.h"

#include "widgets/win32/gbk.h"

namespace qvx::widgets::win32 {

MenuPeer::MenuPeer(Menu& menu, Kind kind, UINT first_id)
    : menu_(menu),
      kind_(kind),
      first_id_(first_id),
      menu_handle_(kind == Kind::Bar ? CreateMenu() : CreatePopupMenu()) {
  UINT id = first_id_;
  for (const MenuItem* item : menu_.items()) {
    AppendMenuW(menu_handle_, MF_STRING | (item->enabled() ? MF_ENABLED : MF_GRAYED), id++,
                widen(item->caption()).c_str());
  }
  menu_.peer_changed = [this](MenuItem& item) { apply(item); };
}

MenuPeer::~MenuPeer() {
  menu_.peer_changed = nullptr;
  // A bar still set on a live window is destroyed with that window.
  if (!(window_ && IsWindow(window_) && GetMenu(window_) == menu_handle_))
    DestroyMenu(menu_handle_);
}

void MenuPeer::apply(const MenuItem& item) {
  const auto& items = menu_.items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] != &item) continue;
    EnableMenuItem(menu_handle_, first_id_ + static_cast<UINT>(i),
                   MF_BYCOMMAND | (item.enabled() ? MF_ENABLED : MF_GRAYED));
  }
  if (kind_ == Kind::Bar && window_) DrawMenuBar(window_);
}

bool MenuPeer::choose(UINT id) {
  const auto& items = menu_.items();
  if (id < first_id_ || id >= first_id_ + items.size()) return false;
  MenuItem* item = items[id - first_id_];
  if (item->enabled()) item->click();
  return true;
}

void MenuPeer::track_popup(HWND owner) {
  POINT at;
  GetCursorPos(&at);
  // Windows draws the menu at the DPI of the monitor it opens on under per-monitor v2
  // ("DPI_AWARENESS_CONTEXT handle", learn.microsoft.com: scaling of Win32 menus).
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT id = static_cast<UINT>(TrackPopupMenu(
      menu_handle_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  if (id) choose(id);
}

}  // namespace qvx::widgets::win32
