// The verification reply "information.txt": its first line, the success marker and the nine
// "@"-ended fields.
#include <algorithm>
#include <array>

#include "fuzz/fuzz_support.h"
#include "platform/text_mode.h"
#include "verify/client_record.h"
#include "verify/reply_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  ClientRecord record(fuzz::machine().platform());
  const std::string line = first_line(platform::from_disk_text(fuzz::bytes(data, size)));
  fuzz::check(line.size() <= 199 && line.find('\n') == std::string::npos,
              "the line is at most 199 bytes and one line");

  VerificationFields fields(line);
  fuzz::check(fields.accepted() == (line.compare(0, 4, "200@") == 0), "accepted iff 200@");
  if (!fields.accepted()) return 0;
  fields.read_versions(record);
  fields.read_account(record);

  // Joined again with their "@", the fields give back the line; once the "@"s run out, every
  // later field is the rest of the line.
  const std::array<const std::string*, 9> read = {
      &record.min_version, &record.latest_version, &record.user_level,
      &record.server_time, &record.expiry_time,    &record.days_left,
      &record.points,      &record.external_ip,    &record.list_url};
  const auto ats = static_cast<std::size_t>(std::count(line.begin() + 4, line.end(), '@'));
  std::string rebuilt = "200@";
  for (std::size_t i = 0; i < read.size(); ++i) {
    fuzz::check(read[i]->find('@') == std::string::npos, "no field holds an @");
    if (i < ats) {
      rebuilt += *read[i] + "@";
    } else {
      fuzz::check(*read[i] == line.substr(std::min(rebuilt.size(), line.size())),
                  "fields past the last @ hold the rest");
    }
  }
  fuzz::check(line.compare(0, rebuilt.size(), rebuilt) == 0, "the fields rebuild the line");
  return 0;
}
