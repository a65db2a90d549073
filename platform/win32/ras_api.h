// The rasapi32 functions over our own record layouts (not the SDK's <ras.h>, whose
// record sizes depend on WINVER). Both the client and the test double use these prototypes.
#pragma once
#include <windows.h>

#include "platform/win32/ras_records.h"

extern "C" {
DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, qvx::win32::RasEntryHead* rec,
                                    LPDWORD entry_size, LPBYTE device_info, LPDWORD device_size);
DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, qvx::win32::RasEntryHead* rec,
                                    DWORD entry_size, LPBYTE device_info, DWORD device_size);
DWORD WINAPI RasDialA(LPVOID extensions, LPCSTR phonebook, qvx::win32::RasDialParams* params,
                      DWORD notifier_type, LPVOID notifier, HANDLE* connection);
DWORD WINAPI RasHangUpA(HANDLE connection);
DWORD WINAPI RasEnumConnectionsA(qvx::win32::RasConn* records, LPDWORD bytes, LPDWORD count);
DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, qvx::win32::RasEntryName* records,
                             LPDWORD bytes, LPDWORD count);
DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR entry);
DWORD WINAPI RasGetConnectStatusA(HANDLE connection, qvx::win32::RasConnStatus* status);
DWORD WINAPI RasGetConnectionStatistics(HANDLE connection, qvx::win32::RasStats* stats);
DWORD WINAPI RasGetProjectionInfoA(HANDLE connection, DWORD projection, LPVOID info, LPDWORD size);
}
