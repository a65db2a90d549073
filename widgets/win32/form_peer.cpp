#include "widgets/win32/form_peer.h"

#include <algorithm>

#include "widgets/win32/dpi.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32 {

static_assert(kPbtApmSuspend == PBT_APMSUSPEND && kPbtApmResumeSuspend == PBT_APMRESUMESUSPEND &&
              kPbtApmResumeAutomatic == PBT_APMRESUMEAUTOMATIC);

namespace {

DWORD frame_style(const FormStyle& style) {
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
         (style.minimize_box ? WS_MINIMIZEBOX : 0);
}

RECT work_area() {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// The setup broadcasts this message to every top-level window of its desktop before it
// replaces the program (installer/guards.nsh names it too). A registered message, since a
// WM_APP number could mean something else to another program's window.
UINT exit_request_message() {
  static const UINT message = RegisterWindowMessageW(L"QuovixExitRequest");
  return message;
}

}  // namespace

FormPeer::FormPeer(Win32Ui& ui, Form& form, HWND owner)
    : ContainerPeer(ui, form, nullptr),
      form_(form),
      main_(owner == nullptr),
      placed_(form.bounds()) {
  const DWORD style = frame_style(form.style());
  const DWORD ex_style = WS_EX_CONTROLPARENT | (form.topmost() ? WS_EX_TOPMOST : 0);
  // Made at the system DPI, where it appears; fit_client() then sizes it for the DPI of the
  // monitor it landed on.
  RECT frame{0, 0, ui.look().scale(form.bounds().width), ui.look().scale(form.bounds().height)};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  adopt(CreateWindowExW(ex_style, kClassName, widen(form.caption()).c_str(), style,
                        ui.look().scale(form.bounds().left), ui.look().scale(form.bounds().top),
                        frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                        ui.instance(), nullptr));
  scale_ = std::make_unique<WindowScale>(window_dpi(hwnd()));
  if (!hwnd()) return;
  if (!form.style().close_box) DeleteMenu(GetSystemMenu(hwnd(), FALSE), SC_CLOSE, MF_BYCOMMAND);
  apply_icons();
  fit_client();
  if (form.style().centred) centre();
  create_children();
  if (form.visible()) apply_visible();
}

FormPeer::~FormPeer() {
  detach_window();
  tray_.reset();
  menu_bar_.reset();
}

void FormPeer::register_class(HINSTANCE instance, HICON big, HICON small) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = big;
  wc.hIconSm = small;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
}

void FormPeer::changed(Control& control, Change what) {
  if (!hwnd()) return;
  if (what == Change::Visible) {
    apply_visible();
  } else {
    ContainerPeer::changed(control, what);
  }
}

void FormPeer::apply_visible() {
  if (!form_.visible()) {
    ShowWindow(hwnd(), SW_HIDE);
    return;
  }
  // Showing a form that is already shown brings it to the front. The foreground alone does
  // not raise it everywhere: Wine leaves a per-monitor aware window it shows behind the others.
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  BringWindowToTop(hwnd());
  SetForegroundWindow(hwnd());
}

