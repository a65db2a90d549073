// The speed test's node list file: whatever the bytes, a status, and with Ok only nodes the
// client could have written, which it writes back to the same list.
#include "fuzz/fuzz_support.h"
#include "nettest/node_list_file.h"

namespace {

bool clean(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx::nettest;
  const std::string bytes = qvx::fuzz::bytes(data, size);
  const NodeList list = parse_node_list_file(&bytes);
  if (list.status != ListStatus::Ok) {
    qvx::fuzz::check(list.nodes.empty(), "a list it cannot measure has no nodes");
    qvx::fuzz::check(!describe_problem(list).empty(), "every problem has its message");
    return 0;
  }
  qvx::fuzz::check(!list.nodes.empty() && list.nodes.size() <= kNodeListMaxNodes, "1 to 49 nodes");
  for (const Node& node : list.nodes) {
    qvx::fuzz::check(clean(node.name) && clean(node.address), "fields without control bytes");
  }
  const std::string written = format_node_list(list.nodes);
  const NodeList again = parse_node_list_file(&written);
  qvx::fuzz::check(again.status == ListStatus::Ok && again.nodes.size() == list.nodes.size(),
                   "the list reads back");
  for (std::size_t i = 0; i < again.nodes.size(); ++i) {
    qvx::fuzz::check(again.nodes[i].name == list.nodes[i].name &&
                         again.nodes[i].address == list.nodes[i].address,
                     "each node reads back");
  }
  return 0;
}
