// Compile-time only: our RAS records against the SDK's, member by member, for the architecture
// being built, A and W forms. The SDK's layouts are taken at Windows Vista, the versions of the
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

static_assert(sizeof(RasDialParams) == sizeof(RASDIALPARAMSA));
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, szEntryName);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, szPhoneNumber);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, szCallbackNumber);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, szUserName);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, szPassword);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, szDomain);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, dwSubEntry);
QVX_SAME_MEMBER(RasDialParams, RASDIALPARAMSA, dwCallbackId);
static_assert(sizeof(RasDialParams::dwCallbackId) == sizeof(ULONG_PTR));

static_assert(sizeof(RasConn) == sizeof(RASCONNA));
QVX_SAME_MEMBER(RasConn, RASCONNA, hrasconn);
QVX_SAME_MEMBER(RasConn, RASCONNA, szEntryName);
QVX_SAME_MEMBER(RasConn, RASCONNA, szDeviceType);
QVX_SAME_MEMBER(RasConn, RASCONNA, szDeviceName);
QVX_SAME_MEMBER(RasConn, RASCONNA, szPhonebook);
QVX_SAME_MEMBER(RasConn, RASCONNA, dwSubEntry);
QVX_SAME_MEMBER(RasConn, RASCONNA, guidEntry);
QVX_SAME_MEMBER(RasConn, RASCONNA, dwFlags);
static_assert(offsetof(RasConn, luidLow) == offsetof(RASCONNA, luid));
static_assert(sizeof(RasConn::hrasconn) == sizeof(HRASCONN));

static_assert(sizeof(RasEntryName) == sizeof(RASENTRYNAMEA));
QVX_SAME_MEMBER(RasEntryName, RASENTRYNAMEA, szEntryName);
QVX_SAME_MEMBER(RasEntryName, RASENTRYNAMEA, dwFlags);
QVX_SAME_MEMBER(RasEntryName, RASENTRYNAMEA, szPhonebookPath);

static_assert(sizeof(RasConnStatus) == sizeof(RASCONNSTATUSA));
QVX_SAME_MEMBER(RasConnStatus, RASCONNSTATUSA, rasconnstate);
QVX_SAME_MEMBER(RasConnStatus, RASCONNSTATUSA, dwError);
QVX_SAME_MEMBER(RasConnStatus, RASCONNSTATUSA, szDeviceType);
QVX_SAME_MEMBER(RasConnStatus, RASCONNSTATUSA, szDeviceName);
QVX_SAME_MEMBER(RasConnStatus, RASCONNSTATUSA, szPhoneNumber);

static_assert(sizeof(RasStats) == sizeof(RAS_STATS));
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwBytesXmited);
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwBytesRcved);
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwBps);
QVX_SAME_MEMBER(RasStats, RAS_STATS, dwConnectDuration);

// RASENTRYA runs on past dwfOptions2; the head must match it up to there.
static_assert(sizeof(RasEntryHead) <= sizeof(RASENTRYA));
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwfOptions);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, szAreaCode);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, szLocalPhoneNumber);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwAlternateOffset);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, ipaddr);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwfNetProtocols);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwFramingProtocol);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, szDeviceType);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, szDeviceName);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwChannels);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwSubEntries);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwDialMode);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwIdleDisconnectSeconds);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwType);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwEncryptionType);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, guidId);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, szCustomDialDll);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwVpnStrategy);
QVX_SAME_MEMBER(RasEntryHead, RASENTRYA, dwfOptions2);

static_assert(sizeof(RasPppIp) == sizeof(RASPPPIPA));
QVX_SAME_MEMBER(RasPppIp, RASPPPIPA, szIpAddress);
QVX_SAME_MEMBER(RasPppIp, RASPPPIPA, szServerIpAddress);
QVX_SAME_MEMBER(RasPppIp, RASPPPIPA, dwOptions);
static_assert(kRaspPppIp == RASP_PppIp);

// The W records, which the client calls RAS with.
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
