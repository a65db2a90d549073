// The announcement window: one short text that links to a page, in the screen's corner.
#pragma once
#include "widgets/controls.h"
#include "widgets/form.h"

namespace qvx {

class Application;

class TForm3 : public widgets::Form {
 public:
  explicit TForm3(Application& app);
  void Label1MouseMove();
  void Label1MouseLeave();
  void Label1Click();

  Application& app;
  widgets::Panel Panel1;  // the light-blue background
  widgets::Label Label1;  // the notice's text, cut to 80 bytes; a click opens its page
};

}  // namespace qvx
