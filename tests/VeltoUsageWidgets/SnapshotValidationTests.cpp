// SnapshotValidationTests: the value rules of a snapshot and the order they are checked in.
#include "SnapshotValidation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "UsageWidgetSnapshot.h"

namespace velto {
namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double tiny = std::numeric_limits<double>::denorm_min();

const std::string valid = "valid";
const std::string notNegative = "must be finite and not negative";
const std::string positive = "must be finite and positive";
const std::string amountRule = "must match ^-?[0-9]{1,20}(\\.[0-9]{1,12})?$";
const std::string calendarRule = "must be a real calendar date";
const std::string percentRule = "must be finite and lie in 0 to 1000";

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

// Two accounts; the second has two windows and two wallets so that paths show non-zero indices.
UsageWidgetSnapshot baseSnapshot() {
  return {.server = "workstation",
          .capturedAt = 1'750'000'000,
          .accounts = {{.id = "corvid:work",
                        .agent = "corvid",
                        .name = "Work",
                        .windows = {{.label = "5 hours", .kind = "session", .model = "", .percent = 42.5,
                                     .resetAt = 1'750'010'000, .observedAt = 1'749'999'950, .tier = "warn"}},
                        .wallets = {{.kind = "credits", .currency = "USD", .amount = "12.50"}},
                        .observedAt = 1'749'999'900,
                        .output = UsageWidgetOutput{.day = "2025-06-15", .today = 1200, .week = 8400}},
                       {.id = "crane:home",
                        .agent = "crane",
                        .name = "Home",
                        .windows = {{.label = "Weekly", .kind = "weekly", .model = "", .percent = 10},
                                    {.label = "Weekly Reef", .kind = "weekly", .model = "reef", .percent = 99.9,
                                     .resetAt = 1'750'500'000, .tier = "full"}},
                        .wallets = {{.kind = "credits", .currency = "USD", .amount = "0"},
                                    {.kind = "prepaid", .currency = "EUR", .amount = "-3.25"}}}}};
}

// Replaces the accounts with `count` copies of the second account, each with its own id.
void useAccounts(UsageWidgetSnapshot& snapshot, std::size_t count) {
  const UsageWidgetAccount model = snapshot.accounts[1];
  snapshot.accounts.assign(count, model);
  for (std::size_t i = 0; i < count; ++i) snapshot.accounts[i].id = "acct-" + std::to_string(i);
}

// --- One mutation of the base snapshot per row: the edges of each rule -----------------------------------------

struct MutationRow {
  const char* name;
  void (*mutate)(UsageWidgetSnapshot&);
  std::string expected;  ///< `valid` or "path: rule"
};

using S = UsageWidgetSnapshot;

// Each rule's plain failure is in the checking-order table below; these rows hold the boundaries around it.
// Boundaries that a fixture already holds (capturedAt 0, percent 1000 and -0.0, tier "full", observedAt with or
// without an output) are left to the corpus tests.
const MutationRow mutationRows[] = {
    // Snapshot fields.
    {"SchemaZero", [](S& s) { s.schema = 0; }, fails("schema", "must be 1")},
    {"CapturedAtSmallestNegative", [](S& s) { s.capturedAt = -tiny; }, fails("capturedAt", notNegative)},
    {"EightyAccounts", [](S& s) { useAccounts(s, 80); }, valid},

    // Ids compare as stored (patterns with a final line terminator are in the pass corpus).
    {"SameAgentDifferentIds", [](S& s) { s.accounts[1].agent = s.accounts[0].agent; }, valid},
    {"ThirdRepeatsFirstId", [](S& s) { s.accounts.push_back(s.accounts[0]); },
     fails("accounts[2].id", "repeats the id of an earlier account")},
    {"IdsDifferingByFinalNewline", [](S& s) { s.accounts[1].id = s.accounts[0].id + "\n"; }, valid},

    // Account fields.
    {"SixtyFourWindows", [](S& s) { s.accounts[1].windows.resize(64, s.accounts[1].windows[1]); }, valid},
    {"EightWallets", [](S& s) { s.accounts[1].wallets.resize(8, s.accounts[1].wallets[1]); }, valid},
    {"AccountObservedAtSmallestPositive", [](S& s) { s.accounts[0].observedAt = tiny; }, valid},
    {"OutputZeroCounts", [](S& s) { s.accounts[0].output = UsageWidgetOutput{.day = "2025-06-15"}; }, valid},
    {"OutputWeekBelowToday", [](S& s) { s.accounts[0].output->week = 1199; },
     fails("accounts[0].output.week", "must not be less than today")},
    {"OutputDayMalformed", [](S& s) { s.accounts[0].output->day = "2025-6-15"; },
     fails("accounts[0].output.day", "must match ^[0-9]{4}-[0-9]{2}-[0-9]{2}$")},
    // The day pattern lets a final line terminator through; the calendar does not.
    {"OutputDayWithFinalNewline", [](S& s) { s.accounts[0].output->day = "2025-06-15\n"; },
     fails("accounts[0].output.day", calendarRule)},

    // Window fields.
    {"PercentNextDoubleAfterThousand",
     [](S& s) { s.accounts[0].windows[0].percent = std::nextafter(1000.0, infinity); },
     fails("accounts[0].windows[0].percent", percentRule)},
    {"PercentSmallestNegative", [](S& s) { s.accounts[1].windows[1].percent = -tiny; },
     fails("accounts[1].windows[1].percent", percentRule)},
    {"PercentNaN", [](S& s) { s.accounts[1].windows[1].percent = notANumber; },
     fails("accounts[1].windows[1].percent", percentRule)},
    {"ResetAtInfinity", [](S& s) { s.accounts[0].windows[0].resetAt = infinity; },
     fails("accounts[0].windows[0].resetAt", positive)},
};

TEST(SnapshotValidation, FirstFailureAndValidatedAgreeAtTheEdgesOfEachRule) {
  for (const MutationRow& row : mutationRows) {
    SCOPED_TRACE(row.name);
    auto snapshot = baseSnapshot();
    row.mutate(snapshot);
    EXPECT_EQ(outcome(snapshot), row.expected);
    EXPECT_EQ(snapshot.validated(), row.expected == valid ? std::optional(snapshot) : std::nullopt);
  }
}

// --- The first broken rule wins ---------------------------------------------------------------------------------

struct Fault {
  void (*breakRule)(UsageWidgetSnapshot&);
  std::string expected;
};

// In the order the rules are checked: the snapshot's own fields, the account count (copies that also repeat an
// id), the server, repeated ids, then each account whole before the next (its fields, counts, output, each
// window whole before the next, then its wallets).
const std::vector<Fault> faultsInOrder = {
    {[](S& s) { s.schema = 2; }, fails("schema", "must be 1")},
    {[](S& s) { s.capturedAt = notANumber; }, fails("capturedAt", notNegative)},
    {[](S& s) { s.accounts.resize(81, s.accounts[1]); }, fails("accounts", "must hold at most 80 accounts")},
    {[](S& s) { s.server = "host\t"; }, fails("server", cleanRule(80))},
    {[](S& s) { s.accounts[1].id = s.accounts[0].id; },
     fails("accounts[1].id", "repeats the id of an earlier account")},
    {[](S& s) { s.accounts[0].wallets[0].amount = "1."; }, fails("accounts[0].wallets[0].amount", amountRule)},
    // An id that is not an agent key, so that checking the agent against the id's pattern shows.
    {[](S& s) { s.accounts[1].agent = "crane:home"; }, fails("accounts[1].agent", "must match ^[a-z0-9_-]{1,40}$")},
    {[](S& s) { s.accounts[1].id = "crane home"; }, fails("accounts[1].id", "must match ^[a-z0-9_:-]{1,80}$")},
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
    {[](S& s) { s.accounts[1].windows[0].tier = "none"; },
     fails("accounts[1].windows[0].tier", "must be \"warn\" or \"full\"")},
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

TEST(SnapshotValidation, CleanTextsPassAtTheirLimitAndNameTheFieldOneBeyond) {
  const struct {
    std::size_t limit;
    std::string path;
    void (*set)(UsageWidgetSnapshot&, const std::string&);
  } fields[] = {
      {80, "server", [](S& s, const std::string& t) { s.server = t; }},
      {60, "accounts[1].name", [](S& s, const std::string& t) { s.accounts[1].name = t; }},
      {100, "accounts[1].windows[1].label", [](S& s, const std::string& t) { s.accounts[1].windows[1].label = t; }},
      {32, "accounts[1].windows[1].kind", [](S& s, const std::string& t) { s.accounts[1].windows[1].kind = t; }},
      {40, "accounts[1].windows[1].model", [](S& s, const std::string& t) { s.accounts[1].windows[1].model = t; }},
      {32, "accounts[1].wallets[1].kind", [](S& s, const std::string& t) { s.accounts[1].wallets[1].kind = t; }},
      {8, "accounts[1].wallets[1].currency",
       [](S& s, const std::string& t) { s.accounts[1].wallets[1].currency = t; }},
  };
  for (const auto& field : fields) {
    SCOPED_TRACE(field.path);
    auto snapshot = baseSnapshot();
    field.set(snapshot, std::string(field.limit, 'a'));
    EXPECT_EQ(outcome(snapshot), valid);
    field.set(snapshot, std::string(field.limit + 1, 'a'));
    EXPECT_EQ(outcome(snapshot), fails(field.path, cleanRule(field.limit)));
  }
}

// --- isCalendarDay -----------------------------------------------------------------------------------------------

std::string twoDigits(int value) { return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// Every month 00 to 13 and day 00 to 32 of common and leap years, the century years whose leap rule differs,
// and the ends of the arithmetic's range, then texts of other shapes: the arithmetic must give ICU's answer.
TEST(IsCalendarDay, ArithmeticAgreesWithIcu) {
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

  // Texts the arithmetic leaves to ICU, and near misses of its shape.
  for (const std::string text : {"2025-06-15\n", "0999-01-01", "1582-10-10", "1582-10-15", "0000-01-01",
                                 "2025-6-15", "2025/06/15", "2025-06-1x", "x025-06-15", "2025-06-15 ", "",
                                 "+2025-06-15", "-2025-06-15", "12025-06-15", "2025-06-\xEF\xBC\x91"}) {
    EXPECT_EQ(isCalendarDay(text), isCalendarDayByIcu(text)) << text;
  }
}

}  // namespace
}  // namespace velto
