// ZoneFile: reading the 64-bit block of a TZif file.
#include "ZoneFile.h"

#include <algorithm>
#include <cstddef>

namespace velto::platform {
namespace {

constexpr std::size_t timeTypeSize = 6;  // a 32-bit offset, the daylight-saving flag, an abbreviation index

// Reads big-endian integers from a byte range, remembering whether it ever ran past the end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool failed() const { return failed_; }

  std::string_view take(std::size_t count) {
    if (failed_ || count > bytes_.size()) {
      failed_ = true;
      return {};
    }
    const auto taken = bytes_.substr(0, count);
    bytes_.remove_prefix(count);
    return taken;
  }

  std::uint64_t unsignedInteger(std::size_t size) {
    std::uint64_t value = 0;
    for (const char byte : take(size)) value = value << 8 | static_cast<unsigned char>(byte);
    return value;
  }

 private:
  std::string_view bytes_;
  bool failed_ = false;
};

struct Counts {
  std::uint64_t utIndicators, standardIndicators, leapSeconds, transitions, timeTypes, abbreviationBytes;

  // The size of the data block that follows a header, with times of `timeSize` bytes.
  std::uint64_t dataSize(std::uint64_t timeSize) const {
    return transitions * (timeSize + 1) + timeTypes * timeTypeSize + abbreviationBytes +
           leapSeconds * (timeSize + 4) + standardIndicators + utIndicators;
  }
};

// A header of version 2 or later (44 bytes: "TZif", the version, 15 reserved bytes, six 32-bit counts);
// nothing for another file or an older version.
std::optional<Counts> header(Reader& reader) {
  const auto magic = reader.take(5);
  reader.take(15);
  Counts counts{};
  for (auto* count : {&counts.utIndicators, &counts.standardIndicators, &counts.leapSeconds, &counts.transitions,
                      &counts.timeTypes, &counts.abbreviationBytes}) {
    *count = reader.unsignedInteger(4);
  }
  if (reader.failed() || !magic.starts_with("TZif") || magic[4] < '2' || counts.timeTypes == 0) return std::nullopt;
  return counts;
}

}  // namespace

std::int32_t ZoneFile::offsetAt(std::int64_t instant) const {
  const auto after = std::upper_bound(transitions.begin(), transitions.end(), instant);
  return offsets[static_cast<std::size_t>(after - transitions.begin())];
}

std::optional<ZoneFile> ZoneFile::parse(std::string_view bytes) {
  Reader reader(bytes);
  const auto first = header(reader);
  if (!first || first->dataSize(4) > bytes.size()) return std::nullopt;
  reader.take(first->dataSize(4));
  const auto counts = header(reader);
  if (!counts || counts->dataSize(8) > bytes.size()) return std::nullopt;
  ZoneFile zone;
  zone.transitions.resize(counts->transitions);
  for (auto& transition : zone.transitions) transition = static_cast<std::int64_t>(reader.unsignedInteger(8));
  std::vector<std::uint64_t> typeOfTransition(counts->transitions);
  for (auto& type : typeOfTransition) type = reader.unsignedInteger(1);
  std::vector<std::int32_t> typeOffsets(counts->timeTypes);
  for (auto& offset : typeOffsets) {
    offset = static_cast<std::int32_t>(static_cast<std::uint32_t>(reader.unsignedInteger(4)));
    reader.take(2);
  }
  // The rest of the block (abbreviations, leap seconds, indicators) must be there, and is not needed.
  reader.take(counts->dataSize(8) - counts->transitions * 9 - counts->timeTypes * timeTypeSize);
  if (reader.failed() || !std::is_sorted(zone.transitions.begin(), zone.transitions.end()) ||
      std::adjacent_find(zone.transitions.begin(), zone.transitions.end()) != zone.transitions.end()) {
    return std::nullopt;
  }
  zone.offsets.push_back(typeOffsets.front());
  for (const auto type : typeOfTransition) {
    if (type >= typeOffsets.size()) return std::nullopt;
    zone.offsets.push_back(typeOffsets[type]);
  }
  return zone;
}

}  // namespace velto::platform
