#include "widgets/controls.h"

namespace qvx::widgets {

void Edit::set_text(const std::string& text) {
  if (text == caption_) return;
  caption_ = text;
  notify(Change::Caption);
  if (on_change) on_change();
}

void Edit::type_key(char key) {
  if (on_key_press) on_key_press(key);
  if (key == 0 || key == '\r') return;  // swallowed, or Enter in a one-line box
  if (key == '\b') {
    if (!caption_.empty()) set_text(caption_.substr(0, caption_.size() - 1));
    return;
  }
  set_text(caption_ + key);
}

void Edit::type_text(const std::string& text) {
  for (char c : text) type_key(c);
}

void Edit::paste(const std::string& text) {
  set_text(caption_ + text);
}

void CheckBox::set_checked(bool on) {
  if (on == checked_) return;
  checked_ = on;
  notify(Change::Checked);
  if (on_click) on_click();
}

void ComboBox::add_item(const std::string& item) {
  items_.push_back(item);
  notify(Change::Items);
}

void ComboBox::clear_items() {
  items_.clear();
  item_index_ = -1;
  notify(Change::Items);
}

void ComboBox::set_item_index(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) index = -1;
  if (index == item_index_) return;
  item_index_ = index;
  notify(Change::ItemIndex);
}

std::string ComboBox::text() const {
  return item_index_ >= 0 ? items_[static_cast<std::size_t>(item_index_)] : std::string();
}

void ComboBox::user_select(int index) {
  set_item_index(index);
  if (on_change) on_change();
}

void StatusPane::set_blinking(bool on) {
  if (on == blinking_) return;
  blinking_ = on;
  notify(Change::Blink);
}

void Browser::navigate(const std::string& url) {
  location_ = url;
  history_.push_back(url);
  if (peer_navigate) peer_navigate(url);
}

void Browser::stop() {
  ++stop_count_;
  if (peer_stop) peer_stop();
}

}  // namespace qvx::widgets
