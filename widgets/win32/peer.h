// The native side of a control: owns its window, mirrors every state change of the control
// onto it, and turns the window's notifications into the control's own calls, the same calls
// the tests make.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "widgets/control.h"
#include "widgets/win32/window_scale.h"

namespace qvx::widgets::win32 {

class Win32Ui;
class ContainerPeer;

class Peer : public ControlPeer {
 public:
  Peer(Win32Ui& ui, Control& control, ContainerPeer* container);
  ~Peer() override;
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  HWND hwnd() const { return hwnd_; }
  Control& control() const { return control_; }
  Win32Ui& ui() const { return ui_; }
  ContainerPeer* container() const { return container_; }

  void changed(Control& control, Change what) override;
  // WM_COMMAND notification this control sent to its parent.
  virtual void command(WORD /*code*/) {}
  // WM_CTLCOLOR*: the brush behind the control's text, or null for the system's colours.
  virtual HBRUSH colour(HDC dc);
  // The DPI and fonts of the window this control is shown in.
  virtual WindowScale& scaling() const;
  // Places the window and sets its font again from the control's 96-dpi layout, after the
  // window's DPI changed.
  virtual void relayout();

  // The peer a window belongs to, or null for windows that have none.
  static Peer* from(HWND hwnd);

 protected:
  // Creates a child window in the container at the control's scaled bounds; its first text
  // is the control's caption unless one is given.
  void create_child(const wchar_t* window_class, DWORD style, DWORD ex_style,
                    const wchar_t* text = nullptr);
  // Top-level windows and the like make their own window and hand it over here.
  void adopt(HWND hwnd);
  // Routes the window's own messages through on_subclass().
  void subclass();
  virtual bool on_subclass(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  LRESULT default_proc(UINT msg, WPARAM wp, LPARAM lp);
  // Cuts the window off from this peer before it is destroyed.
  void detach_window();
  // Makes a window that is part of this control report to this peer.
  void tag(HWND part);
  static void untag(HWND part);

  virtual void apply_caption();
  virtual void apply_font();
  virtual void apply_bounds();
  void apply_enabled();
  std::wstring window_text() const;

  int extra_height_ = 0;  // at 96 dpi: a combo box's window includes its drop-down list

 private:
  static LRESULT CALLBACK subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR self);
  Win32Ui& ui_;
  Control& control_;
  ContainerPeer* container_;
  HWND hwnd_ = nullptr;
  bool subclassed_ = false;
};

// A peer whose window holds other controls' windows: forms, panels and group boxes.
class ContainerPeer : public Peer {
 public:
  using Peer::Peer;
  ~ContainerPeer() override;

  // What the children paint behind their text.
  virtual HBRUSH background();
  // The peer of control among this container's descendants, or null.
  Peer* find(const Control& control) const;
  void relayout() override;

  static void register_class(HINSTANCE instance);
  static constexpr wchar_t kClassName[] = L"QuovixContainer";

 protected:
  // Builds the peers of the control's children in order, which is also the tab order.
  void create_children();
  // The children's windows and fonts again, after the DPI changed.
  void relayout_children();
  // Messages every container handles; true when handled.
  bool container_message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  std::vector<std::unique_ptr<Peer>> children_;
};

// The peer for one child control of a container, by the control's kind; null for a kind that
// has no window.
std::unique_ptr<Peer> make_peer(Win32Ui& ui, ContainerPeer& container, Control& control);

}  // namespace qvx::widgets::win32
