// A logged-in client that dials and hangs up through its real threads over the simulated RAS,
// with a local adapter and its default route and, on demand, route tables for partial relay.
#pragma once
#include "connect/thread_dial.h"
#include "connect/thread_hangup.h"
#include "logged_in_fixture.h"

namespace qvx::testing {

using Call = sim::SimRas::Call;

class ConnectionTest : public LoggedInTest {
 protected:
  void SetUp() override {
    LoggedInTest::SetUp();
    f1().days_left = "31";
    f1().local_ip = "192.168.1.5";
    os.ip_helper.add_adapter({2, {"192.168.1.5"}, {"192.168.1.1"}}, 10);
    os.ip_helper.add_route(lan_default_route());
  }
  // The LAN's default route through its gateway, as the table holds it before any dial.
  static platform::ForwardRow lan_default_route() {
    platform::ForwardRow r;
    r.next_hop = sim::ipv4("192.168.1.1");
    r.if_index = 2;
    r.type = 4;
    r.proto = 3;
    r.metric1 = 25;
    return r;
  }
  bool idle() const {
    return app->Form2->suiButton2.caption() == "连接" && app->Form2->suiButton2.enabled();
  }
  bool connected() const {
    return app->Form2->suiButton2.caption() == "挂断" && app->Form2->suiButton2.enabled();
  }
  void connect() {
    f2().suiButton2.click();
    // The pointer is cleared when the finished worker is reaped.
    ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
    ui->pump();
  }
  void hang_up() {
    f2().suiButton2.click();
    ASSERT_TRUE(ui->pump_until([&] { return app->hangup_thread == nullptr; }));
    ui->pump();
  }
  void set_route_tables() {
    os.files.put("C:\\Quovix\\route\\CHINANET.dat", "58 0 0 0 58 255 255 255 255 0 0 0");
    os.files.put("C:\\Quovix\\route\\CNC.dat",
                 "60 0 0 0 60 255 255 255 255 0 0 0 61 0 0 0 61 255 255 255 255 0 0 0");
    os.files.put("C:\\Quovix\\route\\CERNET.dat", "202 0 0 0 202 0 255 255 255 255 0 0");
    f1().route_tables.load("C:\\Quovix\\");
    f1().route_tables.identify_network("58.1.2.3");
  }
  // Connects in partial relay mode and leaves the dial thread held in its first new route,
  // with the window already showing the connection.
  void connect_and_hold_in_routes() {
    set_route_tables();
    os.ip_helper.hold_creates(true);
    f2().suiButton2.click();
    ASSERT_TRUE(ui->pump_until([&] { return connected() && os.ip_helper.create_waiting(); }));
  }
  void release_routes_and_settle() {
    os.ip_helper.hold_creates(false);
    ASSERT_TRUE(ui->pump_until(
        [&] { return app->dial_thread == nullptr && app->hangup_thread == nullptr; }));
    ui->pump();
  }
};

}  // namespace qvx::testing
