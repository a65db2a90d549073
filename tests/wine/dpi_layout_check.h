// What the DPI probe reads from a window report and how it judges a re-layout. Portable, so the
// rules are tested natively too.
//
// A report line per control, as the hook writes it (coordinates in the form's client area):
//   control KIND LEFT TOP RIGHT BOTTOM text=WxH room=WxH font=HEIGHT visible=0|1 "TEXT"
// room is the part of the control its text may use; font is the LOGFONT height (negative: the
// character height in pixels).
#pragma once
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qvx::dpi_check {

struct Box {
  std::string kind;
  int left = 0, top = 0, right = 0, bottom = 0;
  int text_width = 0, text_height = 0;
  int room_width = 0, room_height = 0;
  int font = 0;
  bool visible = false;
  std::string text;
};

inline bool read_pair(const std::string& field, const char* name, int& a, int& b) {
  const std::string prefix = std::string(name) + "=";
  if (field.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string value = field.substr(prefix.size());
  const auto x = value.find('x');
  if (x == std::string::npos) return false;
  a = std::atoi(value.substr(0, x).c_str());
  b = std::atoi(value.substr(x + 1).c_str());
  return true;
}

inline std::optional<Box> parse_control(const std::string& line) {
  std::istringstream in(line);
  std::string word, text_field, room_field, font_field, visible_field;
  Box b;
  if (!(in >> word) || word != "control") return std::nullopt;
  if (!(in >> b.kind >> b.left >> b.top >> b.right >> b.bottom >> text_field >> room_field >>
        font_field >> visible_field)) {
    return std::nullopt;
  }
  if (!read_pair(text_field, "text", b.text_width, b.text_height) ||
      !read_pair(room_field, "room", b.room_width, b.room_height) ||
      font_field.compare(0, 5, "font=") != 0 || visible_field.compare(0, 8, "visible=") != 0) {
    return std::nullopt;
  }
  b.font = std::atoi(font_field.c_str() + 5);
  b.visible = visible_field == "visible=1";
  const auto quote = line.find('"');
  if (quote != std::string::npos && line.size() >= quote + 2) {
    b.text = line.substr(quote + 1, line.size() - quote - 2);
  }
  return b;
}

inline std::vector<Box> parse_report(const std::string& report) {
  std::vector<Box> boxes;
  std::istringstream in(report);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (auto b = parse_control(line)) boxes.push_back(*b);
  }
  return boxes;
}

// Text is clipped when a shown control's text is wider or taller than the room it has.
inline bool clipped(const Box& b) {
  return b.visible && !b.text.empty() &&
         (b.text_width > b.room_width || b.text_height > b.room_height);
}

// Sizes that follow the text (a label as wide as its caption) or the font (a drop-down list's
// field) are not layout sizes: they must match their text, not the ratio.
inline bool width_follows_text(const Box& b) {
  return b.kind == "Static" && b.right - b.left == b.text_width;
}
inline bool height_follows_font(const Box& b) {
  return b.kind == "ComboBox" || (b.kind == "Static" && b.bottom - b.top == b.text_height);
}

// Problems of a re-layout from dpi `from` to `to`, each in one line; none when every layout
// edge is the one before scaled by to/from within `tolerance` pixels, every text-sized edge
// fits its text at the new size, and every font was made again at the new scale.
inline std::vector<std::string> compare_scaled(const std::vector<Box>& before, int from,
                                               const std::vector<Box>& after, int to,
                                               int tolerance) {
  std::vector<std::string> problems;
  if (before.size() != after.size()) {
    problems.push_back("the window has " + std::to_string(after.size()) + " controls, had " +
                       std::to_string(before.size()));
    return problems;
  }
  for (std::size_t i = 0; i < before.size(); ++i) {
    const Box& b = before[i];
    const Box& a = after[i];
    const std::string who = b.kind + " \"" + b.text + "\"";
    if (a.kind != b.kind) {
      problems.push_back(who + " became a " + a.kind);
      continue;
    }
    auto check = [&](const char* what, int was, int is) {
      const double want = static_cast<double>(was) * to / from;
      if (is < want - tolerance || is > want + tolerance) {
        std::ostringstream out;
        out << who << ": " << what << " " << is << ", expected " << want << " (was " << was << ")";
        problems.push_back(out.str());
      }
    };
    check("left", b.left, a.left);
    check("top", b.top, a.top);
    if (width_follows_text(b)) {
      if (a.right - a.left != a.text_width) {
        problems.push_back(who + ": no longer as wide as its text");
      }
    } else {
      check("right", b.right, a.right);
    }
    if (!height_follows_font(b)) check("bottom", b.bottom, a.bottom);
    if (b.font != 0 || a.font != 0) check("font height", b.font, a.font);
  }
  return problems;
}

}  // namespace qvx::dpi_check
