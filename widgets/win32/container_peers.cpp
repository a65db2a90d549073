// Panels and group boxes hold their controls in a window of their own, so moving, hiding or
// colouring one covers its contents too.
#include "widgets/win32/child_peers.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32 {

namespace {

class PanelPeer : public ContainerPeer {
 public:
  PanelPeer(Win32Ui& ui, ContainerPeer& container, Panel& panel)
      : ContainerPeer(ui, panel, &container), panel_(panel) {
    create_child(kClassName, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    create_children();
  }
  HBRUSH background() override { return ui().look().brush(panel_.color); }

 protected:
  void apply_caption() override {}  // a panel shows no caption

 private:
  Panel& panel_;
};

// The frame is a group-box button covering the container, made first so it lies behind the
// controls in the tab order, as in a dialog template.
class GroupBoxPeer : public ContainerPeer {
 public:
  GroupBoxPeer(Win32Ui& ui, ContainerPeer& container, GroupBox& box)
      : ContainerPeer(ui, box, &container) {
    create_child(kClassName, 0, WS_EX_CONTROLPARENT);
    RECT r;
    GetClientRect(hwnd(), &r);
    frame_ = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"BUTTON", widen(box.caption()).c_str(),
                             WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, r.right, r.bottom, hwnd(),
                             nullptr, ui.instance(), nullptr);
    tag(frame_);
    apply_font();
    create_children();
  }
  ~GroupBoxPeer() override {
    if (frame_) untag(frame_);
  }

 protected:
  void apply_caption() override {
    if (frame_) SetWindowTextW(frame_, widen(control().caption()).c_str());
  }
  void apply_font() override {
    if (!frame_) return;
    HFONT font = scaling().font(control().font_bold(), control().font_underline());
    SendMessageW(frame_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  void apply_bounds() override {
    ContainerPeer::apply_bounds();
    RECT r;
    GetClientRect(hwnd(), &r);
    MoveWindow(frame_, 0, 0, r.right, r.bottom, TRUE);
  }

 private:
  HWND frame_ = nullptr;
};

}  // namespace

std::unique_ptr<Peer> make_peer(Win32Ui& ui, ContainerPeer& container, Control& control) {
  if (auto* c = dynamic_cast<Label*>(&control)) return make_label_peer(ui, container, *c);
  if (auto* c = dynamic_cast<Edit*>(&control)) return make_edit_peer(ui, container, *c);
  if (auto* c = dynamic_cast<Button*>(&control)) return make_button_peer(ui, container, *c);
  if (auto* c = dynamic_cast<CheckBox*>(&control)) return make_check_box_peer(ui, container, *c);
  if (auto* c = dynamic_cast<ComboBox*>(&control)) return make_combo_box_peer(ui, container, *c);
  if (auto* c = dynamic_cast<StatusPane*>(&control)) {
    return make_status_pane_peer(ui, container, *c);
  }
  if (auto* c = dynamic_cast<Browser*>(&control)) return make_browser_peer(ui, container, *c);
  if (auto* c = dynamic_cast<Panel*>(&control)) {
    return std::make_unique<PanelPeer>(ui, container, *c);
  }
  if (auto* c = dynamic_cast<GroupBox*>(&control)) {
    return std::make_unique<GroupBoxPeer>(ui, container, *c);
  }
  return nullptr;
}

}  // namespace qvx::widgets::win32
