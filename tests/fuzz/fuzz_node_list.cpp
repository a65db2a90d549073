// The node-list reply: three counts, the node tokens, the notice, the ticker, the tips and the
// page links, read as stream tokens.
#include "fuzz/fuzz_support.h"
#include "platform/text_mode.h"
#include "verify/client_record.h"
#include "verify/reply_parsers.h"

namespace {

bool one_token(const std::string& s) {
  return s.find_first_of(" \t\n\v\f\r") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  ClientRecord record(fuzz::machine().platform());
  parse_node_list(platform::from_disk_text(fuzz::bytes(data, size)), record);

  // The counts index the arrays later (node box, ticker timer), so they must fit them.
  fuzz::check(record.node_count >= 0 && record.node_count < kNodeSlots, "node count fits");
  fuzz::check(record.ticker_count >= 0 && record.ticker_count <= kTickerSlots, "ticker count fits");
  fuzz::check(record.node_names[0].empty() && record.node_addresses[0].empty(),
              "slot 0 stays free for the automatic choice");
  for (int n = 1; n <= record.node_count; ++n) {
    fuzz::check(record.node_addresses[n].find('@') == std::string::npos, "address before @");
    fuzz::check(one_token(record.node_addresses[n]) && one_token(record.node_names[n]),
                "node fields are parts of one token");
  }
  for (int i = 0; i < record.ticker_count; ++i) {
    fuzz::check(one_token(record.ticker_texts[i]) && one_token(record.ticker_urls[i]),
                "ticker entries are single tokens");
  }
  for (const std::string& page : record.page_urls) {
    fuzz::check(one_token(page), "page links are single tokens");
  }
  return 0;
}
