// QVX-UNBUILT: comes with the secondary windows work.
#include "windows/unit5.h"

namespace qvx {
const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\run";
const char kAutostartValue[] = "quovixnet";
TForm5::TForm5(Application& app)
    : widgets::Form("Form5", "设置", 231, 257), app(app), suiGroupBox1(this, "suiGroupBox1", {}),
      suiCheckBox1(&suiGroupBox1, "suiCheckBox1", {}), suiCheckBox2(&suiGroupBox1, "suiCheckBox2", {}),
      suiCheckBox3(&suiGroupBox1, "suiCheckBox3", {}), suiCheckBox4(&suiGroupBox1, "suiCheckBox4", {}),
      suiCheckBox5(&suiGroupBox1, "suiCheckBox5", {}), suiButton1(this, "suiButton1", {}),
      suiButton2(this, "suiButton2", {}) {}
void TForm5::FormShow() {}
void TForm5::suiButton1Click() {}
void TForm5::suiButton2Click() {}
}  // namespace qvx
