// The portable control model. A control holds its state and its events; a native peer, when
// one is attached, mirrors every state change onto the real control and turns user input into
// the same calls a test makes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qvx::widgets {

using Handler = std::function<void()>;

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Color& o) const { return !(*this == o); }
};
namespace colors {
constexpr Color kBlack{0, 0, 0};
constexpr Color kMaroon{128, 0, 0};
constexpr Color kBlue{0, 0, 255};
constexpr Color kRed{255, 0, 0};
constexpr Color kPurple{128, 0, 128};
constexpr Color kLime{0, 255, 0};
constexpr Color kLightBlue{225, 245, 252};
}  // namespace colors

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

// Which piece of state changed, so a peer updates only that.
enum class Change { Caption, Enabled, Visible, Font, Checked, Items, ItemIndex, Blink, Bounds };

class Control;

class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void changed(Control& control, Change what) = 0;
};

class Control {
 public:
  Control(Control* parent, std::string name, Rect bounds);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  const Rect& bounds() const { return bounds_; }
  void set_bounds(Rect r);

  // Caption of labels, buttons and boxes; text of edit boxes.
  const std::string& caption() const { return caption_; }
  virtual void set_caption(const std::string& text);

  bool enabled() const { return enabled_; }
  void set_enabled(bool on);
  bool visible() const { return visible_; }
  void set_visible(bool on);

  Color font_color() const { return font_color_; }
  bool font_underline() const { return font_underline_; }
  bool font_bold() const { return font_bold_; }
  void set_font(Color color, bool underline);
  void set_font_bold(bool bold);

  void attach_peer(ControlPeer* peer) { peer_ = peer; }
  ControlPeer* peer() const { return peer_; }

 protected:
  void notify(Change what);
  std::string caption_;

 private:
  Control* parent_;
  std::string name_;
  Rect bounds_;
  bool enabled_ = true;
  bool visible_ = true;
  Color font_color_ = colors::kBlack;
  bool font_underline_ = false;
  bool font_bold_ = false;
  std::vector<Control*> children_;
  ControlPeer* peer_ = nullptr;
};

}  // namespace qvx::widgets
