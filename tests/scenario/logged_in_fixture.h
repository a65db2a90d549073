// A client whose login has just succeeded: the record and the status window's boxes are set
// up directly, the login window is hidden and the status window shows the idle state.
#pragma once
#include "app_fixture.h"

namespace qvx::testing {

class LoggedInTest : public AppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    TForm1& r = f1();
    r.Edit1.set_text("user1");
    r.Edit2.set_text("secret");
    r.server_time = "2009-1-1 0:0:0";
    r.expiry_time = "2030-1-1 0:0:0";
    r.node_count = 2;
    r.node_names[0] = "自动选择";
    r.node_names[1] = "北京节点";
    r.node_addresses[1] = "127.0.0.2";
    r.node_names[2] = "上海节点";
    r.node_addresses[2] = "127.0.0.3";
    for (int n = 0; n <= r.node_count; ++n) f2().suiComboBox1.add_item(r.node_names[n]);
    f2().suiComboBox2.add_item("外网模式");
    f2().suiComboBox2.add_item("内网模式");
    f2().suiComboBox3.add_item("部分中转");
    f2().suiComboBox3.add_item("完全中转");
    // A fixed node keeps a dial off the automatic probes.
    f2().suiComboBox1.set_item_index(1);
    f2().suiComboBox2.set_item_index(0);
    f2().suiComboBox3.set_item_index(0);
    r.node_choice = 1;
    r.hide();
    f2().show();
    f2().show_connection({LinkState::Idle, "连接状态： 未连接"});
  }

  std::vector<widgets::ComboBox*> boxes_of_f2() {
    return {&f2().suiComboBox1, &f2().suiComboBox2, &f2().suiComboBox3};
  }

  std::string last_log_line() {
    std::string text = log();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const auto start = text.rfind('\n');
    const std::string line = start == std::string::npos ? text : text.substr(start + 1);
    const auto message = line.find("]  ");
    return message == std::string::npos ? line : line.substr(message + 3);
  }
};

}  // namespace qvx::testing
