// The notification-area icon: hint, popup menu, left-button event and an information balloon.
#pragma once
#include <functional>
#include <string>

#include "widgets/menu.h"

namespace qvx::widgets {

class TrayIcon {
 public:
  static constexpr std::size_t kTitleBytes = 63;
  static constexpr std::size_t kTextBytes = 255;

  TrayIcon(std::string hint, Menu& popup) : hint_(std::move(hint)), popup_(popup) {}
  const std::string& hint() const { return hint_; }
  Menu& popup() { return popup_; }
  std::function<void()> on_left_button_down;
  void left_button_down() {
    if (on_left_button_down) on_left_button_down();
  }

  // Shows an information balloon; the title and text are cut to what the icon keeps, never
  // inside a two-byte GBK character.
  void show_balloon(const std::string& title, const std::string& text, unsigned timeout_ms);
  const std::string& balloon_title() const { return balloon_title_; }
  const std::string& balloon_text() const { return balloon_text_; }
  int balloon_count() const { return balloon_count_; }
  std::function<void(const std::string&, const std::string&, unsigned)> peer_balloon;

 private:
  std::string hint_;
  Menu& popup_;
  std::string balloon_title_, balloon_text_;
  int balloon_count_ = 0;
};

// Cuts a GBK text to at most max_bytes without splitting a two-byte character.
std::string cut_gbk(const std::string& text, std::size_t max_bytes);

}  // namespace qvx::widgets
