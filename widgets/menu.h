// Menu items of the tray's popup menu and of a window's menu bar.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qvx::widgets {

class Menu;

class MenuItem {
 public:
  MenuItem(Menu& menu, std::string name, std::string caption, bool enabled = true);
  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  bool enabled() const { return enabled_; }
  void set_enabled(bool on);
  std::function<void()> on_click;
  // A user's choice, or the program's Click().
  void click() {
    if (on_click) on_click();
  }

 private:
  Menu& menu_;
  std::string name_;
  std::string caption_;
  bool enabled_;
};

class Menu {
 public:
  explicit Menu(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  const std::vector<MenuItem*>& items() const { return items_; }
  void add(MenuItem* item) { items_.push_back(item); }
  // Called when an item's state changes, so a native menu can follow.
  std::function<void(MenuItem&)> peer_changed;

 private:
  std::string name_;
  std::vector<MenuItem*> items_;
};

}  // namespace qvx::widgets
