// A form's top-level window: dialog frame of a fixed client size, caption, title-bar buttons
// routed to the form, window messages of the WM_APP range handed to Form::on_message, and the
// menu bar and tray icon the form may carry. It is laid out at its monitor's DPI and again
// whenever that changes.
#pragma once
#include <memory>

#include "widgets/form.h"
#include "widgets/win32/menu_peer.h"
#include "widgets/win32/peer.h"
#include "widgets/win32/tray_peer.h"

namespace qvx::widgets::win32 {

class FormPeer : public ContainerPeer {
 public:
  // owner: the main window for every other form, null for the main window itself.
  FormPeer(Win32Ui& ui, Form& form, HWND owner);
  ~FormPeer() override;

  Form& form() const { return form_; }
  void changed(Control& control, Change what) override;
  HBRUSH background() override { return GetSysColorBrush(COLOR_BTNFACE); }
  WindowScale& scaling() const override { return *scale_; }

  void set_menu_bar(Menu& menu, UINT first_id);
  void set_tray_icon(TrayIcon& icon, HICON image, UINT first_menu_id);

  static void register_class(HINSTANCE instance, HICON big, HICON small);
  static constexpr wchar_t kClassName[] = L"QuovixForm";

 protected:
  void apply_bounds() override;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool handle(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void apply_visible();
  void centre();
  // Grows or shrinks the frame until the client area has the form's size (a menu bar may wrap).
  void fit_client();
  // WM_DPICHANGED: the suggested frame, the controls and fonts at the new DPI.
  void change_dpi(int dpi, const RECT& suggested);
  void apply_icons();

  Form& form_;
  bool main_;
  std::unique_ptr<WindowScale> scale_;
  std::unique_ptr<MenuPeer> menu_bar_;
  std::unique_ptr<TrayPeer> tray_;
  HWND focus_ = nullptr;  // the control that had the keyboard when the window was deactivated
  Rect placed_;           // the bounds last applied, to tell a move from a resize
};

}  // namespace qvx::widgets::win32
