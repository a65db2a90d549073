// The tips window: a page of the service in a browser pane.
#pragma once
#include "widgets/controls.h"
#include "widgets/form.h"

namespace qvx {

class Application;

class TForm4 : public widgets::Form {
 public:
  explicit TForm4(Application& app);
  void FormHide();

  Application& app;
  widgets::Browser CppWebBrowser1;  // the tips page; emptied whenever the window hides
};

}  // namespace qvx
