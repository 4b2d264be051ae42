// SnapshotValidationTests: the value rules of a snapshot and the order they are checked in.
#include "SnapshotValidation.h"

#include <gtest/gtest.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Golden.h"
#include "UsageWidgetSnapshot.h"

namespace velto {
namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double tiny = std::numeric_limits<double>::denorm_min();

const std::string valid = "valid";
const std::filesystem::path goldens = std::filesystem::path(VELTO_FIXTURES_DIR) / "validation";

std::string cleanRule(std::size_t limit) {
  return "must be at most " + std::to_string(limit) +
         " characters, without control or format characters or white space at either end";
}

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

// --- One mutation of the base snapshot per row: the edges of each rule -----------------------------------------

struct MutationRow {
  const char* name;
  void (*mutate)(UsageWidgetSnapshot&);
};

using S = UsageWidgetSnapshot;

// Each rule's plain failure is in the checking-order table below; these rows hold the boundaries around it.
// Boundaries that a fixture already holds (capturedAt 0, percent 1000 and -0.0, tier "full", observedAt with or
// without an output) are left to the corpus tests; a failure beyond a boundary that takes the same branch as the
// checking-order table's row is not repeated here.
const MutationRow mutationRows[] = {
    // Snapshot fields.
    {"SchemaZero", [](S& s) { s.schema = 0; }},
    {"CapturedAtSmallestNegative", [](S& s) { s.capturedAt = -tiny; }},
    {"EightyAccounts",
     [](S& s) {
       s.accounts.resize(80, s.accounts[1]);
       for (std::size_t i = 0; i < 80; ++i) s.accounts[i].id = "acct-" + std::to_string(i);
     }},

    // Ids compare as stored (patterns with a final line terminator are in the pass corpus).
    {"IdsDifferingByFinalNewline", [](S& s) { s.accounts[1].id = s.accounts[0].id + "\n"; }},

    // Account fields.
    {"SixtyFourWindows", [](S& s) { s.accounts[1].windows.resize(64, s.accounts[1].windows[1]); }},
    {"EightWallets", [](S& s) { s.accounts[1].wallets.resize(8, s.accounts[1].wallets[1]); }},
    {"OutputZeroCounts", [](S& s) { s.accounts[0].output = UsageWidgetOutput{.day = "2025-06-15"}; }},
    {"OutputDayMalformed", [](S& s) { s.accounts[0].output->day = "2025-6-15"; }},
    // The day pattern lets a final line terminator through; the calendar does not.
    {"OutputDayWithFinalNewline", [](S& s) { s.accounts[0].output->day = "2025-06-15\n"; }},

    // Window fields.
    {"PercentNaN", [](S& s) { s.accounts[1].windows[1].percent = notANumber; }},
    {"ResetAtInfinity", [](S& s) { s.accounts[0].windows[0].resetAt = infinity; }},
};

// Each row's outcome, "valid" or "path: rule", is a line of the golden file after the row's name.
TEST(SnapshotValidation, FirstFailureAndValidatedAgreeAtTheEdgesOfEachRule) {
  std::string outcomes;
  for (const MutationRow& row : mutationRows) {
    SCOPED_TRACE(row.name);
    auto snapshot = baseSnapshot();
    row.mutate(snapshot);
    const std::string found = outcome(snapshot);
    outcomes += std::string(row.name) + ": " + found + "\n";
    EXPECT_EQ(snapshot.validated(), found == valid ? std::optional(snapshot) : std::nullopt);
  }
  testing_support::expectGolden(goldens / "edges.txt", outcomes);
}

// --- The first broken rule wins ---------------------------------------------------------------------------------

// In the order the rules are checked: the snapshot's own fields, the account count (copies that also repeat an
// id), the server, repeated ids, then each account whole before the next (its fields, counts, output, each
// window whole before the next, then its wallets).
const std::vector<void (*)(UsageWidgetSnapshot&)> faultsInOrder = {
    [](S& s) { s.schema = 2; },
    [](S& s) { s.capturedAt = notANumber; },
    [](S& s) { s.accounts.resize(81, s.accounts[1]); },
    [](S& s) { s.server = "host\t"; },
    [](S& s) { s.accounts[1].id = s.accounts[0].id; },
    [](S& s) { s.accounts[0].wallets[0].amount = "1."; },
    // An id that is not an agent key, so that checking the agent against the id's pattern shows.
    [](S& s) { s.accounts[1].agent = "crane:home"; },
    [](S& s) { s.accounts[1].id = "crane home"; },
    [](S& s) { s.accounts[1].name = "Home\t"; },
    [](S& s) { s.accounts[1].windows.resize(65, s.accounts[1].windows[1]); },
    [](S& s) { s.accounts[1].wallets.resize(9, s.accounts[1].wallets[1]); },
    [](S& s) { s.accounts[1].observedAt = notANumber; },
    [](S& s) { s.accounts[1].output->today = -1; },
    [](S& s) { s.accounts[1].output->week = 0; },
    [](S& s) { s.accounts[1].output->day = "2025-02-30"; },
    [](S& s) { s.accounts[1].windows[0].percent = -1; },
    [](S& s) { s.accounts[1].windows[0].label = " Weekly"; },
    [](S& s) { s.accounts[1].windows[0].kind = "weekly\n"; },
    [](S& s) { s.accounts[1].windows[0].model = "\treef"; },
    [](S& s) { s.accounts[1].windows[0].resetAt = 0.0; },
    [](S& s) { s.accounts[1].windows[0].observedAt = 0.0; },
    [](S& s) { s.accounts[1].windows[0].tier = "none"; },
    [](S& s) { s.accounts[1].windows[1].percent = 2000; },
    [](S& s) { s.accounts[1].wallets[1].amount = ""; },
    [](S& s) { s.accounts[1].wallets[1].kind = "\u200Bprepaid"; },
    [](S& s) { s.accounts[1].wallets[1].currency.clear(); },
};

// Each fault is reported while it and every later one are present, one golden line a fault. Earlier faults are
// written last, so that one that copies or replaces a field keeps the later faults within it.
TEST(SnapshotValidation, FirstBrokenRuleInCheckingOrderWins) {
  std::string outcomes;
  for (std::size_t first = 0; first < faultsInOrder.size(); ++first) {
    auto snapshot = baseSnapshot();
    snapshot.accounts[1].observedAt = 1'749'999'900;
    snapshot.accounts[1].output = UsageWidgetOutput{.day = "2025-06-15", .today = 10, .week = 20};
    for (std::size_t k = faultsInOrder.size(); k-- > first;) faultsInOrder[k](snapshot);
    outcomes += outcome(snapshot) + "\n";
  }
  testing_support::expectGolden(goldens / "checking-order.txt", outcomes);
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
    EXPECT_EQ(outcome(snapshot), field.path + ": " + cleanRule(field.limit));
  }
}

