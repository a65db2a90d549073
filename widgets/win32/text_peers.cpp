// Labels and status panes: static text windows.
#include <algorithm>

#include "widgets/win32/child_peers.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32 {

namespace {

class LabelPeer : public Peer {
 public:
  LabelPeer(Win32Ui& ui, ContainerPeer& container, Label& label)
      : Peer(ui, label, &container), label_(label) {
    create_child(L"STATIC",
                 SS_NOTIFY | SS_NOPREFIX | (label.word_wrap ? SS_LEFT : SS_LEFTNOWORDWRAP), 0);
    subclass();
    fit();
  }

  void command(WORD code) override {
    if (code == STN_CLICKED) label_.click();
  }

 protected:
  bool on_subclass(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    switch (msg) {
      case WM_MOUSEMOVE:
        if (!tracking_) {
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
          tracking_ = TrackMouseEvent(&track);
        }
        label_.mouse_move();
        return false;
      case WM_MOUSELEAVE:
        tracking_ = false;
        label_.mouse_leave();
        return false;
      case WM_SETCURSOR:
        if (label_.cursor != Cursor::Hand) return false;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
      default:
        return false;
    }
  }

  void apply_caption() override {
    Peer::apply_caption();
    fit();
  }
  void apply_font() override {
    Peer::apply_font();
    fit();
  }
  void apply_bounds() override {
    Peer::apply_bounds();
    fit();
  }

 private:
  // A label that does not wrap is as wide as its text, so no caption is ever clipped. One that
  // wraps keeps its width and grows down until its last line shows: a face with taller lines
  // than 宋体 (a substitute where 宋体 is missing) needs more height than the layout gives.
  void fit() {
    const std::wstring text = widen(label_.caption());
    const RECT design = scaling().scale(label_.bounds());
    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, scaling().font(label_.font_bold(), label_.font_underline()));
    SIZE size{};
    if (label_.word_wrap) {
      RECT need{0, 0, design.right - design.left, 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      size = SIZE{design.right - design.left, need.bottom};
    } else {
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    const int height = std::max<int>(design.bottom - design.top, size.cy);
    SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Label& label_;
  bool tracking_ = false;
};

class StatusPanePeer : public Peer {
 public:
  StatusPanePeer(Win32Ui& ui, ContainerPeer& container, StatusPane& pane)
      : Peer(ui, pane, &container), pane_(pane) {
    create_child(L"STATIC", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, WS_EX_STATICEDGE);
    subclass();
    apply_blink();
  }

  void changed(Control& control, Change what) override {
    if (what == Change::Blink) {
      apply_blink();
    } else {
      Peer::changed(control, what);
    }
  }

 protected:
  bool on_subclass(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    if (msg != WM_TIMER || wp != kBlinkTimer) return false;
    text_shown_ = !text_shown_;
    apply_caption();
    result = 0;
    return true;
  }

  void apply_caption() override {
    const std::wstring text = text_shown_ ? widen(pane_.caption()) : std::wstring();
    if (text != window_text()) SetWindowTextW(hwnd(), text.c_str());
  }

 private:
  static constexpr UINT_PTR kBlinkTimer = 1;
  static constexpr UINT kBlinkMs = 500;

  void apply_blink() {
    if (pane_.blinking()) {
      SetTimer(hwnd(), kBlinkTimer, kBlinkMs, nullptr);
      return;
    }
    KillTimer(hwnd(), kBlinkTimer);
    text_shown_ = true;
    apply_caption();
  }

  StatusPane& pane_;
  bool text_shown_ = true;
};

}  // namespace

std::unique_ptr<Peer> make_label_peer(Win32Ui& ui, ContainerPeer& container, Label& label) {
  return std::make_unique<LabelPeer>(ui, container, label);
}

std::unique_ptr<Peer> make_status_pane_peer(Win32Ui& ui, ContainerPeer& container,
                                            StatusPane& pane) {
  return std::make_unique<StatusPanePeer>(ui, container, pane);
}

}  // namespace qvx::widgets::win32
