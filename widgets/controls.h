// The controls the windows are built from. Event rules:
// - a check box runs on_click whenever its ticked state changes, by the user or the program;
// - a combo box runs on_change only on a user's choice, not when the program selects an item;
// - an edit box runs on_change on every change of its text.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "widgets/control.h"

namespace qvx::widgets {

enum class Cursor { Arrow, Hand };

class Label : public Control {
 public:
  using Control::Control;
  bool word_wrap = false;
  Cursor cursor = Cursor::Arrow;
  Handler on_click, on_mouse_move, on_mouse_leave;
  // User input, as the peer reports it.
  void click() {
    if (on_click) on_click();
  }
  void mouse_move() {
    if (on_mouse_move) on_mouse_move();
  }
  void mouse_leave() {
    if (on_mouse_leave) on_mouse_leave();
  }
};

class Edit : public Control {
 public:
  using Control::Control;
  const std::string& text() const { return caption_; }
  void set_text(const std::string& text);  // runs on_change when the text changes
  char password_char = 0;
  Handler on_change;
  std::function<void(char& key)> on_key_press;
  // User input: a typed key (key press first, then the text change), or a paste.
  void type_key(char key);
  void type_text(const std::string& text);  // each character as a key
  void paste(const std::string& text);      // appended in one change
};

class Button : public Control {
 public:
  using Control::Control;
  Handler on_click;
  // Runs the click handling, as a user's click or the program's Click() does.
  void click() {
    if (on_click) on_click();
  }
};

class CheckBox : public Control {
 public:
  using Control::Control;
  bool checked() const { return checked_; }
  void set_checked(bool on);                 // runs on_click when the state changes
  void toggle() { set_checked(!checked_); }  // a user's click
  Handler on_click;

 private:
  bool checked_ = false;
};

class ComboBox : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& items() const { return items_; }
  void add_item(const std::string& item);
  void clear_items();
  int item_index() const { return item_index_; }
  void set_item_index(int index);  // program selection: no on_change; out of range selects none
  std::string text() const;        // text of the selected item, empty without one
  void user_select(int index);     // a user's choice: selects and runs on_change
  Handler on_change;

 private:
  std::vector<std::string> items_;
  int item_index_ = -1;
};

class GroupBox : public Control {
 public:
  using Control::Control;
};

class Panel : public Control {
 public:
  using Control::Control;
  Color color{240, 240, 240};
};

class StatusPane : public Control {
 public:
  using Control::Control;
  bool blinking() const { return blinking_; }
  void set_blinking(bool on);

 private:
  bool blinking_ = false;
};

class Browser : public Control {
 public:
  using Control::Control;
  const std::string& location() const { return location_; }
  const std::vector<std::string>& history() const { return history_; }
  void navigate(const std::string& url);
  void stop();
  int stop_count() const { return stop_count_; }
  // The peer hooks in here to drive the real control.
  std::function<void(const std::string&)> peer_navigate;
  std::function<void()> peer_stop;

 private:
  std::string location_;
  std::vector<std::string> history_;
  int stop_count_ = 0;
};

}  // namespace qvx::widgets
