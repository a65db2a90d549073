// Edit boxes, push buttons, check boxes and drop-down lists.
#include "widgets/win32/child_peers.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32 {

namespace {

class EditPeer : public Peer {
 public:
  EditPeer(Win32Ui& ui, ContainerPeer& container, Edit& edit)
      : Peer(ui, edit, &container), edit_(edit) {
    create_child(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | (edit.password_char ? ES_PASSWORD : 0),
                 WS_EX_CLIENTEDGE);
    if (edit.password_char) {
      SendMessageW(hwnd(), EM_SETPASSWORDCHAR,
                   static_cast<WPARAM>(static_cast<unsigned char>(edit.password_char)), 0);
    }
    subclass();
  }

  // Every change of the window's text, typed, pasted or set by the program.
  void command(WORD code) override {
    if (code != EN_CHANGE) return;
    const std::string text = narrow(window_text());
    if (text != edit_.text()) edit_.set_text(text);
  }

 protected:
  bool on_subclass(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
      case WM_GETDLGCODE: {
        // A one-line edit gives Enter to the dialog keys by default; the key handler needs it.
        const MSG* key = reinterpret_cast<const MSG*>(lp);
        if (!key || key->wParam != VK_RETURN || !edit_.on_key_press) return false;
        result = default_proc(msg, wp, lp) | DLGC_WANTALLKEYS;
        return true;
      }
      case WM_CHAR:
        return key_press(wp, lp, result);
      default:
        return false;
    }
  }

  void apply_caption() override {
    const std::wstring text = widen(edit_.text());
    if (text == window_text()) return;
    SetWindowTextW(hwnd(), text.c_str());
    const auto end = static_cast<WPARAM>(text.size());
    SendMessageW(hwnd(), EM_SETSEL, end, static_cast<LPARAM>(end));
  }

 private:
  // The key handler sees one-byte characters; a two-byte GBK character from an input method
  // goes straight into the box.
  bool key_press(WPARAM wp, LPARAM lp, LRESULT& result) {
    if (!edit_.on_key_press) return false;
    const std::string bytes = narrow(std::wstring(1, static_cast<wchar_t>(wp)));
    if (bytes.size() != 1) return false;
    char key = bytes[0];
    edit_.on_key_press(key);
    result = 0;
    if (key == 0 || key == '\r') return true;  // swallowed, or Enter in a one-line box
    if (key != bytes[0]) {
      const std::wstring replaced = widen(std::string(1, key));
      if (replaced.size() == 1) {
        result = default_proc(WM_CHAR, replaced[0], lp);
        return true;
      }
    }
    return false;
  }

  Edit& edit_;
};

class ButtonPeer : public Peer {
 public:
  ButtonPeer(Win32Ui& ui, ContainerPeer& container, Button& button)
      : Peer(ui, button, &container), button_(button) {
    create_child(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0);
  }
  void command(WORD code) override {
    if (code == BN_CLICKED) button_.click();
  }

 private:
  Button& button_;
};

// Not an automatic check box: the control's state is the only truth, and a click handler
// that refuses the tick simply sets it back.
class CheckBoxPeer : public Peer {
 public:
  CheckBoxPeer(Win32Ui& ui, ContainerPeer& container, CheckBox& box)
      : Peer(ui, box, &container), box_(box) {
    create_child(L"BUTTON", WS_TABSTOP | BS_CHECKBOX, 0);
    apply_checked();
  }
  void changed(Control& control, Change what) override {
    if (what == Change::Checked) {
      apply_checked();
    } else {
      Peer::changed(control, what);
    }
  }
  void command(WORD code) override {
    if (code == BN_CLICKED) box_.toggle();
  }

 private:
  void apply_checked() {
    SendMessageW(hwnd(), BM_SETCHECK, box_.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  CheckBox& box_;
};

class ComboBoxPeer : public Peer {
 public:
  ComboBoxPeer(Win32Ui& ui, ContainerPeer& container, ComboBox& box)
      : Peer(ui, box, &container), box_(box) {
    extra_height_ = kListHeight;
    create_child(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0);
    apply_items();
  }
  void changed(Control& control, Change what) override {
    if (what == Change::Items) {
      apply_items();
    } else if (what == Change::ItemIndex) {
      apply_index();
    } else {
      Peer::changed(control, what);
    }
  }
  // Only the user's choice arrives here; the program's selections do not notify.
  void command(WORD code) override {
    if (code != CBN_SELCHANGE) return;
    box_.user_select(static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0)));
  }

 protected:
  void apply_caption() override {}  // a drop-down list shows its selected item

 private:
  static constexpr int kListHeight = 200;

  void apply_items() {
    SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
    for (const std::string& item : box_.items()) {
      SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
    }
    apply_index();
  }
  void apply_index() {
    SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(box_.item_index()), 0);
  }
  ComboBox& box_;
};

}  // namespace

std::unique_ptr<Peer> make_edit_peer(Win32Ui& ui, ContainerPeer& container, Edit& edit) {
  return std::make_unique<EditPeer>(ui, container, edit);
}
std::unique_ptr<Peer> make_button_peer(Win32Ui& ui, ContainerPeer& container, Button& button) {
  return std::make_unique<ButtonPeer>(ui, container, button);
}
std::unique_ptr<Peer> make_check_box_peer(Win32Ui& ui, ContainerPeer& container, CheckBox& box) {
  return std::make_unique<CheckBoxPeer>(ui, container, box);
}
std::unique_ptr<Peer> make_combo_box_peer(Win32Ui& ui, ContainerPeer& container, ComboBox& box) {
  return std::make_unique<ComboBoxPeer>(ui, container, box);
}

}  // namespace qvx::widgets::win32