void FormPeer::centre() {
  const RECT work = work_area();
  RECT r;
  GetWindowRect(hwnd(), &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPeer::fit_client() {
  const int want_width = scaling().scale(form_.bounds().width);
  const int want_height = scaling().scale(form_.bounds().height);
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT client, frame;
    GetClientRect(hwnd(), &client);
    const int dw = want_width - client.right, dh = want_height - client.bottom;
    if (dw == 0 && dh == 0) return;
    GetWindowRect(hwnd(), &frame);
    SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left + dw,
                 frame.bottom - frame.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void FormPeer::change_dpi(int dpi, const RECT& suggested) {
  // The old fonts stay alive until every control has been given its new one.
  const std::unique_ptr<WindowScale> old = std::move(scale_);
  scale_ = std::make_unique<WindowScale>(dpi);
  // "WM_DPICHANGED message", learn.microsoft.com: move and size the window to the suggested
  // rectangle, or it grows or shrinks against everything else on the new monitor.
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // Windows scales the frame, caption and menu bar itself under per-monitor v2; the client
  // area is ours.
  relayout_children();
  // The suggestion scales the whole frame, whose parts round differently: the client area is
  // made exact again, keeping the suggested top-left corner.
  fit_client();
  apply_icons();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void FormPeer::apply_icons() {
  // The title bar and Alt+Tab take the icon at this window's DPI, not the class's, made for
  // the system DPI.
  const int dpi = scaling().dpi();
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(ui().icon(system_metric(SM_CXSMICON, dpi))));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(ui().icon(system_metric(SM_CXICON, dpi))));
}

void FormPeer::apply_bounds() {
  const Rect& b = form_.bounds();
  UINT flags = SWP_NOSIZE | SWP_NOACTIVATE;
  int x = 0, y = 0;
  if (b.left != placed_.left || b.top != placed_.top) {
    // The whole frame stays on the work area, whatever the position asked for.
    const RECT work = work_area();
    RECT r;
    GetWindowRect(hwnd(), &r);
    x = std::max<int>(work.left,
                      std::min<int>(ui().look().scale(b.left), work.right - (r.right - r.left)));
    y = std::max<int>(work.top,
                      std::min<int>(ui().look().scale(b.top), work.bottom - (r.bottom - r.top)));
  } else {
    flags |= SWP_NOMOVE;
  }
  SetWindowPos(hwnd(), form_.topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, x, y, 0, 0, flags);
  if (b.width != placed_.width || b.height != placed_.height) fit_client();
  placed_ = b;
}

void FormPeer::set_menu_bar(Menu& menu, UINT first_id) {
  menu_bar_ = std::make_unique<MenuPeer>(menu, MenuPeer::Kind::Bar, first_id);
  menu_bar_->set_window(hwnd());
  SetMenu(hwnd(), menu_bar_->handle());
  fit_client();
  if (form_.style().centred && !IsWindowVisible(hwnd())) centre();
}

void FormPeer::set_tray_icon(TrayIcon& icon, HICON image, UINT first_menu_id) {
  tray_ = std::make_unique<TrayPeer>(hwnd(), icon, image, first_menu_id);
}

bool FormPeer::handle(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_CLOSE:
      // The window is never destroyed by its close box: the form decides what closing means.
      if (!form_.style().close_box) return true;
      if (form_.on_title_button) {
        form_.title_button(TitleButton::Close);
      } else {
        form_.close();
      }
      return true;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE && form_.on_title_button) {
        form_.title_button(TitleButton::Minimize);
        return true;
      }
      return (wp & 0xFFF0) == SC_CLOSE && !form_.style().close_box;
    case WM_ACTIVATE: {
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        focus_ = IsChild(hwnd(), focus) ? focus : nullptr;
        return false;
      }
      if (HIWORD(wp)) return false;  // minimised
      const bool usable =
          focus_ && IsChild(hwnd(), focus_) && IsWindowEnabled(focus_) && IsWindowVisible(focus_);
      HWND target = usable ? focus_ : GetNextDlgTabItem(hwnd(), nullptr, FALSE);
      if (!target) return false;
      SetFocus(target);
      return true;
    }
    case WM_COMMAND:
      return lp == 0 && HIWORD(wp) == 0 && menu_bar_ && menu_bar_->choose(LOWORD(wp));
    case WM_DPICHANGED:
      // The new DPI is in both words of wParam (the same for desktop windows), the suggested
      // frame behind lParam (WM_DPICHANGED message, learn.microsoft.com).
      if (lp) change_dpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return true;
    case WM_QUERYENDSESSION:
      // Answered at once, the clean-up left for WM_ENDSESSION; no only while the program is
      // in the middle of something, whose reason the system then shows. Windows offers to end
      // a program that has not answered within five seconds.
      // https://learn.microsoft.com/en-us/windows/win32/shutdown/wm-queryendsession
      // https://learn.microsoft.com/en-us/windows/win32/shutdown/shutdown-changes-for-windows-vista
      result = !main_ || form_.query_end_session() ? TRUE : FALSE;
      return true;
    case WM_ENDSESSION:
      // The session may end at any moment once every program has returned from this message,
      // so the whole teardown runs inside it; no PostQuitMessage or DestroyWindow is needed.
      // https://learn.microsoft.com/en-us/windows/win32/shutdown/wm-endsession
      if (wp && main_) form_.end_session();
      return true;
    case WM_POWERBROADCAST:
      // Classic sleep broadcasts it to every top-level window; on Modern Standby it comes only
      // to the window the application registered (platform/power.h).
      if (main_) form_.power_broadcast(static_cast<unsigned>(wp));
      result = TRUE;
      return true;
    default:
      break;
  }
  if (main_ && msg == exit_request_message()) {
    form_.exit_request();
    return true;
  }
  if (msg >= WM_APP && msg <= 0xBFFF) {
    if (form_.on_message) form_.on_message(msg, wp, lp);
    return true;
  }
  return tray_ && tray_->handle(msg, wp, lp);
}

LRESULT CALLBACK FormPeer::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (auto* self = dynamic_cast<FormPeer*>(from(hwnd))) {
    LRESULT result = 0;
    bool handled = true;  // a handler that threw has done with the message
    // No exception may unwind through the system's frames.
    self->ui().guard([&] {
      handled = self->handle(msg, wp, lp, result) || self->container_message(msg, wp, lp, result);
    });
    if (handled) return result;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace qvx::widgets::win32
