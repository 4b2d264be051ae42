// JournalStream: whether a descriptor is the systemd journal's stream, so that lines can carry a priority.
#pragma once

#include <optional>
#include <string_view>

namespace velto::platform {

/// True when `journalStream` (the value of JOURNAL_STREAM, "DEVICE:INODE" in decimal, which systemd sets for
/// a service whose standard output or error goes to the journal) names the file `fd` is open on. A child
/// inherits the variable but not always the stream, hence the comparison.
bool isJournalStream(const std::optional<std::string_view>& journalStream, int fd);

}  // namespace velto::platform
