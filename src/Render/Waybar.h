// Waybar: one widget entry as the JSON line of a status bar's custom module.
#pragma once

#include <string>
#include <string_view>

#include "StatusSummary.h"
#include "StatusTemplate.h"

namespace velto::render {

/// The entry as one JSON object for waybar's custom module ("return-type": "json"):
/// - "text": the template filled from the summary (by default the account and its figure, "Crane 42%");
/// - "alt": the agent key, for per-agent "format-icons"; left out for the empty state;
/// - "tooltip": the summary's lines, one per block ("Session · 42% · Resets 3:00 PM"), then the updated line;
/// - "class": the state's name: normal, warning, critical, stale or unavailable;
/// - "percentage": the quota bar's fill, 0 to 100, whenever the entry shows one (also when stale).
/// Text and tooltip are Pango markup with "&", "<" and ">" escaped, so the module's own "escape" option
/// should stay off. The object is on one line, without a line break after it.
std::string waybarJson(const StatusSummary& summary, const StatusTemplate& textTemplate = StatusTemplate());

/// `text` as a JSON string with its quotes: '"', '\' and control characters escaped, invalid UTF-8 replaced
/// by U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace velto::render
