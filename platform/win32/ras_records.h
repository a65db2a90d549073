// The RAS records as the Windows ABI lays them out, in the versions the client hands to RAS.
// The SDK headers grow some of them with WINVER (RASDIALPARAMSA is 1064 bytes from Windows 7
// on, RASCONNA 720), so the layouts are fixed here instead. Like the SDK's, they are packed to
// 4 bytes; handles and ULONG_PTR members make a few of them longer on x64. The sizes below are
// the SDK's for each architecture, and ras_layout_check.cpp compares every member with it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qvx::win32 {

using u32 = std::uint32_t;
using uptr = std::uintptr_t;  // HANDLE, ULONG_PTR
constexpr bool kWin64 = sizeof(void*) == 8;

#pragma pack(push, 4)

// RASENTRYA up to dwfOptions2, the last member the client sets. The record RAS expects is
// as long as its size query says; this head is only its beginning.
struct RasEntryHead {
  u32 dwSize;
  u32 dwfOptions;
  u32 dwCountryID;
  u32 dwCountryCode;
  char szAreaCode[11];
  char szLocalPhoneNumber[129];
  u32 dwAlternateOffset;
  u32 ipaddr, ipaddrDns, ipaddrDnsAlt, ipaddrWins, ipaddrWinsAlt;
  u32 dwFrameSize;
  u32 dwfNetProtocols;
  u32 dwFramingProtocol;
  char szScript[260];
  char szAutodialDll[260];
  char szAutodialFunc[260];
  char szDeviceType[17];
  char szDeviceName[129];
  char szX25PadType[33];
  char szX25Address[201];
  char szX25Facilities[201];
  char szX25UserData[201];
  u32 dwChannels;
  u32 dwReserved1, dwReserved2;
  u32 dwSubEntries;
  u32 dwDialMode;
  u32 dwDialExtraPercent, dwDialExtraSampleSeconds;
  u32 dwHangUpExtraPercent, dwHangUpExtraSampleSeconds;
  u32 dwIdleDisconnectSeconds;
  u32 dwType;
  u32 dwEncryptionType;
  u32 dwCustomAuthKey;
  u32 guidId[4];
  char szCustomDialDll[260];
  u32 dwVpnStrategy;
  u32 dwfOptions2;
};
static_assert(offsetof(RasEntryHead, szLocalPhoneNumber) == 27);
static_assert(offsetof(RasEntryHead, dwfNetProtocols) == 184);
static_assert(offsetof(RasEntryHead, szDeviceType) == 972);
static_assert(offsetof(RasEntryHead, szDeviceName) == 989);
static_assert(offsetof(RasEntryHead, dwChannels) == 1756);
static_assert(offsetof(RasEntryHead, dwDialMode) == 1772);
static_assert(offsetof(RasEntryHead, dwType) == 1796);
static_assert(offsetof(RasEntryHead, dwEncryptionType) == 1800);
static_assert(offsetof(RasEntryHead, dwVpnStrategy) == 2084);
static_assert(offsetof(RasEntryHead, dwfOptions2) == 2088);
static_assert(sizeof(RasEntryHead) == 2092);

// RASDIALPARAMSA ending with dwSubEntry and dwCallbackId.
struct RasDialParams {
  u32 dwSize;
  char szEntryName[257];
  char szPhoneNumber[129];
  char szCallbackNumber[129];
  char szUserName[257];
  char szPassword[257];
  char szDomain[16];
  u32 dwSubEntry;
  uptr dwCallbackId;  // ULONG_PTR
};
static_assert(offsetof(RasDialParams, szUserName) == 519);
static_assert(offsetof(RasDialParams, szPassword) == 776);
static_assert(offsetof(RasDialParams, szDomain) == 1033);
static_assert(offsetof(RasDialParams, dwSubEntry) == 1052);
static_assert(sizeof(RasDialParams) == (kWin64 ? 1064 : 1060));

// RASCONNA ending with dwFlags and luid.
struct RasConn {
  u32 dwSize;
  uptr hrasconn;  // HRASCONN
  char szEntryName[257];
  char szDeviceType[17];
  char szDeviceName[129];
  char szPhonebook[260];
  u32 dwSubEntry;
  u32 guidEntry[4];
  u32 dwFlags;
  u32 luidLow;
  std::int32_t luidHigh;
};
static_assert(offsetof(RasConn, szEntryName) == (kWin64 ? 12 : 8));
static_assert(offsetof(RasConn, dwSubEntry) == (kWin64 ? 676 : 672));
static_assert(offsetof(RasConn, dwFlags) == (kWin64 ? 696 : 692));
static_assert(sizeof(RasConn) == (kWin64 ? 708 : 704));

// RASENTRYNAMEA with dwFlags and szPhonebookPath.
struct RasEntryName {
  u32 dwSize;
  char szEntryName[257];
  u32 dwFlags;
  char szPhonebookPath[261];
};
static_assert(offsetof(RasEntryName, dwFlags) == 264);
static_assert(offsetof(RasEntryName, szPhonebookPath) == 268);
static_assert(sizeof(RasEntryName) == 532);

// RASCONNSTATUSA with szPhoneNumber.
struct RasConnStatus {
  u32 dwSize;
  u32 rasconnstate;
  u32 dwError;
  char szDeviceType[17];
  char szDeviceName[129];
  char szPhoneNumber[129];
};
static_assert(offsetof(RasConnStatus, szDeviceName) == 29);
static_assert(offsetof(RasConnStatus, szPhoneNumber) == 158);
static_assert(sizeof(RasConnStatus) == 288);

struct RasStats {
  u32 dwSize;
  u32 dwBytesXmited;
  u32 dwBytesRcved;
  u32 dwFramesXmited, dwFramesRcved;
  u32 dwCrcErr, dwTimeoutErr, dwAlignmentErr, dwHardwareOverrunErr, dwFramingErr;
  u32 dwBufferOverrunErr;
  u32 dwCompressionRatioIn, dwCompressionRatioOut;
  u32 dwBps;
  u32 dwConnectDuration;
};
static_assert(offsetof(RasStats, dwBytesRcved) == 8);
static_assert(sizeof(RasStats) == 60);

// RASPPPIPA with the server address and the IPCP options (the layout from Windows 2000 on).
struct RasPppIp {
  u32 dwSize;
  u32 dwError;
  char szIpAddress[16];
  char szServerIpAddress[16];
  u32 dwOptions;
  u32 dwServerOptions;
};
static_assert(offsetof(RasPppIp, szServerIpAddress) == 24);
static_assert(sizeof(RasPppIp) == 48);
constexpr u32 kRaspPppIp = 0x8021;  // RASP_PppIp

#pragma pack(pop)

}  // namespace qvx::win32
