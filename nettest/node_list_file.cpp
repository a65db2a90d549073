#include "nettest/node_list_file.h"

#include <algorithm>

#include "verify/client_record.h"

namespace qvx::nettest {

namespace {

constexpr char kHeader[] = "quovix-nodes 1";

bool printable(const std::string& text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Lines split at LF with the CR before it removed; a final line end ends no further line.
std::vector<std::string> lines_of(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<Node> nodes_of(const ClientRecord& record) {
  std::vector<Node> nodes;
  const int count = std::clamp(record.node_count, 0, kNodeSlots - 1);
  for (int i = 1; i <= count; ++i) {
    const std::size_t slot = static_cast<std::size_t>(i);
    if (record.node_addresses[slot].empty()) continue;
    nodes.push_back({record.node_names[slot], record.node_addresses[slot]});
  }
  return nodes;
}

std::string format_node_list(const std::vector<Node>& nodes) {
  std::string text = std::string(kHeader) + "\r\n";
  for (const Node& node : nodes) text += node.name + "\t" + node.address + "\r\n";
  return text;
}

NodeList parse_node_list_file(const std::string* bytes_read) {
  NodeList list;
  if (!bytes_read) return list;
  const std::vector<std::string> lines = lines_of(*bytes_read);
  if (lines.empty()) {
    list.status = ListStatus::Empty;
    return list;
  }
  if (lines.front() != kHeader) {
    list.status = ListStatus::Garbled;
    list.bad_line = 1;
    return list;
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::size_t tab = line.find('\t');
    Node node;
    if (tab != std::string::npos) node = {line.substr(0, tab), line.substr(tab + 1)};
    const bool good = tab != std::string::npos && !node.name.empty() && !node.address.empty() &&
                      printable(node.name) && printable(node.address);
    if (!good || list.nodes.size() == kNodeListMaxNodes) {
      list.status = ListStatus::Garbled;
      list.bad_line = static_cast<int>(i) + 1;
      list.nodes.clear();
      return list;
    }
    list.nodes.push_back(std::move(node));
  }
  list.status = list.nodes.empty() ? ListStatus::Empty : ListStatus::Ok;
  return list;
}

std::string describe_problem(const NodeList& list) {
  switch (list.status) {
    case ListStatus::Missing:
      return "没有找到节点列表，请登录后在状态窗口中点击“速度测试”。";
    case ListStatus::Empty:
      return "节点列表是空的，请重新登录后再测试。";
    case ListStatus::Garbled:
      return "节点列表已损坏（第" + std::to_string(list.bad_line) + "行），请重新登录后再测试。";
    case ListStatus::Ok:
      break;
  }
  return std::string();
}

}  // namespace qvx::nettest
