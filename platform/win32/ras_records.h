// The RAS records as the Windows ABI lays them out, in the versions the client hands to RAS, in
// their W form (UTF-16 text: names do not depend on the system code page). Each is a template
// of its character type, as the SDK's A and W records share one layout.
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

// RASENTRYA/W up to dwfOptions2, the last member the client sets. The record RAS expects is
// as long as its size query says; this head is only its beginning.
template <typename Char>
struct RasEntryHeadOf {
  u32 dwSize;
  u32 dwfOptions;
  u32 dwCountryID;
  u32 dwCountryCode;
  Char szAreaCode[11];
  Char szLocalPhoneNumber[129];
  u32 dwAlternateOffset;
  u32 ipaddr, ipaddrDns, ipaddrDnsAlt, ipaddrWins, ipaddrWinsAlt;
  u32 dwFrameSize;
  u32 dwfNetProtocols;
  u32 dwFramingProtocol;
  Char szScript[260];
  Char szAutodialDll[260];
  Char szAutodialFunc[260];
  Char szDeviceType[17];
  Char szDeviceName[129];
  Char szX25PadType[33];
  Char szX25Address[201];
  Char szX25Facilities[201];
  Char szX25UserData[201];
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
  Char szCustomDialDll[260];
  u32 dwVpnStrategy;
  u32 dwfOptions2;
};
using RasEntryHeadW = RasEntryHeadOf<wchar_t>;
static_assert(offsetof(RasEntryHeadW, szLocalPhoneNumber) == 38);
static_assert(offsetof(RasEntryHeadW, dwfNetProtocols) == 324);
static_assert(offsetof(RasEntryHeadW, szDeviceType) == 1892);
static_assert(offsetof(RasEntryHeadW, szDeviceName) == 1926);
static_assert(offsetof(RasEntryHeadW, dwChannels) == 3456);
static_assert(offsetof(RasEntryHeadW, dwDialMode) == 3472);
static_assert(offsetof(RasEntryHeadW, dwType) == 3496);
static_assert(offsetof(RasEntryHeadW, dwEncryptionType) == 3500);
static_assert(offsetof(RasEntryHeadW, dwVpnStrategy) == 4044);
static_assert(offsetof(RasEntryHeadW, dwfOptions2) == 4048);
static_assert(sizeof(RasEntryHeadW) == 4052);

// RASDIALPARAMSA/W ending with dwSubEntry and dwCallbackId.
template <typename Char>
struct RasDialParamsOf {
  u32 dwSize;
  Char szEntryName[257];
  Char szPhoneNumber[129];
  Char szCallbackNumber[129];
  Char szUserName[257];
  Char szPassword[257];
  Char szDomain[16];
  u32 dwSubEntry;
  uptr dwCallbackId;  // ULONG_PTR
};
using RasDialParamsW = RasDialParamsOf<wchar_t>;
static_assert(offsetof(RasDialParamsW, szUserName) == 1034);
static_assert(offsetof(RasDialParamsW, szPassword) == 1548);
static_assert(offsetof(RasDialParamsW, szDomain) == 2062);
static_assert(offsetof(RasDialParamsW, dwSubEntry) == 2096);
static_assert(sizeof(RasDialParamsW) == (kWin64 ? 2108 : 2104));

// RASCONNA/W ending with dwFlags and luid.
template <typename Char>
struct RasConnOf {
  u32 dwSize;
  uptr hrasconn;  // HRASCONN
  Char szEntryName[257];
  Char szDeviceType[17];
  Char szDeviceName[129];
  Char szPhonebook[260];
  u32 dwSubEntry;
  u32 guidEntry[4];
  u32 dwFlags;
  u32 luidLow;
  std::int32_t luidHigh;
};
using RasConnW = RasConnOf<wchar_t>;
static_assert(offsetof(RasConnW, szEntryName) == (kWin64 ? 12 : 8));
static_assert(sizeof(RasConnW) == (kWin64 ? 1372 : 1368));

// RASENTRYNAMEA/W with dwFlags and szPhonebookPath.
template <typename Char>
struct RasEntryNameOf {
  u32 dwSize;
  Char szEntryName[257];
  u32 dwFlags;
  Char szPhonebookPath[261];
};
using RasEntryNameW = RasEntryNameOf<wchar_t>;
static_assert(offsetof(RasEntryNameW, dwFlags) == 520);
static_assert(offsetof(RasEntryNameW, szPhonebookPath) == 524);
static_assert(sizeof(RasEntryNameW) == 1048);

// RASCONNSTATUSA/W with szPhoneNumber.
template <typename Char>
struct RasConnStatusOf {
  u32 dwSize;
  u32 rasconnstate;
  u32 dwError;
  Char szDeviceType[17];
  Char szDeviceName[129];
  Char szPhoneNumber[129];
};
using RasConnStatusW = RasConnStatusOf<wchar_t>;
static_assert(offsetof(RasConnStatusW, szPhoneNumber) == 304);
static_assert(sizeof(RasConnStatusW) == 564);

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

// RASPPPIPA/W with the server address and the IPCP options (the layout from Windows 2000 on).
template <typename Char>
struct RasPppIpOf {
  u32 dwSize;
  u32 dwError;
  Char szIpAddress[16];
  Char szServerIpAddress[16];
  u32 dwOptions;
  u32 dwServerOptions;
};
using RasPppIpW = RasPppIpOf<wchar_t>;
static_assert(offsetof(RasPppIpW, szServerIpAddress) == 40);
static_assert(sizeof(RasPppIpW) == 80);
constexpr u32 kRaspPppIp = 0x8021;  // RASP_PppIp

#pragma pack(pop)

}  // namespace qvx::win32
