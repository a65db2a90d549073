// Test program for the Wine tests, not shipped: echo probes and the node choice through the
// real ICMP.DLL and Windows Sockets, with message boxes recorded instead of shown.
//   ping_probe ping HOST [DATA_SIZE [TIMEOUT_MS]]   one probe: "ok ADDRESS RTT" or "failed ERROR"
//   ping_probe choose HOST...                       node choice: "best N", log in the current dir
//   ping_probe winsock                              versions obtained for 1.1 and 2.0
// Every recorded box follows as "box CAPTION|TEXT" (GBK).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "connect/auto_select.h"
#include "connect/cping.h"
#include "platform/win32/win32_platform.h"
#include "widgets/headless/headless_ui.h"

namespace {

using qvx::widgets::HeadlessUi;

void print_boxes(const HeadlessUi& ui) {
  for (const auto& box : ui.boxes()) {
    std::printf("box %s|%s\n", box.caption.c_str(), box.text.c_str());
  }
}

int ping(qvx::IcmpLibrary& library, int argc, char** argv) {
  if (argc < 3) return 2;
  const auto size = static_cast<std::uint8_t>(argc > 3 ? std::atoi(argv[3]) : 32);
  const auto timeout = static_cast<std::uint32_t>(argc > 4 ? std::atol(argv[4]) : 1000);
  qvx::_CPING pinger(library);
  qvx::ping_reply reply;
  if (pinger.ping(argv[2], reply, 64, timeout, size)) {
    std::printf("ok %s %u\n", library.platform.sockets.inet_ntoa(reply.reply_address).c_str(),
                static_cast<unsigned>(reply.round_trip_ms));
  } else {
    std::printf("failed %u\n", static_cast<unsigned>(library.platform.icmp.last_error()));
  }
  return 0;
}

int choose(qvx::IcmpLibrary& library, int argc, char** argv) {
  qvx::ClientRecord record(library.platform);
  record.node_count = argc - 2;
  for (int i = 1; i <= record.node_count && i < qvx::kNodeSlots; ++i) {
    record.node_addresses[i] = argv[i + 1];
    record.node_names[i] = "node" + std::to_string(i);
  }
  record.log_file.open(library.platform.files, library.platform.clock, ".\\");
  qvx::_CPING pinger(library);
  std::printf("best %d\n", qvx::choose_best_node(record, pinger));
  record.log_file.close();
  return 0;
}

int winsock(qvx::platform::Sockets& sockets) {
  for (const int major : {1, 2}) {
    const int minor = major == 1 ? 1 : 0;
    std::uint16_t obtained = 0;
    if (!sockets.startup(major, minor, obtained)) return 1;
    std::printf("asked %d.%d obtained %d.%d\n", major, minor, obtained & 0xFF, obtained >> 8);
    sockets.cleanup();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  qvx::Win32Platform os;
  HeadlessUi ui;
  int rc = 2;
  {
    qvx::IcmpLibrary library(os.platform(), ui);
    if (mode == "ping") rc = ping(library, argc, argv);
    if (mode == "choose") rc = choose(library, argc, argv);
    if (mode == "winsock") rc = winsock(library.platform.sockets);
  }
  print_boxes(ui);
  std::fflush(stdout);
  return rc;
}
