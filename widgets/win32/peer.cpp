#include "widgets/win32/peer.h"

#include <commctrl.h>

#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32 {

namespace {
// A window property rather than GWLP_USERDATA, which hosted controls may use themselves.
constexpr wchar_t kPeerProperty[] = L"QuovixPeer";
}  // namespace

Peer::Peer(Win32Ui& ui, Control& control, ContainerPeer* container)
    : ui_(ui), control_(control), container_(container) {}

Peer::~Peer() {
  detach_window();
  if (control_.peer() == this) control_.attach_peer(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
}

void Peer::detach_window() {
  if (!hwnd_) return;
  untag(hwnd_);
  if (subclassed_) RemoveWindowSubclass(hwnd_, subclass_proc, 1);
  subclassed_ = false;
}

void Peer::tag(HWND part) {
  SetPropW(part, kPeerProperty, this);
}

void Peer::untag(HWND part) {
  RemovePropW(part, kPeerProperty);
}

Peer* Peer::from(HWND hwnd) {
  return hwnd ? static_cast<Peer*>(GetPropW(hwnd, kPeerProperty)) : nullptr;
}

void Peer::create_child(const wchar_t* window_class, DWORD style, DWORD ex_style,
                        const wchar_t* text) {
  const RECT r = scaling().scale(control_.bounds());
  style |= WS_CHILD | (control_.visible() ? WS_VISIBLE : 0);
  const std::wstring caption = text ? std::wstring(text) : widen(control_.caption());
  HWND hwnd = CreateWindowExW(
      ex_style | WS_EX_NOPARENTNOTIFY, window_class, caption.c_str(), style, r.left, r.top,
      r.right - r.left, r.bottom - r.top + scaling().scale(extra_height_), container_->hwnd(),
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ui_.next_control_id())), ui_.instance(), this);
  adopt(hwnd);
  apply_font();
  apply_enabled();
}

void Peer::adopt(HWND hwnd) {
  hwnd_ = hwnd;
  if (!hwnd_) return;
  tag(hwnd_);
  control_.attach_peer(this);
}

void Peer::subclass() {
  subclassed_ = SetWindowSubclass(hwnd_, subclass_proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Peer::subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR self) {
  Peer* peer = reinterpret_cast<Peer*>(self);
  LRESULT result = 0;
  bool handled = true;
  peer->ui().guard([&] { handled = peer->on_subclass(msg, wp, lp, result); });
  if (handled) return result;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

bool Peer::on_subclass(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

LRESULT Peer::default_proc(UINT msg, WPARAM wp, LPARAM lp) {
  return DefSubclassProc(hwnd_, msg, wp, lp);
}

void Peer::changed(Control&, Change what) {
  if (!hwnd_) return;
  switch (what) {
    case Change::Caption:
      apply_caption();
      break;
    case Change::Enabled:
      apply_enabled();
      break;
    case Change::Visible:
      ShowWindow(hwnd_, control_.visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Change::Font:
      apply_font();
      break;
    case Change::Bounds:
      apply_bounds();
      break;
    default:
      break;
  }
}

WindowScale& Peer::scaling() const {
  return container_->scaling();
}

void Peer::relayout() {
  apply_bounds();
  apply_font();
}

HBRUSH Peer::colour(HDC dc) {
  SetTextColor(dc, to_colorref(control_.font_color()));
  SetBkMode(dc, TRANSPARENT);
  return container_ ? container_->background() : nullptr;
}

std::wstring Peer::window_text() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Peer::apply_caption() {
  const std::wstring text = widen(control_.caption());
  // Comparing first keeps the control's own notification of this change from echoing back.
  if (text != window_text()) SetWindowTextW(hwnd_, text.c_str());
}

void Peer::apply_font() {
  SendMessageW(
      hwnd_, WM_SETFONT,
      reinterpret_cast<WPARAM>(scaling().font(control_.font_bold(), control_.font_underline())),
      TRUE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Peer::apply_bounds() {
  const RECT r = scaling().scale(control_.bounds());
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left,
             r.bottom - r.top + scaling().scale(extra_height_), TRUE);
}

void Peer::apply_enabled() {
  const bool on = control_.enabled();
  if (!on && GetFocus() == hwnd_) {
    // A disabled window cannot keep the keyboard: hand it to the next control.
    HWND root = GetAncestor(hwnd_, GA_ROOT);
    if (HWND next = GetNextDlgTabItem(root, hwnd_, FALSE); next && next != hwnd_) {
      SetFocus(next);
    }
  }
  EnableWindow(hwnd_, on);
}

ContainerPeer::~ContainerPeer() {
  // The children's windows go first, while this window no longer forwards to a half-gone peer.
  detach_window();
  children_.clear();
}

void ContainerPeer::register_class(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
}

HBRUSH ContainerPeer::background() {
  return container() ? container()->background() : GetSysColorBrush(COLOR_BTNFACE);
}

Peer* ContainerPeer::find(const Control& control) const {
  for (const auto& child : children_) {
    if (&child->control() == &control) return child.get();
    if (auto* inner = dynamic_cast<ContainerPeer*>(child.get())) {
      if (Peer* found = inner->find(control)) return found;
    }
  }
  return nullptr;
}

void ContainerPeer::relayout() {
  Peer::relayout();
  relayout_children();
}

void ContainerPeer::relayout_children() {
  for (const auto& child : children_) child->relayout();
}

void ContainerPeer::create_children() {
  for (Control* child : control().children()) {
    if (auto peer = make_peer(ui(), *this, *child)) children_.push_back(std::move(peer));
  }
}

bool ContainerPeer::container_message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (Peer* child = from(reinterpret_cast<HWND>(lp))) {
        child->command(HIWORD(wp));
        result = 0;
        return true;
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (Peer* child = from(reinterpret_cast<HWND>(lp))) {
        if (HBRUSH brush = child->colour(reinterpret_cast<HDC>(wp))) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      return false;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, background());
      result = 1;
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK ContainerPeer::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (auto* self = dynamic_cast<ContainerPeer*>(from(hwnd))) {
    LRESULT result = 0;
    bool handled = true;
    self->ui().guard([&] { handled = self->container_message(msg, wp, lp, result); });
    if (handled) return result;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace qvx::widgets::win32
