// The service-settings reply: key=value tokens by position, with the ticker pairs between them.
#include "fuzz/fuzz_support.h"
#include "platform/text_mode.h"
#include "verify/client_record.h"
#include "verify/reply_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  ClientRecord record(fuzz::machine().platform());
  // What the node-list reply of the same login left behind.
  record.page_urls[kNavigationPage] = "http://nav/";
  record.ticker_count = 2;
  parse_service_settings(platform::from_disk_text(fuzz::bytes(data, size)), record);

  fuzz::check(record.ticker_count >= 0 && record.ticker_count <= kTickerSlots, "ticker count fits");
  fuzz::check(record.page_urls[kNavigationPage] == "http://nav/",
              "the navigation page is not in this reply");
  fuzz::check(record.app_title.find_first_of(" \t\r\n") == std::string::npos,
              "the title is part of one token");
  return 0;
}
