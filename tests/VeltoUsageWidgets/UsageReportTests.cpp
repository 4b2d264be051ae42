// UsageReportTests: what the decoder makes of each key and of nulls, and what it refuses outright.
// Whole-document refusals by path live in the report corpus (fixtures/reports/fail).
#include "UsageReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JsonDecodingError.h"

namespace velto::report {
namespace {

// The records are handed over only for the call: `check` looks at them there, and must be called.
template <typename Check>
void decoded(std::string_view json, Check&& check) {
  bool called = false;
  decodeRawUsage(json, [&](const RawUsage& usage) {
    called = true;
    check(usage);
  });
  EXPECT_TRUE(called);
}

// Each key lands in its own field: every value below is distinct, so a swapped key shows.
TEST(UsageReport, EveryKeyLandsInItsField) {
  const std::string json = R"({
    "limits": {
      "windows": [{"agent": "a", "agent_name": "A", "label": "L", "kind": "k", "model": "m", "pct_used": 1.5,
                   "reset_unix": 2, "observed_at": 3, "stale": false, "tier": "t"}],
      "balances": [{"agent": "b", "agent_name": "B", "observed_at": 4,
                    "wallets": [{"kind": "wk", "currency": "wc", "amount": "wa"}]}]},
    "history": {"days": [{"date": "d"}], "scanned_at": 5,
                "by_agent": [{"agent_key": "o", "agent_name": "O", "today_out": 6, "week_out": 7}]}})";
  const RawUsage expected{
      .limits = RawLimits{
          .windows = std::vector<RawWindow>{{.agent = "a", .agentName = "A", .label = "L", .kind = "k", .model = "m",
                                             .pctUsed = 1.5, .resetUnix = 2, .observedAt = 3, .stale = false,
                                             .tier = "t"}},
          .balances = std::vector<RawBalance>{{.agent = "b", .agentName = "B", .observedAt = 4,
                                               .wallets = {{.kind = "wk", .currency = "wc", .amount = "wa"}}}}},
      .history = RawHistory{.days = std::vector<RawDay>{{.date = "d"}},
                            .byAgent = std::vector<RawOutput>{{.agentKey = "o", .agentName = "O", .todayOut = 6,
                                                               .weekOut = 7}},
                            .scannedAt = 5}};
  decoded(json, [&](const RawUsage& usage) { EXPECT_EQ(usage, expected); });
}

// Integers are read as the snapshot's are (SnapshotJsonTests).
TEST(UsageReport, NullMeansAbsentAndMissingOptionalKeysDecode) {
  decoded(R"({"limits":null,"history":null})", [](const RawUsage& usage) { EXPECT_EQ(usage, RawUsage{}); });
  decoded(R"({"limits":{"windows":[{"label":"L","pct_used":0,"agent":null,"stale":null,
    "reset_unix":null}],"balances":null},"history":{"by_agent":[{}],"days":null}})",
          [](const RawUsage& usage) {
            const RawWindow window{.label = "L"};
            EXPECT_EQ(usage.limits->windows, std::vector<RawWindow>{window});
            EXPECT_EQ(usage.limits->balances, std::nullopt);
            EXPECT_EQ(usage.history->byAgent, std::vector<RawOutput>{RawOutput{}});
            EXPECT_EQ(usage.history->days, std::nullopt);
          });
}

}  // namespace
}  // namespace velto::report
