#include "login_fixture.h"

namespace qvx::testing {
namespace {

// Servers 1 and 3 share 127.0.0.1; the echo sees server 2 ("localhost") at 127.0.0.2, while
// its HTTP requests still reach the service on 127.0.0.1.
class LoginServerChoice : public LoginTest {
 protected:
  void SetUp() override {
    os.sockets.add_host("localhost", "127.0.0.2");
    start_client();
  }
  std::string first_host() {
    const auto hosts = service.hosts();
    return hosts.empty() ? std::string() : hosts.front();
  }
  std::string port() { return std::to_string(service.port()); }
};

TEST_F(LoginServerChoice, FastLastServerIsTheOnlyOneEchoed) {
  f1().verify_server = 2;
  os.icmp.set_round_trip("127.0.0.2", 150);
  os.icmp.set_round_trip("127.0.0.1", 1);
  login_and_finish();
  EXPECT_EQ(os.icmp.probes("127.0.0.2"), 1);
  EXPECT_EQ(os.icmp.probes("127.0.0.1"), 0);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), progress::kConnecting);
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_EQ(first_host(), "localhost:" + port());
  EXPECT_NE(log().find("利用上次验证服务器进行验证，服务器编号：2"), std::string::npos);
  EXPECT_EQ(os.icmp.last_ttl(), 64);
  EXPECT_EQ(os.icmp.last_timeout(), 2500u);
  EXPECT_EQ(os.icmp.last_buffer_size(), 28u + 32u + 8u);
}

// The 200 ms count the echo, not the name lookup before it: the last server keeps its place
// without a single other echo. Lookup and echo together take longer than the 200 ms and the
// scheduling margin, so only counting from the echo passes.
TEST_F(LoginServerChoice, SlowLookupDoesNotCountAgainstTheLastServer) {
  f1().verify_server = 2;
  os.sockets.take_lookup_time(250);
  os.icmp.take_real_time();
  os.icmp.set_round_trip("127.0.0.2", 150);
  os.icmp.set_round_trip("127.0.0.1", 1);
  login_and_finish();
  EXPECT_EQ(os.icmp.requests().size(), 1u);
  EXPECT_EQ(os.icmp.probes("127.0.0.1"), 0);
  EXPECT_EQ(codes.front(), progress::kConnecting);
  EXPECT_EQ(f1().verify_server, 2);
}

TEST_F(LoginServerChoice, ExactlyTwoHundredMillisecondsStays) {
  os.icmp.set_round_trip("127.0.0.1", 200);
  os.icmp.set_round_trip("127.0.0.2", 1);
  login_and_finish();
  EXPECT_EQ(os.icmp.total_probes(), 1);
  EXPECT_EQ(codes.front(), progress::kConnecting);
  EXPECT_EQ(f1().verify_server, 1);
  EXPECT_EQ(first_host(), "127.0.0.1:" + port());
}

TEST_F(LoginServerChoice, SlowerLastServerMeansChoosingAfresh) {
  os.icmp.set_round_trip("127.0.0.1", 201);
  os.icmp.set_round_trip("127.0.0.2", 120);
  login_and_finish();
  EXPECT_EQ(os.icmp.probes("127.0.0.1"), 3);  // the first try, then servers 1 and 3
  EXPECT_EQ(os.icmp.probes("127.0.0.2"), 1);
  EXPECT_EQ((Codes{codes.begin(), codes.begin() + 2}),
            (Codes{progress::kChoosingServer, progress::kConnecting}));
  EXPECT_EQ(f1().verify_server, 2);
  EXPECT_EQ(first_host(), "localhost:" + port());
  EXPECT_NE(log().find("重新选择验证服务器编号为：2"), std::string::npos);
}

TEST_F(LoginServerChoice, EqualTimesGoToTheLowerNumber) {
  f1().verify_server = 3;
  os.icmp.set_round_trip("127.0.0.1", 300);  // servers 1 and 3
  os.icmp.set_round_trip("127.0.0.2", 300);
  login_and_finish();
  EXPECT_EQ(f1().verify_server, 1);
  EXPECT_EQ(codes.front(), progress::kChoosingServer);
}

TEST_F(LoginServerChoice, InvalidStoredNumberIsNotEchoed) {
  f1().verify_server = 7;
  os.icmp.set_round_trip("127.0.0.1", 10);
  login_and_finish();
  EXPECT_EQ(os.icmp.total_probes(), 3);
  EXPECT_EQ(f1().verify_server, 1);
  EXPECT_EQ(codes.front(), progress::kChoosingServer);
}

}  // namespace
}  // namespace qvx::testing
