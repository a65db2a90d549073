// A connected client with automatic redial on, and the steps of a drop and a redial's try.
#pragma once
#include <string>
#include <vector>

#include "connection_fixture.h"
#include "status/redial.h"

namespace qvx::testing {

class RedialTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().auto_redial = 1;
  }
  // The link goes down and the monitor's two looks find it gone.
  void drop_and_detect() {
    os.ras.drop(f1().ras_connection);
    ui->advance(5000 + 6000);
  }
  // The countdown runs out and the try's dial thread finishes.
  void run_try() {
    ui->advance(Redial::kIntervalSeconds * 1000);
    ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
    ui->pump();
  }
  std::string pane() { return f2().RzStatusPane1.caption(); }
  std::size_t dials() { return os.ras.calls_of(Call::Dial).size(); }
  std::size_t log_count(const std::string& text) {
    const std::string all = log();
    std::size_t n = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
  }
  // A route write as it matters: destination, mask, gateway, metric and whether it goes
  // through the tunnel (whose adapter index is new with every dial).
  // Rows as partial relay wrote them, the tunnel's interface named as such: each connection
  // brings up a tunnel adapter of its own, with a new index.
  std::vector<std::string> described(const std::vector<platform::ForwardRow>& rows) {
    const auto tunnel = static_cast<std::uint32_t>(f1().server_gateway_if);
    std::vector<std::string> out;
    for (const auto& r : rows) {
      out.push_back(std::to_string(r.dest) + "/" + std::to_string(r.mask) + " via " +
                    std::to_string(r.next_hop) + " m" + std::to_string(r.metric1) +
                    (r.if_index == tunnel ? " tunnel" : " if" + std::to_string(r.if_index)));
    }
    return out;
  }
};

}  // namespace qvx::testing
