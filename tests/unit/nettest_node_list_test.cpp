#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "nettest/node_list_file.h"
#include "platform/sim/sim_platform.h"
#include "verify/client_record.h"
#include "verify/reply_parsers.h"

namespace qvx::nettest {
namespace {

TEST(NettestNodeList, TheClientsDownloadedNodesComeBackInOrder) {
  sim::SimPlatform os(std::filesystem::temp_directory_path() / "qvx-nettest-list");
  ClientRecord record(os.platform());
  // Header fields, three nodes (one without a name, one with a GBK name), then the rest.
  parse_node_list("1 2 3 10.0.0.1@电信一 10.0.0.2 node3.quovix.test@网通 1 x y 0 0", record);
  const std::string file = format_node_list(nodes_of(record));
  EXPECT_EQ(file,
            "quovix-nodes 1\r\n电信一\t10.0.0.1\r\n10.0.0.2\t10.0.0.2\r\n"
            "网通\tnode3.quovix.test\r\n");
  const NodeList list = parse_node_list_file(&file);
  ASSERT_EQ(list.status, ListStatus::Ok);
  ASSERT_EQ(list.nodes.size(), 3u);
  EXPECT_EQ(list.nodes[0].name, "电信一");
  EXPECT_EQ(list.nodes[2].address, "node3.quovix.test");
}

TEST(NettestNodeList, LineEndsOfEitherKindAndAMissingLastOneAreRead) {
  const std::string lf = "quovix-nodes 1\na\t10.0.0.1\nb\t10.0.0.2";
  const NodeList list = parse_node_list_file(&lf);
  ASSERT_EQ(list.status, ListStatus::Ok);
  EXPECT_EQ(list.nodes.size(), 2u);
  EXPECT_EQ(list.nodes[1].address, "10.0.0.2");
}

TEST(NettestNodeList, MissingEmptyAndGarbledFilesAreToldApart) {
  EXPECT_EQ(parse_node_list_file(nullptr).status, ListStatus::Missing);
  for (const std::string empty : {"", "quovix-nodes 1\r\n"}) {
    EXPECT_EQ(parse_node_list_file(&empty).status, ListStatus::Empty) << empty;
  }
  const struct {
    std::string bytes;
    int bad_line;
  } garbled[] = {
      {"\xFF\xFE\x00q", 1},                                   // not our file at all
      {"name\t10.0.0.1\r\n", 1},                              // no header
      {"quovix-nodes 1\r\na\t10.0.0.1\r\nb10.0.0.2\r\n", 3},  // no tab
      {"quovix-nodes 1\r\n\t10.0.0.1\r\n", 2},                // no name
      {"quovix-nodes 1\r\na\t\r\n", 2},                       // no address
      {"quovix-nodes 1\r\na\t10.0.\x01\r\n", 2},              // a control byte
      {"quovix-nodes 1\r\na\t10.0.0.1\r\n\r\n", 3},           // a blank line
  };
  for (const auto& g : garbled) {
    const NodeList list = parse_node_list_file(&g.bytes);
    EXPECT_EQ(list.status, ListStatus::Garbled) << g.bytes;
    EXPECT_EQ(list.bad_line, g.bad_line) << g.bytes;
    EXPECT_TRUE(list.nodes.empty());
    EXPECT_NE(describe_problem(list).find(std::to_string(g.bad_line)), std::string::npos);
  }
}

TEST(NettestNodeList, MoreNodesThanTheClientHoldsIsGarbled) {
  std::vector<Node> nodes(kNodeListMaxNodes, Node{"n", "10.0.0.1"});
  std::string file = format_node_list(nodes);
  EXPECT_EQ(parse_node_list_file(&file).status, ListStatus::Ok);
  file += "n\t10.0.0.1\r\n";
  EXPECT_EQ(parse_node_list_file(&file).status, ListStatus::Garbled);
}

TEST(NettestNodeList, EachProblemHasItsOwnMessage) {
  NodeList missing, empty, garbled;
  empty.status = ListStatus::Empty;
  garbled.status = ListStatus::Garbled;
  garbled.bad_line = 4;
  EXPECT_NE(describe_problem(missing), describe_problem(empty));
  EXPECT_NE(describe_problem(empty), describe_problem(garbled));
  EXPECT_FALSE(describe_problem(missing).empty());
}

}  // namespace
}  // namespace qvx::nettest
