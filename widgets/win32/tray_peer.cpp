#include "widgets/win32/tray_peer.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

#include "widgets/win32/gbk.h"
#include "widgets/win32/message_filter.h"

namespace qvx::widgets::win32 {

namespace {
constexpr UINT kIconId = 1;

template <std::size_t N>
void copy_text(wchar_t (&to)[N], const std::string& gbk) {
  const std::wstring text = widen(gbk);
  const std::size_t n = std::min(text.size(), N - 1);
  std::wmemcpy(to, text.data(), n);
  to[n] = L'\0';
}
}  // namespace

TrayPeer::TrayPeer(HWND window, TrayIcon& icon, HICON image, UINT first_menu_id)
    : window_(window),
      icon_(icon),
      image_(image),
      popup_(icon.popup(), MenuPeer::Kind::Popup, first_menu_id),
      taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {
  // An elevated process gets the shell's broadcast and the icon's notifications (both sent by
  // the unelevated shell, the latter above WM_USER) only when it lets them through.
  allow_message_from_shell(window_, taskbar_created_);
  allow_message_from_shell(window_, kCallback);
  icon_.peer_balloon = [this](const std::string& title, const std::string& text,
                              unsigned timeout_ms) { show_balloon(title, text, timeout_ms); };
  add();
}

TrayPeer::~TrayPeer() {
  icon_.peer_balloon = nullptr;
  NOTIFYICONDATAW d = data(0);
  Shell_NotifyIconW(NIM_DELETE, &d);
}

NOTIFYICONDATAW TrayPeer::data(UINT flags) const {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = window_;
  d.uID = kIconId;
  d.uFlags = flags;
  return d;
}

void TrayPeer::add() {
  NOTIFYICONDATAW d = data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  d.uCallbackMessage = kCallback;
  d.hIcon = image_;
  copy_text(d.szTip, icon_.hint());
  Shell_NotifyIconW(NIM_ADD, &d);
  d.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &d);
}

void TrayPeer::show_balloon(const std::string& title, const std::string& text,
                            unsigned timeout_ms) {
  NOTIFYICONDATAW d = data(NIF_INFO);
  copy_text(d.szInfoTitle, title);
  copy_text(d.szInfo, text);
  d.uTimeout = timeout_ms;
  d.dwInfoFlags = NIIF_INFO;
  Shell_NotifyIconW(NIM_MODIFY, &d);
}

bool TrayPeer::handle(UINT msg, WPARAM, LPARAM lp) {
  if (msg == taskbar_created_) {
    add();
    return true;
  }
  if (msg != kCallback) return false;
  // Version 4 puts the event in the low word and the icon id in the high word.
  switch (LOWORD(lp)) {
    case WM_LBUTTONDOWN:
      icon_.left_button_down();
      break;
    case WM_CONTEXTMENU:
      popup_.track_popup(window_);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace qvx::widgets::win32
