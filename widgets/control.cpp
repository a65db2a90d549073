#include "widgets/control.h"

#include <algorithm>

namespace qvx::widgets {

Control::Control(Control* parent, std::string name, Rect bounds)
    : parent_(parent), name_(std::move(name)), bounds_(bounds) {
  if (parent_) parent_->children_.push_back(this);
}

Control::~Control() {
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void Control::set_bounds(Rect r) {
  bounds_ = r;
  notify(Change::Bounds);
}

void Control::set_caption(const std::string& text) {
  if (text == caption_) return;
  caption_ = text;
  notify(Change::Caption);
}

void Control::set_enabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  notify(Change::Enabled);
}

void Control::set_visible(bool on) {
  if (on == visible_) return;
  visible_ = on;
  notify(Change::Visible);
}

void Control::set_font(Color color, bool underline) {
  if (color == font_color_ && underline == font_underline_) return;
  font_color_ = color;
  font_underline_ = underline;
  notify(Change::Font);
}

void Control::set_font_bold(bool bold) {
  if (bold == font_bold_) return;
  font_bold_ = bold;
  notify(Change::Font);
}

void Control::notify(Change what) {
  if (peer_) peer_->changed(*this, what);
}

}  // namespace qvx::widgets
