// The rasapi32 functions over our own record layouts (not the SDK's <ras.h>, whose
// record sizes depend on WINVER). Both the client and the test double use these prototypes.
// The W forms: names keep their form whatever the system's ANSI code page is.
#pragma once
#include <windows.h>

#include "platform/win32/ras_records.h"

extern "C" {
DWORD WINAPI RasGetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entry,
                                    qvx::win32::RasEntryHeadW* rec, LPDWORD entry_size,
                                    LPBYTE device_info, LPDWORD device_size);
DWORD WINAPI RasSetEntryPropertiesW(LPCWSTR phonebook, LPCWSTR entry,
                                    qvx::win32::RasEntryHeadW* rec, DWORD entry_size,
                                    LPBYTE device_info, DWORD device_size);
DWORD WINAPI RasDialW(LPVOID extensions, LPCWSTR phonebook, qvx::win32::RasDialParamsW* params,
                      DWORD notifier_type, LPVOID notifier, HANDLE* connection);
DWORD WINAPI RasHangUpW(HANDLE connection);
DWORD WINAPI RasEnumConnectionsW(qvx::win32::RasConnW* records, LPDWORD bytes, LPDWORD count);
DWORD WINAPI RasEnumEntriesW(LPCWSTR reserved, LPCWSTR phonebook,
                             qvx::win32::RasEntryNameW* records, LPDWORD bytes, LPDWORD count);
DWORD WINAPI RasDeleteEntryW(LPCWSTR phonebook, LPCWSTR entry);
DWORD WINAPI RasGetConnectStatusW(HANDLE connection, qvx::win32::RasConnStatusW* status);
DWORD WINAPI RasGetConnectionStatistics(HANDLE connection, qvx::win32::RasStats* stats);
DWORD WINAPI RasGetProjectionInfoW(HANDLE connection, DWORD projection, LPVOID info, LPDWORD size);
}
