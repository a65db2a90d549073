// Compile-time only: our RAS records against the SDK's, member by member, for the architecture
// being built, in their W form. The SDK's layouts are taken at Windows Vista, the versions of the
// records the client hands to RAS (later versions append members the client does not send).
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0600
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <ras.h>

#include <cstddef>

#include "platform/win32/ras_records.h"

namespace qvx::win32 {
namespace {

#define QVX_SAME_MEMBER(ours, sdk, member) \
  static_assert(offsetof(ours, member) == offsetof(sdk, member), #ours "::" #member)

static_assert(sizeof(RasStats) == sizeof(RAS_STATS));
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwBytesXmited);
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwBytesRcved);
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwBps);
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwConnectDuration);

static_assert(kRaspPppIp == RASP_PppIp);

static_assert(sizeof(RasDialParamsW) == sizeof(RASDIALPARAMSW));
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, szEntryName);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, szPhoneNumber);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, szCallbackNumber);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, szUserName);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, szPassword);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, szDomain);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, dwSubEntry);
QVX_SAME_MEMBER(RasDialParamsW, RASDIALPARAMSW, dwCallbackId);
static_assert(sizeof(RasDialParamsW::dwCallbackId) == sizeof(ULONG_PTR));

static_assert(sizeof(RasConnW) == sizeof(RASCONNW));
QVX_SAME_MEMBER(RasConnW, RASCONNW, hrasconn);
QVX_SAME_MEMBER(RasConnW, RASCONNW, szEntryName);
QVX_SAME_MEMBER(RasConnW, RASCONNW, szDeviceType);
QVX_SAME_MEMBER(RasConnW, RASCONNW, szDeviceName);
QVX_SAME_MEMBER(RasConnW, RASCONNW, szPhonebook);
QVX_SAME_MEMBER(RasConnW, RASCONNW, dwSubEntry);
QVX_SAME_MEMBER(RasConnW, RASCONNW, guidEntry);
QVX_SAME_MEMBER(RasConnW, RASCONNW, dwFlags);
static_assert(offsetof(RasConnW, luidLow) == offsetof(RASCONNW, luid));
static_assert(sizeof(RasConnW::hrasconn) == sizeof(HRASCONN));

static_assert(sizeof(RasEntryNameW) == sizeof(RASENTRYNAMEW));
QVX_SAME_MEMBER(RasEntryNameW, RASENTRYNAMEW, szEntryName);
QVX_SAME_MEMBER(RasEntryNameW, RASENTRYNAMEW, dwFlags);
QVX_SAME_MEMBER(RasEntryNameW, RASENTRYNAMEW, szPhonebookPath);

static_assert(sizeof(RasConnStatusW) == sizeof(RASCONNSTATUSW));
QVX_SAME_MEMBER(RasConnStatusW, RASCONNSTATUSW, rasconnstate);
QVX_SAME_MEMBER(RasConnStatusW, RASCONNSTATUSW, dwError);
QVX_SAME_MEMBER(RasConnStatusW, RASCONNSTATUSW, szDeviceType);
QVX_SAME_MEMBER(RasConnStatusW, RASCONNSTATUSW, szDeviceName);
QVX_SAME_MEMBER(RasConnStatusW, RASCONNSTATUSW, szPhoneNumber);

// RASENTRYW runs on past dwfOptions2; the head must match it up to there.
static_assert(sizeof(RasEntryHeadW) <= sizeof(RASENTRYW));
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwfOptions);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, szAreaCode);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, szLocalPhoneNumber);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwAlternateOffset);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, ipaddr);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwfNetProtocols);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwFramingProtocol);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, szDeviceType);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, szDeviceName);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwChannels);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwSubEntries);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwDialMode);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwIdleDisconnectSeconds);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwType);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwEncryptionType);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, guidId);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, szCustomDialDll);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwVpnStrategy);
QVX_SAME_MEMBER(RasEntryHeadW, RASENTRYW, dwfOptions2);

static_assert(sizeof(RasPppIpW) == sizeof(RASPPPIPW));
QVX_SAME_MEMBER(RasPppIpW, RASPPPIPW, szIpAddress);
QVX_SAME_MEMBER(RasPppIpW, RASPPPIPW, szServerIpAddress);
QVX_SAME_MEMBER(RasPppIpW, RASPPPIPW, dwOptions);

#undef QVX_SAME_MEMBER

}  // namespace
}  // namespace qvx::win32
