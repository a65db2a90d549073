// The node list the client hands the speed test: a small GBK text file beside both programs.
//   quovix-nodes 1          a header, so that a stray or cut file is told from a list
//   NAME<TAB>ADDRESS        one line a node, in the client's node order
// Lines end in CR LF. Names and addresses come from the whitespace-separated node list, so
// neither holds a tab or a line end.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace qvx {

struct ClientRecord;

namespace nettest {

constexpr char kNodeListFileName[] = "nettest_nodes.txt";
// More than 49 full lines never come from the client; a larger file is read no further.
constexpr std::size_t kNodeListFileMax = 64 * 1024;
constexpr std::size_t kNodeListMaxNodes = 49;

struct Node {
  std::string name;
  std::string address;
};

// The record's downloaded nodes, in its order; a node without an address is left out.
std::vector<Node> nodes_of(const ClientRecord& record);

std::string format_node_list(const std::vector<Node>& nodes);

enum class ListStatus { Ok, Missing, Empty, Garbled };

struct NodeList {
  ListStatus status = ListStatus::Missing;
  std::vector<Node> nodes;  // only with Ok
  int bad_line = 0;         // with Garbled: the first line that is not a node (from 1)
};

// bytes_read is the file's content, or nothing when it could not be read.
NodeList parse_node_list_file(const std::string* bytes_read);

// What the speed test tells its user about a list it cannot measure (GBK).
std::string describe_problem(const NodeList& list);

}  // namespace nettest
}  // namespace qvx
