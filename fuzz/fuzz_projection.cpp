// fuzz_projection: any bytes as a raw usage report. Whenever the projection succeeds, its snapshot must survive
// its own file format unchanged, hold accounts of the three forms the projection builds, and pass validation
// as it is, so that the store never refuses a report the projection accepted.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "UsageWidgetProjection.h"

namespace velto {
namespace {

constexpr Instant at = 1796126400;  // 2026-12-01T12:00:00Z, so that seeds can hold times on both sides of it

[[noreturn]] void fault(const std::string& what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz_projection: %s%s%.*s\n", what.c_str(), detail.empty() ? "" : ": ",
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}

void require(bool condition, const std::string& what, std::string_view detail = {}) {
  if (!condition) fault(what, detail);
}

bool isPosition(std::string_view digits) {
  return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos &&
         (digits == "0" || digits.front() != '0');
}

// Each account has one of the three forms a projection builds.
void requireAccountForm(const UsageWidgetAccount& account, const std::string& where) {
  const std::string balancePrefix = account.agent + "-balance-";
  if (account.id == account.agent) {
    require(!account.windows.empty() && account.wallets.empty() && !account.observedAt && !account.output,
            "window account of the wrong shape", where);
    return;
  }
  if (account.id == "output:" + account.agent) {
    require(account.windows.empty() && account.wallets.empty() && account.observedAt && account.output,
            "output account of the wrong shape", where);
    return;
  }
  require(account.id.starts_with(balancePrefix) && isPosition(std::string_view(account.id).substr(balancePrefix.size())),
          "id of no known form", where + ".id = " + account.id);
  require(account.windows.empty() && !account.wallets.empty() && account.observedAt && !account.output,
          "balance account of the wrong shape", where);
}

void check(const UsageWidgetSnapshot& snapshot) {
  require(snapshot.schema == 1, "schema is not 1");
  require(snapshot.capturedAt == at, "capturedAt is not the time of projection");
  const std::string encoded = encode(snapshot);
  require(encoded.size() <= UsageWidgetSnapshot::maximumBytes, "encodes beyond the file limit");
  const UsageWidgetSnapshot decoded = decodeSnapshot(encoded);
  require(decoded == snapshot, "does not decode back equal", encoded);
  require(encode(decoded) == encoded, "re-encodes differently", encoded);
  for (std::size_t i = 0; i < snapshot.accounts.size(); ++i) {
    requireAccountForm(snapshot.accounts[i], "accounts[" + std::to_string(i) + "]");
  }
  if (const auto failure = firstValidationFailure(snapshot)) {
    fault("fails validation", failure->describe() + " in " + encoded);
  }
}

}  // namespace
}  // namespace velto

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velto;
  const std::string_view report(reinterpret_cast<const char*>(data), size);
  UsageWidgetSnapshot snapshot;
  try {
    snapshot = projectReport(report, "fuzz", at);
  } catch (const SnapshotFailure& failure) {
    require(failure.error() == SnapshotError::tooLarge, "refused with a case other than tooLarge", failure.what());
    return 0;
  } catch (const JsonDecodingError&) {
    return 0;  // not a usage report; any other exception escapes and counts as a crash
  }
  check(snapshot);
  return 0;
}