// --- isCalendarDay -----------------------------------------------------------------------------------------------

// The reference: ICU's strict parse of "yyyy-MM-dd" in UTC with the Gregorian calendar, formatted back to the
// same text, through its C++ classes (the program calls the same through the C functions it loads).
bool icuAcceptsDay(const std::string& day) {
  UErrorCode status = U_ZERO_ERROR;
  icu::SimpleDateFormat format(icu::UnicodeString(u"yyyy-MM-dd"), icu::Locale("en_US_POSIX@calendar=gregorian"), status);
  format.adoptTimeZone(icu::TimeZone::getGMT()->clone());
  format.setLenient(false);
  const auto text = icu::UnicodeString::fromUTF8(day);
  icu::ParsePosition position(0);
  const UDate instant = format.parse(text, position);
  if (U_FAILURE(status) || position.getErrorIndex() >= 0 || position.getIndex() == 0) return false;
  icu::UnicodeString formatted;
  return format.format(instant, formatted) == text;
}

std::string twoDigits(int value) { return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// Every month 00 to 13 and day 00 to 32 of common and leap years, the century years whose leap rule differs,
// and the ends of the arithmetic's range, then texts of other shapes: every answer must be ICU's.
TEST(IsCalendarDay, ArithmeticAgreesWithIcu) {
  std::size_t real = 0;
  for (const char* year : {"1599", "1600", "1700", "1900", "2000", "2023", "2024", "2100", "2400", "9999"}) {
    for (int month = 0; month <= 13; ++month) {
      for (int dayOfMonth = 0; dayOfMonth <= 32; ++dayOfMonth) {
        const std::string text = std::string(year) + '-' + twoDigits(month) + '-' + twoDigits(dayOfMonth);
        SCOPED_TRACE(text);
        ASSERT_EQ(isCalendarDay(text), icuAcceptsDay(text));
        real += isCalendarDay(text) ? 1u : 0u;
      }
    }
  }
  EXPECT_EQ(real, 365u * 6 + 366u * 4);  // 1600, 2000, 2024 and 2400 are leap years; a broken oracle counts wrong

  // Texts the arithmetic leaves to ICU (a Julian leap day among them), and near misses of its shape.
  for (const std::string text : {"2025-06-15\n", "0999-01-01", "1500-02-29", "1582-10-10", "1582-10-15", "0000-01-01",
                                 "2025-6-15", "2025/06/15", "2025-06-1x", "x025-06-15", "2025-06-15 ", "",
                                 "+2025-06-15", "-2025-06-15", "12025-06-15", "2025-06-\xEF\xBC\x91"}) {
    EXPECT_EQ(isCalendarDay(text), icuAcceptsDay(text)) << text;
  }
}

}  // namespace
}  // namespace velto
