// QVX-UNBUILT: comes with the status window work.
#include "status/unit2.h"

#include "shell/application.h"

namespace qvx {
TForm2::TForm2(Application& app)
    : widgets::Form("Form2", "Quovix加速2.0", 299, 542),
      app(app),
      Label1(this, "Label1", {}), Label2(this, "Label2", {}), Label3(this, "Label3", {}),
      Label4(this, "Label4", {}), Label5(this, "Label5", {}), Label6(this, "Label6", {}),
      Label7(this, "Label7", {}), Label8(this, "Label8", {}), Label9(this, "Label9", {}),
      Label10(this, "Label10", {}), Label11(this, "Label11", {}), Label12(this, "Label12", {}),
      Label13(this, "Label13", {}), Label14(this, "Label14", {}), Label15(this, "Label15", {}),
      Label16(this, "Label16", {}), Label17(this, "Label17", {}), Label18(this, "Label18", {}),
      Label19(this, "Label19", {}),
      suiComboBox1(this, "suiComboBox1", {}), suiComboBox2(this, "suiComboBox2", {}),
      suiComboBox3(this, "suiComboBox3", {}),
      suiButton1(this, "suiButton1", {}), suiButton2(this, "suiButton2", {}),
      Label20(this, "Label20", {}), Label21(this, "Label21", {}), Label22(this, "Label22", {}),
      Label26(this, "Label26", {}), Label27(this, "Label27", {}),
      RzStatusPane1(this, "RzStatusPane1", {}),
      CppWebBrowser1(this, "CppWebBrowser1", {}),
      Label23(this, "Label23", {}),
      Timer1(app.ui, "Timer1", 1000), Timer2(app.ui, "Timer2", 1000),
      Timer3(app.ui, "Timer3", 1000), Timer4(app.ui, "Timer4", 5000),
      Timer5(app.ui, "Timer5", 25000),
      suiMainMenu1("suiMainMenu1"),
      z1(suiMainMenu1, "z1", "主页"), N1(suiMainMenu1, "N1", "设置"),
      N2(suiMainMenu1, "N2", "充值"), N3(suiMainMenu1, "N3", "客服"),
      N4(suiMainMenu1, "N4", "导航"), N5(suiMainMenu1, "N5", "留言"),
      N6(suiMainMenu1, "N6", "帮助") {}
void TForm2::suiButton2Click() {}
void TForm2::suiComboBox1Change() {}
void TForm2::suiComboBox2Change() {}
void TForm2::suiComboBox3Change() {}
void TForm2::title_button(widgets::TitleButton) {}
void TForm2::exit_request() {}
void TForm2::FormShow() {}
void TForm2::Label23MouseMove() {}
void TForm2::Label23MouseLeave() {}
void TForm2::Label23Click() {}
bool TForm2::account_valid() { return false; }
void TForm2::set_idle(const char*) {}
bool subscription_valid(const std::string&, const std::string&) { return false; }
}  // namespace qvx
