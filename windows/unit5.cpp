#include "windows/unit5.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"

namespace qvx {

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\run";
const char kAutostartValue[] = "quovixnet";
const char kAutostartTask[] = "Quovix加速";
const char kAutostartCaption[] = "开机自动启动";
const char kAutostartRefused[] = "开机自动启动（设置失败）";

namespace {

// Boxes one below another in the group box; the window grows with their number.
constexpr int kBoxes = 1 + settings_box_count();
constexpr int kBoxPitch = 30;
constexpr widgets::Rect box_at(int slot) {
  return {20, 24 + (slot - 1) * kBoxPitch, 170, 20};
}
constexpr int kGroupHeight = 35 + kBoxPitch * kBoxes;
constexpr widgets::Rect kGroup{12, 10, 207, kGroupHeight};
constexpr int kButtonsTop = kGroup.top + kGroup.height + 17;
constexpr int kClientHeight = kButtonsTop + 27 + 18;

}  // namespace

TForm5::TForm5(Application& app)
    : widgets::Form("Form5", "设置", 231, kClientHeight, {false, true, true}),
      app(app),
      suiGroupBox1(this, "suiGroupBox1", kGroup),
      suiCheckBox1(&suiGroupBox1, "suiCheckBox1", box_at(1)),
      suiButton1(this, "suiButton1", {30, kButtonsTop, 70, 27}),
      suiButton2(this, "suiButton2", {131, kButtonsTop, 70, 27}) {
  for (int slot = 2; slot <= kBoxes; ++slot) {
    for (const UserIniField& f : kUserIniFields) {
      if (f.box.slot != slot) continue;
      auto box = std::make_unique<widgets::CheckBox>(
          &suiGroupBox1, "suiCheckBox" + std::to_string(slot), box_at(slot));
      box->set_caption(f.box.caption);
      option_boxes_.push_back({&f, std::move(box)});
    }
  }
  suiGroupBox1.set_caption("设置选项 ");
  suiCheckBox1.set_caption(kAutostartCaption);
  suiButton1.set_caption("确定");
  suiButton2.set_caption("取消");
  on_show = [this] { FormShow(); };
  suiButton1.on_click = [this] { suiButton1Click(); };
  suiButton2.on_click = [this] { suiButton2Click(); };
  // Its close box only hides it; the window lives as long as the program.
  on_title_button = [this](widgets::TitleButton) { hide(); };
}

widgets::CheckBox& TForm5::option_box(int ClientRecord::*field) {
  for (OptionBox& o : option_boxes_) {
    if (o.field->number == field) return *o.box;
  }
  throw std::logic_error("no settings box for this field");
}

void TForm5::FormShow() {
  // A Run value an earlier version wrote still counts: it starts the client where UAC is off.
  // When neither the Task Scheduler nor the Run key can be asked, the box stays as it was.
  std::optional<bool> on;
  if (uses_logon_task()) on = app.platform.logon_tasks.exists(kAutostartTask);
  for (const auto view : {platform::RegistryView::Own, platform::RegistryView::Other}) {
    if (auto key = app.platform.registry.open_local_machine(kRunKeyPath, view)) {
      on = on.value_or(false) || key->value_exists(kAutostartValue);
    }
  }
  if (on) suiCheckBox1.set_checked(*on);
  const TForm1& r = *app.Form1;
  for (OptionBox& o : option_boxes_) o.box->set_checked(r.*o.field->number == o.field->box.ticked);
}

void TForm5::suiButton1Click() {
  const bool stored = store_autostart(suiCheckBox1.checked());
  TForm1& r = *app.Form1;
  for (OptionBox& o : option_boxes_) {
    r.*o.field->number = o.box->checked() ? o.field->box.ticked : o.field->unticked();
  }
  // Turned off while a redial counts down: the drop stands.
  if (r.auto_redial != 1) app.Form2->redial.cancel("连接状态： 已断开");
  // A refused autostart stays in view, as it still stands and saying so, rather than seeming
  // done.
  if (!stored) {
    suiCheckBox1.set_checked(!suiCheckBox1.checked());
    suiCheckBox1.set_caption(kAutostartRefused);
    return;
  }
  suiCheckBox1.set_caption(kAutostartCaption);
  hide();
}

bool TForm5::uses_logon_task() const {
  return app.Form1->os_version.major >= 6;
}

// With the task, no Run value: where UAC is off both would start the client, and the second
// copy would greet every logon with "该软件已经在运行".
bool TForm5::store_autostart(bool on) {
  auto key = app.platform.registry.open_local_machine(kRunKeyPath);
  if (!uses_logon_task()) {
    // Registry errors go unreported here, as they always have before Vista.
    if (!key) return true;
    if (on) {
      key->set_string(kAutostartValue, app.platform.files.program_path());
    } else {
      key->delete_value(kAutostartValue);
    }
    return true;
  }
  platform::LogonTasks& tasks = app.platform.logon_tasks;
  if (on && !tasks.create(kAutostartTask, app.platform.files.program_path())) return false;
  if (!on && !tasks.remove(kAutostartTask)) return false;
  if (key) key->delete_value(kAutostartValue);
  // The 32-bit client of the zip on 64-bit Windows wrote its value in the other view.
  if (auto other =
          app.platform.registry.open_local_machine(kRunKeyPath, platform::RegistryView::Other)) {
    other->delete_value(kAutostartValue);
  }
  return true;
}

void TForm5::suiButton2Click() {
  hide();
}

}  // namespace qvx
