// SnapshotValidationTests: the value rules of a snapshot, the order they are checked in, and window timing.
#include "SnapshotValidation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "UsageWidgetSnapshot.h"

namespace velto {
namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double tiny = std::numeric_limits<double>::denorm_min();

const std::string valid = "valid";
const std::string mustBeOne = "must be 1";
const std::string notNegative = "must be finite and not negative";
const std::string positive = "must be finite and positive";
const std::string agentRule = "must match ^[a-z0-9_-]{1,40}$";
const std::string idRule = "must match ^[a-z0-9_:-]{1,80}$";
const std::string amountRule = "must match ^-?[0-9]{1,20}(\\.[0-9]{1,12})?$";
const std::string dayPatternRule = "must match ^[0-9]{4}-[0-9]{2}-[0-9]{2}$";
const std::string calendarRule = "must be a real calendar date";
const std::string percentRule = "must be finite and lie in 0 to 1000";
const std::string tierRule = "must be \"warn\" or \"full\"";

std::string cleanRule(std::size_t limit) {
  return "must be at most " + std::to_string(limit) +
         " characters, without control or format characters or white space at either end";
}

std::string fails(const std::string& path, const std::string& rule) { return path + ": " + rule; }

// "valid", or the first failure as "path: rule", so that a mismatch prints both sides readably.
std::string outcome(const UsageWidgetSnapshot& snapshot) {
  const auto failure = firstValidationFailure(snapshot);
  return failure ? failure->describe() : valid;
}

std::string repeated(const std::string& piece, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// `length` characters, spaces between letters but never at either end.
std::string spaced(std::size_t length) {
  std::string text(length, 'a');
  for (std::size_t i = 1; i + 1 < length; i += 2) text[i] = ' ';
  return text;
}

const std::string thumbsUpMediumSkin = "\U0001F44D\U0001F3FD";  // two scalars, one character

// Two accounts; the second has two windows and two wallets so that paths show non-zero indices.
UsageWidgetSnapshot baseSnapshot() {
  UsageWidgetSnapshot snapshot;
  snapshot.server = "workstation";
  snapshot.capturedAt = 1'750'000'000;
  snapshot.accounts = {
      UsageWidgetAccount{
          .id = "corvid:work",
          .agent = "corvid",
          .name = "Work",
          .windows = {{.label = "5 hours", .kind = "session", .model = "", .percent = 42.5,
                       .resetAt = 1'750'010'000, .observedAt = 1'749'999'950, .tier = "warn"}},
          .wallets = {{.kind = "credits", .currency = "USD", .amount = "12.50"}},
          .observedAt = 1'749'999'900,
          .output = UsageWidgetOutput{.day = "2025-06-15", .today = 1200, .week = 8400},
      },
      UsageWidgetAccount{
          .id = "crane:home",
          .agent = "crane",
          .name = "Home",
          .windows = {{.label = "Weekly", .kind = "weekly", .model = "", .percent = 10},
                      {.label = "Weekly Reef", .kind = "weekly", .model = "reef", .percent = 99.9,
                       .resetAt = 1'750'500'000, .tier = "full"}},
          .wallets = {{.kind = "credits", .currency = "USD", .amount = "0"},
                      {.kind = "prepaid", .currency = "EUR", .amount = "-3.25"}},
      },
  };
  return snapshot;
}

// Replaces the accounts with `count` copies of the second account, each with its own id.
void useAccounts(UsageWidgetSnapshot& snapshot, std::size_t count) {
  const UsageWidgetAccount model = snapshot.accounts[1];
  snapshot.accounts.assign(count, model);
  for (std::size_t i = 0; i < count; ++i) snapshot.accounts[i].id = "acct-" + std::to_string(i);
}

template <typename Param>
std::string rowName(const testing::TestParamInfo<Param>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------------------------------------------------------

TEST(SnapshotValidation, EmptySnapshotIsValidAndValidatedUnchanged) {
  const auto empty = UsageWidgetSnapshot::empty();
  EXPECT_EQ(outcome(empty), valid);
  const auto validated = empty.validated();
  ASSERT_TRUE(validated.has_value());
  EXPECT_TRUE(*validated == empty);
}

TEST(SnapshotValidation, ValidatedKeepsTextAsReceived) {
  // Validation must neither normalise nor clean: a decomposed "é" and an inner no-break space survive byte for byte.
  auto snapshot = baseSnapshot();
  snapshot.accounts[1].name = "Cafe\u0301\u00A0Bar";
  snapshot.server = "host\u00A0one";
  const auto validated = snapshot.validated();
  ASSERT_TRUE(validated.has_value());
  EXPECT_EQ(validated->accounts[1].name, "Cafe\u0301\u00A0Bar");
  EXPECT_EQ(validated->server, "host\u00A0one");
  EXPECT_TRUE(*validated == snapshot);
}

TEST(SnapshotValidation, DescribeJoinsPathAndRule) {
  auto snapshot = baseSnapshot();
  snapshot.accounts[1].windows[0].percent = 1001;
  const auto failure = firstValidationFailure(snapshot);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->path, "accounts[1].windows[0].percent");
  EXPECT_EQ(failure->rule, percentRule);
  EXPECT_EQ(failure->describe(), "accounts[1].windows[0].percent: " + percentRule);
}

// --- One mutation of the base snapshot per row ------------------------------------------------------------------

struct MutationRow {
  std::string name;
  void (*mutate)(UsageWidgetSnapshot&);
  std::string expected;  ///< `valid` or "path: rule"
};
// Rows print as their names, so that the test names ctest lists stay short and the same from build to build.
void PrintTo(const MutationRow& row, std::ostream* out) { *out << row.name; }

class SnapshotValidationMutation : public testing::TestWithParam<MutationRow> {};

TEST_P(SnapshotValidationMutation, FirstFailureAndValidatedAgree) {
  auto snapshot = baseSnapshot();
  GetParam().mutate(snapshot);
  EXPECT_EQ(outcome(snapshot), GetParam().expected);
  const auto validated = snapshot.validated();
  EXPECT_EQ(validated.has_value(), GetParam().expected == valid);
  if (validated) {
    EXPECT_TRUE(*validated == snapshot);
  }
}

using S = UsageWidgetSnapshot;

const std::vector<MutationRow> mutationRows = {
    {"Unchanged", [](S&) {}, valid},

    // Snapshot fields.
    {"SchemaZero", [](S& s) { s.schema = 0; }, fails("schema", mustBeOne)},
    {"SchemaTwo", [](S& s) { s.schema = 2; }, fails("schema", mustBeOne)},
    {"CapturedAtZero", [](S& s) { s.capturedAt = 0; }, valid},
    {"CapturedAtNegativeZero", [](S& s) { s.capturedAt = -0.0; }, valid},
    {"CapturedAtMinusOne", [](S& s) { s.capturedAt = -1; }, fails("capturedAt", notNegative)},
    {"CapturedAtSmallestNegative", [](S& s) { s.capturedAt = -tiny; }, fails("capturedAt", notNegative)},
    {"CapturedAtNaN", [](S& s) { s.capturedAt = notANumber; }, fails("capturedAt", notNegative)},
    {"CapturedAtInfinity", [](S& s) { s.capturedAt = infinity; }, fails("capturedAt", notNegative)},
    {"EightyAccounts", [](S& s) { useAccounts(s, 80); }, valid},
    {"EightyOneValidAccounts", [](S& s) { useAccounts(s, 81); },
     fails("accounts", "must hold at most 80 accounts")},
    {"EmptyServer", [](S& s) { s.server.clear(); }, valid},

    // Ids.
    {"SameAgentDifferentIds", [](S& s) { s.accounts[1].agent = s.accounts[0].agent; }, valid},
    {"SameIdDifferentAgents", [](S& s) { s.accounts[1].id = s.accounts[0].id; },
     fails("accounts[1].id", "repeats the id of an earlier account")},
    {"ThirdRepeatsFirstId",
     [](S& s) {
       s.accounts.push_back(s.accounts[1]);
       s.accounts[2].id = s.accounts[0].id;
     },
     fails("accounts[2].id", "repeats the id of an earlier account")},
    {"IdsDifferingByFinalNewline",
     [](S& s) {
       s.accounts[0].id = "shared";
       s.accounts[1].id = "shared\n";
     },
     valid},

    // Account fields.
    {"EmptyName", [](S& s) { s.accounts[0].name.clear(); }, valid},
    {"SixtyFourWindows", [](S& s) { s.accounts[1].windows.resize(64, s.accounts[1].windows[1]); }, valid},
    {"SixtyFiveWindows", [](S& s) { s.accounts[1].windows.resize(65, s.accounts[1].windows[1]); },
     fails("accounts[1].windows", "must hold at most 64 windows")},
    {"EightWallets", [](S& s) { s.accounts[1].wallets.resize(8, s.accounts[1].wallets[1]); }, valid},
    {"NineWallets", [](S& s) { s.accounts[1].wallets.resize(9, s.accounts[1].wallets[1]); },
     fails("accounts[1].wallets", "must hold at most 8 wallets")},
    {"AccountObservedAtSmallestPositive", [](S& s) { s.accounts[0].observedAt = tiny; }, valid},
    {"AccountObservedAtZero", [](S& s) { s.accounts[0].observedAt = 0.0; }, fails("accounts[0].observedAt", positive)},
    {"AccountObservedAtNaN", [](S& s) { s.accounts[0].observedAt = notANumber; }, fails("accounts[0].observedAt", positive)},
    {"AccountObservedAtInfinity", [](S& s) { s.accounts[0].observedAt = infinity; },
     fails("accounts[0].observedAt", positive)},
    {"ObservedAtWithoutOutput", [](S& s) { s.accounts[0].output.reset(); }, valid},
    {"OutputWithoutObservedAt", [](S& s) { s.accounts[0].observedAt.reset(); },
     fails("accounts[0].output", "needs the account's observedAt")},
    {"OutputTodayNegative", [](S& s) { s.accounts[0].output->today = -1; },
     fails("accounts[0].output.today", "must not be negative")},
    {"OutputWeekBelowToday", [](S& s) { s.accounts[0].output->week = 1199; },
     fails("accounts[0].output.week", "must not be less than today")},
    {"OutputDayMalformed", [](S& s) { s.accounts[0].output->day = "2025-6-15"; },
     fails("accounts[0].output.day", dayPatternRule)},
    {"OutputDayNotInCalendar", [](S& s) { s.accounts[0].output->day = "2023-02-29"; },
     fails("accounts[0].output.day", calendarRule)},
    {"OutputDayWithFinalNewline", [](S& s) { s.accounts[0].output->day = "2025-06-15\n"; },
     fails("accounts[0].output.day", calendarRule)},

    // Window fields.
    {"WindowWithoutOptionalFields",
     [](S& s) {
       auto& window = s.accounts[0].windows[0];
       window.resetAt.reset();
       window.observedAt.reset();
       window.tier.reset();
     },
     valid},
    {"PercentZero", [](S& s) { s.accounts[0].windows[0].percent = 0; }, valid},
    {"PercentNegativeZero", [](S& s) { s.accounts[0].windows[0].percent = -0.0; }, valid},
    {"PercentThousand", [](S& s) { s.accounts[0].windows[0].percent = 1000; }, valid},
    {"PercentNextDoubleAfterThousand", [](S& s) { s.accounts[0].windows[0].percent = std::nextafter(1000.0, infinity); },
     fails("accounts[0].windows[0].percent", percentRule)},
    {"PercentSmallestNegative", [](S& s) { s.accounts[1].windows[1].percent = -tiny; },
     fails("accounts[1].windows[1].percent", percentRule)},
    {"PercentNaN", [](S& s) { s.accounts[1].windows[1].percent = notANumber; },
     fails("accounts[1].windows[1].percent", percentRule)},
    {"PercentInfinity", [](S& s) { s.accounts[1].windows[1].percent = infinity; },
     fails("accounts[1].windows[1].percent", percentRule)},
    {"EmptyModel", [](S& s) { s.accounts[1].windows[1].model.clear(); }, valid},
    {"ResetAtSmallestPositive", [](S& s) { s.accounts[0].windows[0].resetAt = tiny; }, valid},
    {"ResetAtZero", [](S& s) { s.accounts[0].windows[0].resetAt = 0.0; },
     fails("accounts[0].windows[0].resetAt", positive)},
    {"ResetAtNaN", [](S& s) { s.accounts[0].windows[0].resetAt = notANumber; },
     fails("accounts[0].windows[0].resetAt", positive)},
    {"ResetAtInfinity", [](S& s) { s.accounts[0].windows[0].resetAt = infinity; },
     fails("accounts[0].windows[0].resetAt", positive)},
    {"WindowObservedAtFarFuture", [](S& s) { s.accounts[0].windows[0].observedAt = 4e9; }, valid},
    {"WindowObservedAtZero", [](S& s) { s.accounts[0].windows[0].observedAt = 0.0; },
     fails("accounts[0].windows[0].observedAt", positive)},
    {"TierWarn", [](S& s) { s.accounts[1].windows[0].tier = "warn"; }, valid},
    {"TierFull", [](S& s) { s.accounts[0].windows[0].tier = "full"; }, valid},
    {"TierCapitalised", [](S& s) { s.accounts[0].windows[0].tier = "Warn"; },
     fails("accounts[0].windows[0].tier", tierRule)},
    {"TierEmpty", [](S& s) { s.accounts[0].windows[0].tier = ""; }, fails("accounts[0].windows[0].tier", tierRule)},

    // Wallet fields beyond the clean texts and the amount pattern, which have their own tables.
    {"CurrencyEmpty", [](S& s) { s.accounts[1].wallets[1].currency.clear(); },
     fails("accounts[1].wallets[1].currency", "must not be empty")},

};

INSTANTIATE_TEST_SUITE_P(SnapshotValidation, SnapshotValidationMutation, testing::ValuesIn(mutationRows),
                         rowName<MutationRow>);

// --- The first broken rule wins ---------------------------------------------------------------------------------

struct Fault {
  void (*breakRule)(UsageWidgetSnapshot&);
  std::string expected;
};

// In the order the rules are checked: the snapshot's own fields, the account count (copies that also repeat an
// id), the server, repeated ids, then each account whole before the next (its fields, counts, output, each
// window whole before the next, then its wallets).
const std::vector<Fault> faultsInOrder = {
    {[](S& s) { s.schema = 2; }, fails("schema", mustBeOne)},
    {[](S& s) { s.capturedAt = notANumber; }, fails("capturedAt", notNegative)},
    {[](S& s) { s.accounts.resize(81, s.accounts[1]); }, fails("accounts", "must hold at most 80 accounts")},
    {[](S& s) { s.server = "host\t"; }, fails("server", cleanRule(80))},
    {[](S& s) { s.accounts[1].id = s.accounts[0].id; },
     fails("accounts[1].id", "repeats the id of an earlier account")},
    {[](S& s) { s.accounts[0].wallets[0].amount = "1."; }, fails("accounts[0].wallets[0].amount", amountRule)},
    {[](S& s) { s.accounts[1].agent = "Crane"; }, fails("accounts[1].agent", agentRule)},
    {[](S& s) { s.accounts[1].id = "crane home"; }, fails("accounts[1].id", idRule)},
    {[](S& s) { s.accounts[1].name = "Home\t"; }, fails("accounts[1].name", cleanRule(60))},
    {[](S& s) { s.accounts[1].windows.resize(65, s.accounts[1].windows[1]); },
     fails("accounts[1].windows", "must hold at most 64 windows")},
    {[](S& s) { s.accounts[1].wallets.resize(9, s.accounts[1].wallets[1]); },
     fails("accounts[1].wallets", "must hold at most 8 wallets")},
    {[](S& s) { s.accounts[1].observedAt = notANumber; }, fails("accounts[1].observedAt", positive)},
    {[](S& s) { s.accounts[1].output->today = -1; }, fails("accounts[1].output.today", "must not be negative")},
    {[](S& s) { s.accounts[1].output->week = 0; }, fails("accounts[1].output.week", "must not be less than today")},
    {[](S& s) { s.accounts[1].output->day = "2025-02-30"; }, fails("accounts[1].output.day", calendarRule)},
    {[](S& s) { s.accounts[1].windows[0].percent = -1; }, fails("accounts[1].windows[0].percent", percentRule)},
    {[](S& s) { s.accounts[1].windows[0].label = " Weekly"; }, fails("accounts[1].windows[0].label", cleanRule(100))},
    {[](S& s) { s.accounts[1].windows[0].kind = "weekly\n"; }, fails("accounts[1].windows[0].kind", cleanRule(32))},
    {[](S& s) { s.accounts[1].windows[0].model = "\treef"; }, fails("accounts[1].windows[0].model", cleanRule(40))},
    {[](S& s) { s.accounts[1].windows[0].resetAt = 0.0; }, fails("accounts[1].windows[0].resetAt", positive)},
    {[](S& s) { s.accounts[1].windows[0].observedAt = 0.0; }, fails("accounts[1].windows[0].observedAt", positive)},
    {[](S& s) { s.accounts[1].windows[0].tier = "none"; }, fails("accounts[1].windows[0].tier", tierRule)},
    {[](S& s) { s.accounts[1].windows[1].percent = 2000; }, fails("accounts[1].windows[1].percent", percentRule)},
    {[](S& s) { s.accounts[1].wallets[1].amount = ""; }, fails("accounts[1].wallets[1].amount", amountRule)},
    {[](S& s) { s.accounts[1].wallets[1].kind = "\u200Bprepaid"; },
     fails("accounts[1].wallets[1].kind", cleanRule(32))},
    {[](S& s) { s.accounts[1].wallets[1].currency.clear(); },
     fails("accounts[1].wallets[1].currency", "must not be empty")},
};

// Each fault is reported while it and every later one are present. Earlier faults are written last, so that
// one that copies or replaces a field keeps the later faults within it.
TEST(SnapshotValidation, FirstBrokenRuleInCheckingOrderWins) {
  for (std::size_t first = 0; first < faultsInOrder.size(); ++first) {
    SCOPED_TRACE(faultsInOrder[first].expected);
    auto snapshot = baseSnapshot();
    snapshot.accounts[1].observedAt = 1'749'999'900;
    snapshot.accounts[1].output = UsageWidgetOutput{.day = "2025-06-15", .today = 10, .week = 20};
    for (std::size_t k = faultsInOrder.size(); k-- > first;) faultsInOrder[k].breakRule(snapshot);
    EXPECT_EQ(outcome(snapshot), faultsInOrder[first].expected);
  }
}

// --- Clean texts: every field under the same rule, each with its own limit ----------------------------------

struct CleanField {
  std::string name;
  std::size_t limit;
  std::string path;
  void (*set)(UsageWidgetSnapshot&, const std::string&);
};
void PrintTo(const CleanField& row, std::ostream* out) { *out << row.name; }

struct CleanText {
  std::string name;
  std::string (*make)(std::size_t limit);
  bool passes;
};
void PrintTo(const CleanText& row, std::ostream* out) { *out << row.name; }

const std::vector<CleanField> cleanFields = {
    {"Server", 80, "server", [](S& s, const std::string& t) { s.server = t; }},
    {"AccountName", 60, "accounts[1].name", [](S& s, const std::string& t) { s.accounts[1].name = t; }},
    {"WindowLabel", 100, "accounts[1].windows[1].label",
     [](S& s, const std::string& t) { s.accounts[1].windows[1].label = t; }},
    {"WindowKind", 32, "accounts[1].windows[1].kind",
     [](S& s, const std::string& t) { s.accounts[1].windows[1].kind = t; }},
    {"WindowModel", 40, "accounts[1].windows[1].model",
     [](S& s, const std::string& t) { s.accounts[1].windows[1].model = t; }},
    {"WalletKind", 32, "accounts[1].wallets[1].kind",
     [](S& s, const std::string& t) { s.accounts[1].wallets[1].kind = t; }},
    {"WalletCurrency", 8, "accounts[1].wallets[1].currency",
     [](S& s, const std::string& t) { s.accounts[1].wallets[1].currency = t; }},
};

const std::vector<CleanText> cleanTexts = {
    {"AtLimitWithInnerSpaces", [](std::size_t n) { return spaced(n); }, true},
    {"AtLimitInSkinToneEmoji", [](std::size_t n) { return repeated(thumbsUpMediumSkin, n); }, true},
    {"OneOverLimit", [](std::size_t n) { return std::string(n + 1, 'a'); }, false},
    {"InnerTab", [](std::size_t) { return std::string("a\tb"); }, false},
    {"InnerZeroWidthSpace", [](std::size_t) { return std::string("a\u200Bb"); }, false},
};

std::string cleanTextName(const testing::TestParamInfo<std::tuple<CleanField, CleanText>>& info) {
  return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
}

class SnapshotValidationCleanText : public testing::TestWithParam<std::tuple<CleanField, CleanText>> {};

TEST_P(SnapshotValidationCleanText, PassesOrNamesField) {
  const auto& [field, text] = GetParam();
  auto snapshot = baseSnapshot();
  field.set(snapshot, text.make(field.limit));
  EXPECT_EQ(outcome(snapshot), text.passes ? valid : fails(field.path, cleanRule(field.limit)));
}

INSTANTIATE_TEST_SUITE_P(SnapshotValidation, SnapshotValidationCleanText,
                         testing::Combine(testing::ValuesIn(cleanFields), testing::ValuesIn(cleanTexts)),
                         cleanTextName);

// --- Patterns: agent key, account id, wallet amount -------------------------------------------------------------

enum class PatternField { agent, id, amount };

struct PatternRow {
  std::string name;
  PatternField field;
  std::string text;
  bool passes;
};
void PrintTo(const PatternRow& row, std::ostream* out) { *out << row.name; }

class SnapshotValidationPattern : public testing::TestWithParam<PatternRow> {};

TEST_P(SnapshotValidationPattern, PassesOrNamesField) {
  const auto& row = GetParam();
  auto snapshot = baseSnapshot();
  std::string path;
  std::string rule;
  switch (row.field) {
    case PatternField::agent:
      snapshot.accounts[1].agent = row.text;
      path = "accounts[1].agent";
      rule = agentRule;
      break;
    case PatternField::id:
      snapshot.accounts[1].id = row.text;
      path = "accounts[1].id";
      rule = idRule;
      break;
    case PatternField::amount:
      snapshot.accounts[1].wallets[1].amount = row.text;
      path = "accounts[1].wallets[1].amount";
      rule = amountRule;
      break;
  }
  EXPECT_EQ(outcome(snapshot), row.passes ? valid : fails(path, rule));
}

using enum PatternField;
const std::string digits20 = "12345678901234567890";
const std::string digits12 = "123456789012";

// Each pattern's own edge cases are checked against ICU in the text rules' tests; these rows check that each
// field is held to its pattern, with the cases the rules single out.
const std::vector<PatternRow> patternRows = {
    {"AgentFortyCharacters", agent, std::string(40, 'a'), true},
    {"AgentFinalNewline", agent, "crane\n", true},
    {"AgentColon", agent, "corvid:work", false},
    {"IdEightyCharacters", id, std::string(80, 'b'), true},
    {"IdFinalNewline", id, "crane:home\n", true},
    {"IdEightyOneCharacters", id, std::string(81, 'b'), false},
    {"AmountLongest", amount, digits20 + "." + digits12, true},
    {"AmountFinalNewline", amount, "1.5\n", true},
    {"AmountTrailingDot", amount, "1.", false},
    {"AmountTwoFinalNewlines", amount, "1\n\n", false},
};

INSTANTIATE_TEST_SUITE_P(SnapshotValidation, SnapshotValidationPattern, testing::ValuesIn(patternRows),
                         rowName<PatternRow>);

// --- UsageWidgetOutput::isValid ----------------------------------------------------------------------------------

struct OutputRow {
  std::string name;
  UsageWidgetOutput output;
  bool valid;
};
void PrintTo(const OutputRow& row, std::ostream* out) { *out << row.name; }

class UsageWidgetOutputIsValid : public testing::TestWithParam<OutputRow> {};

TEST_P(UsageWidgetOutputIsValid, MatchesTable) { EXPECT_EQ(GetParam().output.isValid(), GetParam().valid); }

OutputRow day(std::string name, std::string text, bool passes) {
  return {std::move(name), {.day = std::move(text), .today = 10, .week = 20}, passes};
}

const std::vector<OutputRow> outputRows = {
    {"ZeroCounts", {"2025-06-15", 0, 0}, true},
    {"WeekEqualsToday", {"2025-06-15", 500, 500}, true},
    {"LargestCounts", {"2025-06-15", std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max()},
     true},
    {"TodayNegative", {"2025-06-15", -1, 0}, false},
    {"WeekBelowToday", {"2025-06-15", 501, 500}, false},
    day("LeapDay2024", "2024-02-29", true),
    day("LeapDay2023", "2023-02-29", false),
    day("Empty", "", false),
    day("SingleDigitMonth", "2025-6-15", false),
    day("WithTime", "2025-06-15T00:00", false),
    day("FinalNewline", "2025-06-15\n", false),
    day("FullwidthDigits", "\uFF12\uFF10\uFF12\uFF15-\uFF10\uFF16-\uFF11\uFF15", false),
};

INSTANTIATE_TEST_SUITE_P(UsageWidgetOutput, UsageWidgetOutputIsValid, testing::ValuesIn(outputRows),
                         rowName<OutputRow>);

// --- isCalendarDay against ICU -----------------------------------------------------------------------------

std::string twoDigits(int value) { return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// Every month 00 to 13 and day 00 to 32 of common and leap years, the century years whose leap rule differs,
// and the ends of the arithmetic's range: the arithmetic must give ICU's answer for each.
TEST(IsCalendarDay, ArithmeticAgreesWithIcuOnWholeYears) {
  std::size_t real = 0;
  for (const char* year : {"1599", "1600", "1700", "1900", "2000", "2023", "2024", "2100", "2400", "9999"}) {
    for (int month = 0; month <= 13; ++month) {
      for (int dayOfMonth = 0; dayOfMonth <= 32; ++dayOfMonth) {
        const std::string text = std::string(year) + '-' + twoDigits(month) + '-' + twoDigits(dayOfMonth);
        SCOPED_TRACE(text);
        ASSERT_EQ(isCalendarDay(text), isCalendarDayByIcu(text));
        real += isCalendarDay(text) ? 1u : 0u;
      }
    }
  }
  EXPECT_EQ(real, 365u * 6 + 366u * 4);  // 1600, 2000, 2024 and 2400 are leap years; a broken oracle counts wrong
}

// Texts the arithmetic leaves to ICU, and near misses of its shape.
TEST(IsCalendarDay, OtherTextsKeepIcuAnswer) {
  for (const std::string text : {"2025-06-15\n", "0999-01-01", "1582-10-10", "1582-10-15", "0000-01-01",
                                 "2025-6-15", "2025/06/15", "2025-06-1x", "x025-06-15", "2025-06-15 ", "",
                                 "+2025-06-15", "-2025-06-15", "12025-06-15", "2025-06-\xEF\xBC\x91"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(isCalendarDay(text), isCalendarDayByIcu(text));
  }
}

// --- UsageWidgetWindow::stale and expired --------------------------------------------------------------------

constexpr Instant now = 1'750'000'000;

struct TimingRow {
  std::string name;
  std::optional<Instant> at;
  bool expected;
};
void PrintTo(const TimingRow& row, std::ostream* out) { *out << row.name; }

class UsageWidgetWindowStale : public testing::TestWithParam<TimingRow> {};
class UsageWidgetWindowExpired : public testing::TestWithParam<TimingRow> {};

TEST_P(UsageWidgetWindowStale, MatchesTable) {
  UsageWidgetWindow window;
  window.observedAt = GetParam().at;
  window.resetAt = now - 10'000;  // an expired window is not thereby stale
  EXPECT_EQ(window.stale(now), GetParam().expected);
}

TEST_P(UsageWidgetWindowExpired, MatchesTable) {
  UsageWidgetWindow window;
  window.resetAt = GetParam().at;
  window.observedAt = now - 10'000;  // a stale window is not thereby expired
  EXPECT_EQ(window.expired(now), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(UsageWidgetWindow, UsageWidgetWindowStale,
                         testing::ValuesIn(std::vector<TimingRow>{
                             {"NeverObserved", std::nullopt, false},
                             {"Observed899SecondsAgo", now - 899, false},
                             {"ObservedJustUnder900SecondsAgo", now - 899.5, false},
                             {"Observed900SecondsAgo", now - 900, true},
                             {"Observed300SecondsAhead", now + 300, false},
                             {"ObservedJustOver300SecondsAhead", now + 300.5, true},
                         }),
                         rowName<TimingRow>);

INSTANTIATE_TEST_SUITE_P(UsageWidgetWindow, UsageWidgetWindowExpired,
                         testing::ValuesIn(std::vector<TimingRow>{
                             {"NoResetTime", std::nullopt, false},
                             {"ResetsNow", now, true},
                             {"ResetASecondAgo", now - 1, true},
                             {"ResetsInAFraction", now + 0.5, false},
                         }),
                         rowName<TimingRow>);

}  // namespace
}  // namespace velto
