#include "windows/unit5.h"

#include <optional>

#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"

namespace qvx {

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\run";
const char kAutostartValue[] = "quovixnet";
const char kAutostartTask[] = "Quovix加速";
const char kAutostartCaption[] = "开机自动启动";
const char kAutostartRefused[] = "开机自动启动（设置失败）";

TForm5::TForm5(Application& app)
    : widgets::Form("Form5", "设置", 231, 287, {false, true, true}),
      app(app),
      suiGroupBox1(this, "suiGroupBox1", {12, 10, 207, 215}),
      suiCheckBox1(&suiGroupBox1, "suiCheckBox1", {20, 24, 170, 20}),
      suiCheckBox2(&suiGroupBox1, "suiCheckBox2", {20, 54, 170, 20}),
      suiCheckBox3(&suiGroupBox1, "suiCheckBox3", {20, 84, 170, 20}),
      suiCheckBox4(&suiGroupBox1, "suiCheckBox4", {20, 114, 170, 20}),
      suiCheckBox5(&suiGroupBox1, "suiCheckBox5", {20, 144, 170, 20}),
      suiCheckBox6(&suiGroupBox1, "suiCheckBox6", {20, 174, 170, 20}),
      suiButton1(this, "suiButton1", {30, 242, 70, 27}),
      suiButton2(this, "suiButton2", {131, 242, 70, 27}) {
  suiGroupBox1.set_caption("设置选项 ");
  suiCheckBox1.set_caption(kAutostartCaption);
  suiCheckBox2.set_caption("登录后自动连接");
  suiCheckBox3.set_caption("连接成功后最小化");
  suiCheckBox4.set_caption("记录连接信息");
  suiCheckBox5.set_caption("退出时是否提示");
  suiCheckBox6.set_caption("断线自动重连");
  suiButton1.set_caption("确定");
  suiButton2.set_caption("取消");
  on_show = [this] { FormShow(); };
  suiButton1.on_click = [this] { suiButton1Click(); };
  suiButton2.on_click = [this] { suiButton2Click(); };
  // Its close box only hides it; the window lives as long as the program.
  on_title_button = [this](widgets::TitleButton) { hide(); };
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
  suiCheckBox2.set_checked(r.auto_connect == 1);
  suiCheckBox3.set_checked(r.minimize_on_connect == 1);
  suiCheckBox4.set_checked(r.remember_choices == 1);
  suiCheckBox5.set_checked(r.no_exit_prompt == 0);
  suiCheckBox6.set_checked(r.auto_redial == 1);
}

void TForm5::suiButton1Click() {
  const bool stored = store_autostart(suiCheckBox1.checked());
  TForm1& r = *app.Form1;
  r.auto_connect = suiCheckBox2.checked() ? 1 : 0;
  r.minimize_on_connect = suiCheckBox3.checked() ? 1 : 0;
  r.remember_choices = suiCheckBox4.checked() ? 1 : 0;
  r.no_exit_prompt = suiCheckBox5.checked() ? 0 : 1;
  r.auto_redial = suiCheckBox6.checked() ? 1 : 0;
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
