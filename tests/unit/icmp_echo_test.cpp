// The echo rules the simulated machine and the Wine double share.
#include "platform/sim/model/icmp_echo.h"

#include <gtest/gtest.h>

namespace qvx::model {
namespace {

EchoRequest request(std::size_t payload, std::size_t reply_size, std::uint32_t timeout = 1000) {
  EchoRequest r;
  r.payload = std::string(payload, 'E');
  r.reply_size = reply_size;
  r.timeout_ms = timeout;
  return r;
}

EchoAnswer reply_after(std::uint32_t ms) {
  EchoAnswer a;
  a.comes_back = true;
  a.round_trip_ms = ms;
  return a;
}

TEST(IcmpHandles, AHandleIsOpenUntilClosedAndClosesOnce) {
  IcmpHandles handles;
  const IcmpHandle a = handles.open();
  const IcmpHandle b = handles.open();
  EXPECT_NE(a, b);
  EXPECT_EQ(handles.size(), 2u);
  EXPECT_TRUE(handles.close(a));
  EXPECT_FALSE(handles.is_open(a));
  EXPECT_FALSE(handles.close(a)) << "closed already";
  EXPECT_FALSE(handles.close(0x5555));
  EXPECT_TRUE(handles.is_open(b));
  EXPECT_EQ(handles.size(), 1u);
}

TEST(IcmpEcho, RefusalsComeInTheOrderHandleParametersBuffer) {
  const IcmpEcho vista(EchoRules::VistaAndLater, 28);
  EXPECT_EQ(vista.refusal(false, request(32, 0)), kErrorInvalidHandle);
  EchoRequest no_buffer = request(32, 100);
  no_buffer.reply_buffer = false;
  EXPECT_EQ(vista.refusal(true, no_buffer), kErrorInvalidParameter);
  EchoRequest no_data = request(32, 100);
  no_data.request_data = false;
  EXPECT_EQ(vista.refusal(true, no_data), kErrorInvalidParameter);
  EchoRequest empty = request(0, 36);
  empty.request_data = false;
  EXPECT_EQ(vista.refusal(true, empty), 0u) << "no data is needed for an empty request";
  EXPECT_EQ(vista.refusal(true, request(32, 67)), kErrorInsufficientBuffer);
  EXPECT_EQ(vista.refusal(true, request(32, 68)), 0u);
}

TEST(IcmpEcho, TheMinimumBufferFollowsTheCallersRecordAndTheRules) {
  EXPECT_EQ(IcmpEcho(EchoRules::VistaAndLater, 40).minimum_reply_size(32), 40u + 32 + 8);
  EXPECT_EQ(IcmpEcho(EchoRules::XpLike, 40).minimum_reply_size(32), 48u);
  const IcmpEcho xp(EchoRules::XpLike, 28);
  EXPECT_EQ(xp.refusal(true, request(32, 35)), kIpBufTooSmall);
  EXPECT_EQ(xp.refusal(true, request(32, 36)), 0u);
}

TEST(IcmpEcho, NoReplyOrOneLaterThanTheTimeoutTakesTheWholeTimeout) {
  const IcmpEcho rules(EchoRules::VistaAndLater, 28);
  for (const EchoAnswer& a : {EchoAnswer{}, reply_after(501)}) {
    const EchoResult r = rules.result(request(32, 68, 500), a);
    EXPECT_EQ(r.replies, 0u);
    EXPECT_EQ(r.last_error, kIpReqTimedOut);
    EXPECT_EQ(r.elapsed_ms, 500u);
  }
  EchoAnswer none = reply_after(5);
  none.records = 0;
  EXPECT_EQ(rules.result(request(32, 68, 500), none).last_error, kIpReqTimedOut);
  const EchoResult on_time = rules.result(request(32, 68, 500), reply_after(500));
  EXPECT_EQ(on_time.replies, 1u);
  EXPECT_EQ(on_time.elapsed_ms, 500u);
  EXPECT_EQ(on_time.round_trip_ms, 500u);
}

TEST(IcmpEcho, AnErrorStatusComesAsARecordWithoutDataOrAsTheLastError) {
  const IcmpEcho rules(EchoRules::VistaAndLater, 28);
  EchoAnswer unreachable = reply_after(7);
  unreachable.status = 11003;  // IP_DEST_HOST_UNREACHABLE
  const EchoResult record = rules.result(request(32, 68), unreachable);
  EXPECT_EQ(record.replies, 1u);
  EXPECT_EQ(record.status, 11003u);
  EXPECT_EQ(record.data_size, 0u);
  EXPECT_TRUE(record.data.empty());

  unreachable.status_as_record = false;
  const EchoResult error = rules.result(request(32, 68), unreachable);
  EXPECT_EQ(error.replies, 0u);
  EXPECT_EQ(error.last_error, 11003u);
  EXPECT_EQ(error.elapsed_ms, 7u);
}

TEST(IcmpEcho, TheEchoIsCutAtTheEndOfTheBufferButStatesItsSize) {
  const IcmpEcho xp(EchoRules::XpLike, 28);
  const EchoResult cut = xp.result(request(32, 28 + 8), reply_after(1));
  EXPECT_EQ(cut.data_size, 32u);
  EXPECT_EQ(cut.data, std::string(8, 'E'));

  EchoAnswer altered = reply_after(1);
  altered.echoed = "EEEX";
  altered.records = 2;
  const EchoResult r = IcmpEcho(EchoRules::VistaAndLater, 28).result(request(4, 40), altered);
  EXPECT_EQ(r.replies, 2u);
  EXPECT_EQ(r.data, "EEEX");
  EXPECT_EQ(r.data_size, 4u);
}

}  // namespace
}  // namespace qvx::model
