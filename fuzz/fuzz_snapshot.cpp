// fuzz_snapshot: any bytes as a snapshot file. Whatever decodes and validates must re-encode to text that
// decodes back equal and validates, that encoding must be a fixed point, and its transition dates must keep
// their promises; anything else must be refused with JsonDecodingError or a validation failure.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "JsonDecodingError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "TimeZone.h"

namespace velto {
namespace {

[[noreturn]] void fault(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz_snapshot: %s%s%.*s\n", what, detail.empty() ? "" : ": ", static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

void require(bool condition, const char* what, std::string_view detail = {}) {
  if (!condition) fault(what, detail);
}

// A zone with a daylight-saving change, so that the midnight candidate is not a plain multiple of a day.
const platform::TimeZone& zone() {
  static const platform::TimeZone berlin = [] {
    const auto named = platform::TimeZone::named("Europe/Berlin");
    if (!named) fault("the tz database has no Europe/Berlin");
    return *named;
  }();
  return berlin;
}

void checkTransitions(const UsageWidgetSnapshot& snapshot, const std::string& encoded) {
  // Before the capture, so that most candidates count; the capture itself, where few do.
  for (const Instant after : {snapshot.capturedAt - 86'400.0, snapshot.capturedAt}) {
    const auto dates = snapshot.transitionDates(after, zone());
    require(dates.size() <= 12, "more than 12 transition dates", encoded);
    for (std::size_t i = 0; i < dates.size(); ++i) {
      require(std::isfinite(dates[i]) && dates[i] > after, "a transition date not after the instant", encoded);
      require(i == 0 || dates[i - 1] < dates[i], "transition dates not strictly ascending", encoded);
    }
  }
}

}  // namespace
}  // namespace velto

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velto;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  UsageWidgetSnapshot snapshot;
  try {
    snapshot = decodeSnapshot(bytes);
  } catch (const JsonDecodingError&) {
    return 0;  // refused as the format says; any other exception escapes and counts as a crash
  }
  if (firstValidationFailure(snapshot)) return 0;

  const std::string encoded = encode(snapshot);
  UsageWidgetSnapshot decoded;
  try {
    decoded = decodeSnapshot(encoded);
  } catch (const JsonDecodingError& error) {
    fault("its own encoding does not decode", std::string(error.what()) + " in " + encoded);
  }
  require(decoded == snapshot, "does not decode back equal", encoded);
  if (const auto failure = firstValidationFailure(decoded)) {
    fault("decodes back to a snapshot that fails validation", failure->describe() + " in " + encoded);
  }
  require(encode(decoded) == encoded, "re-encoding is not a fixed point", encoded);
  checkTransitions(snapshot, encoded);
  return 0;
}
