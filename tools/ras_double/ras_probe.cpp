// Drives the client's dialer over the real rasapi32 interface, one command per argument
// group, printing one line per command for the Wine test to check:
//   marker | version N | use HANDLE | dial ADDRESS USER PASSWORD NUMBER STRATEGY
//   status | stats | hangup | cleanup | badsizes | noframing
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "connect/dial_class.h"
#include "platform/win32/ras_api.h"
#include "platform/win32/win32_ras.h"

namespace {

unsigned long num(const char* s) {
  return std::strtoul(s, nullptr, 0);
}

void guarded(const char* what, const std::function<void()>& f) {
  try {
    f();
  } catch (const qvx::error_message& e) {
    std::printf("%s error step=%d ras=%d\n", what, e.step, e.ras_error);
  }
}

// Records one size off from what RAS expects; the double must refuse each with 632.
void bad_sizes() {
  using namespace qvx::win32;
  RasConn conns[2] = {};
  conns[0].dwSize = sizeof(RasConn) + 16;
  DWORD bytes = sizeof conns, count = 0;
  const DWORD list = RasEnumConnectionsA(conns, &bytes, &count);
  RasDialParams params{};
  params.dwSize = sizeof(RasDialParams) + 4;
  HANDLE h = nullptr;
  const DWORD dial = RasDialA(nullptr, nullptr, &params, 0, nullptr, &h);
  RasEntryName names[1] = {};
  names[0].dwSize = sizeof(RasEntryName) - 12;
  bytes = sizeof names;
  const DWORD entries = RasEnumEntriesA(nullptr, nullptr, names, &bytes, &count);
  std::printf("badsizes conn=%lu dial=%lu entries=%lu\n", list, dial, entries);
}

// The client's entry as it was written before it named its framing protocol.
void entry_without_framing(qvx::win32::Win32Ras& ras) {
  qvx::platform::RasEntry entry;
  entry.options = 0x390D0210;
  entry.phone_number = "10.0.0.5";
  entry.net_protocols = 4;
  entry.device_type = "vpn";
  entry.device_name = "PPPoE";
  entry.type = 2;
  std::uint32_t size = 0;
  ras.entry_size(size);
  const std::string name = std::string(qvx::kBrandPrefix) + "0";
  std::printf("noframing %lu\n", static_cast<unsigned long>(ras.set_entry(name, entry, size)));
}

}  // namespace

int main(int argc, char** argv) {
  qvx::win32::Win32Ras ras;
  qvx::Dial_class dialer(ras);
  qvx::platform::RasHandle handle = 0;

  for (int i = 1; i < argc; ++i) {
    const std::string cmd = argv[i];
    const int left = argc - i - 1;
    if (cmd == "marker") {
      HMODULE m = GetModuleHandleA("rasapi32.dll");
      std::printf("marker %d\n", m && GetProcAddress(m, "QvxRasDouble") ? 1 : 0);
    } else if (cmd == "version" && left >= 1) {
      dialer.set_os_version(num(argv[++i]));
    } else if (cmd == "use" && left >= 1) {
      handle = dialer.connection = num(argv[++i]);
    } else if (cmd == "dial" && left >= 5) {
      const char* address = argv[i + 1];
      const char* user = argv[i + 2];
      const char* password = argv[i + 3];
      const std::string entry = std::string(qvx::kBrandPrefix) + argv[i + 4];
      const int strategy = static_cast<int>(num(argv[i + 5]));
      i += 5;
      guarded("dial", [&] {
        dialer.dial(address, user, password, entry, handle, strategy, 3);
        std::printf("dial 0 handle=%lu\n", static_cast<unsigned long>(handle));
      });
    } else if (cmd == "status") {
      const unsigned long state = dialer.connect_status(handle);
      std::printf("status %lu connection=%lu\n", state,
                  static_cast<unsigned long>(dialer.connection));
    } else if (cmd == "stats") {
      guarded("stats", [&] {
        std::uint32_t in = 0, out = 0;
        dialer.statistics(handle, in, out);
        std::printf("stats rx=%lu tx=%lu\n", static_cast<unsigned long>(in),
                    static_cast<unsigned long>(out));
      });
    } else if (cmd == "hangup") {
      guarded("hangup", [&] {
        dialer.hang_up(handle);
        std::printf("hangup 0 handle=%lu\n", static_cast<unsigned long>(handle));
      });
    } else if (cmd == "cleanup") {
      guarded("cleanup", [&] {
        dialer.clean_up();
        std::printf("cleanup 0 connection=%lu\n", static_cast<unsigned long>(dialer.connection));
      });
    } else if (cmd == "rasdial" && left >= 1) {
      // Straight to RAS, past the dialer's clean-up and waits.
      const std::string entry = std::string(qvx::kBrandPrefix) + argv[++i];
      const std::uint32_t code = ras.dial(entry, "alice", "pw", handle);
      std::printf("rasdial %lu handle=%lu\n", static_cast<unsigned long>(code),
                  static_cast<unsigned long>(handle));
    } else if (cmd == "rashangup") {
      std::printf("rashangup %lu\n", static_cast<unsigned long>(ras.hang_up(handle)));
    } else if (cmd == "rasstatus") {
      std::uint32_t state = 0;
      const std::uint32_t code = ras.connect_status(handle, state);
      std::printf("rasstatus %lu state=%lu\n", static_cast<unsigned long>(code),
                  static_cast<unsigned long>(state));
    } else if (cmd == "wait" && left >= 1) {
      Sleep(num(argv[++i]));
    } else if (cmd == "badsizes") {
      bad_sizes();
    } else if (cmd == "noframing") {
      entry_without_framing(ras);
    } else {
      std::printf("unknown command %s\n", cmd.c_str());
      return 2;
    }
    std::fflush(stdout);
  }
  return 0;
}
