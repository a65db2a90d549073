// The phone book: entries found by name, and the rules of asking for the entry size, writing
// and deleting entries. The entry type is the holder's (the simulated machine keeps the fields,
// the Wine double the text it journals); it needs a `name`, the name as the phone book stores it
// (Windows keeps UTF-16; the A functions convert with the ANSI code page, ansi_code_page.h).
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras.h"
#include "platform/sim/model/ras_codes.h"
#include "platform/sim/sim_profile.h"

namespace qvx::model {

// The RASENTRYW size this Windows reports and accepts, unless a machine says otherwise (the
// SDK's from Vista on, on both ABIs; RASENTRYA's is 2884).
constexpr std::uint32_t kRasEntryRecordSize = 5616;

// "RasGetEntryPropertiesW function (ras.h)", learn.microsoft.com: without a RASENTRY buffer the
// call puts the size an entry needs in lpdwEntryInfoSize and answers ERROR_BUFFER_TOO_SMALL.
std::uint32_t entry_size_query(std::uint32_t record_size, std::uint32_t& size);

// RAS_MaxEntryName (ras.h): the longest entry name, in characters (a wide name's UTF-16 units;
// an ANSI name's bytes).
constexpr std::size_t kMaxEntryName = 256;
template <typename Name>
bool valid_entry_name(const Name& name) {
  return !name.empty() && name.size() <= kMaxEntryName;
}

// What RasSetEntryPropertiesA checks before it writes an entry: the record's dwSize and the
// buffer it came in, the name, and (from Vista on) the members the caller must set.
std::uint32_t check_entry(const std::string& name, const platform::RasEntry& entry,
                          std::uint32_t dw_size, std::uint32_t buffer_size,
                          std::uint32_t record_size, sim::WindowsProfile profile);
std::uint32_t check_entry(const std::u16string& name, const platform::RasEntry& entry,
                          std::uint32_t dw_size, std::uint32_t buffer_size,
                          std::uint32_t record_size, sim::WindowsProfile profile);

template <typename Entry>
class RasPhoneBook {
 public:
  using Name = decltype(Entry::name);

  Entry* find(const Name& name) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.name == name; });
    return it == entries_.end() ? nullptr : &*it;
  }
  const Entry* find(const Name& name) const { return const_cast<RasPhoneBook*>(this)->find(name); }

  // "RasSetEntryPropertiesA function (ras.h)": an entry of that name is changed, in its place
  // in the listing; otherwise a new entry is made.
  void put(Entry entry) {
    if (Entry* old = find(entry.name)) {
      *old = std::move(entry);
    } else {
      entries_.push_back(std::move(entry));
    }
  }

  // "RasDeleteEntryA function (ras.h)": ERROR_INVALID_NAME for a name no entry can have,
  // ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when there is no such entry.
  std::uint32_t remove(const Name& name) {
    if (!valid_entry_name(name)) return ras::kInvalidName;
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.name == name; });
    if (it == entries_.end()) return ras::kEntryNotFound;
    entries_.erase(it);
    return 0;
  }

  // RasEnumEntries lists the entries in the order they were made.
  std::vector<Name> names() const {
    std::vector<Name> out;
    for (const Entry& e : entries_) out.push_back(e.name);
    return out;
  }
  const std::vector<Entry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace qvx::model
