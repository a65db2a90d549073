// route_gen DB OUTDIR [MAX_ROWS]: writes CHINANET.dat, CNC.dat and CERNET.dat from an
// ip2region v1 database, each aggregated to at most MAX_ROWS CIDR rows, and prints how much
// of each network the rows cover and how much of what they cover is foreign.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "aggregate.h"
#include "ip2region_db.h"

using namespace qvx::route_gen;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ip2region.db OUTDIR [MAX_ROWS]\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto db = read_ip2region(bytes);
  if (!db) {
    std::fprintf(stderr, "%s: not an ip2region v1 database\n", argv[1]);
    return 1;
  }
  const std::size_t max_rows = argc > 3 ? std::stoul(argv[3]) : 500;
  std::vector<Range> networks[3];
  for (const RegionRange& r : *db) {
    const int n = network_of(r.region);
    if (n >= 0) networks[n].push_back(r.range);
  }
  const char* names[3] = {"CHINANET", "CNC", "CERNET"};
  for (int n = 0; n < 3; ++n) {
    const auto ranges = normalise(networks[n]);
    const auto blocks = aggregate(ranges, max_rows);
    std::ofstream out(std::string(argv[2]) + "/" + names[n] + ".dat", std::ios::binary);
    for (const Block& b : blocks) out << route_row(b) << "\r\n";
    const Report r = measure(ranges, blocks);
    std::printf(
        "%-8s %6zu source ranges, %3zu rows, %11llu addresses: covers %.1f%%, %.1f%% of "
        "the covered addresses foreign\n",
        names[n], networks[n].size(), blocks.size(), static_cast<unsigned long long>(r.owned),
        100 * r.coverage(), 100 * r.foreign_share());
  }
  return 0;
}
