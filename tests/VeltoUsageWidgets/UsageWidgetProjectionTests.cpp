// UsageWidgetProjectionTests: the report corpus, per-window rules, text cutting, bounds and ordering.
#include "UsageWidgetProjection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "EscapedText.h"
#include "TestFiles.h"
#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing_support::escaped;

constexpr Instant now = 1796126400;  // 2026-12-01T12:00:00Z; the horizon is 1796126700
const fs::path reports = fs::path(VELTO_FIXTURES_DIR) / "reports";

using testing_support::readFile;

// Reports, without the expected snapshots that sit beside them.
std::vector<fs::path> reportFiles(const fs::path& folder) {
  auto files = testing_support::filesEndingWith(folder, ".json");
  std::erase_if(files, [](const fs::path& file) { return file.filename().string().ends_with(".snapshot.json"); });
  return files;
}

UsageWidgetSnapshot project(const std::string& report) { return projectReport(report, "workstation", now); }

// How a projection was refused: "tooLarge: detail", or the decoding error's "path: problem".
std::string refusal(const std::string& report) {
  try {
    project(report);
  } catch (const SnapshotFailure& failure) {
    return std::string(name(failure.error())) + ": " + failure.what();
  } catch (const JsonDecodingError& error) {
    return error.what();
  }
  return "accepted";
}

// Every pass report beside the snapshot it must project to (written out by hand, decoded for comparison).
TEST(UsageWidgetProjectionCorpus, EveryPassReportProjectsToItsSnapshot) {
  const auto files = reportFiles(reports / "pass");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    auto expectedFile = file;
    expectedFile.replace_extension(".snapshot.json");
    const auto snapshot = project(readFile(file));
    EXPECT_EQ(encode(snapshot), encode(decodeSnapshot(readFile(expectedFile))));
    EXPECT_EQ(firstValidationFailure(snapshot), std::nullopt);
  }
}

// Every fail report beside a .error file holding the start of its refusal.
TEST(UsageWidgetProjectionCorpus, EveryFailReportIsRefusedWithItsMessage) {
  const auto files = reportFiles(reports / "fail");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string expected = testing_support::expectedRefusal(file);
    ASSERT_FALSE(expected.empty()) << "missing its .error file";
    const std::string message = refusal(readFile(file));
    EXPECT_TRUE(message.starts_with(expected)) << message;
  }
}

// --- One window, kept as the snapshot holds it or dropped ----------------------------------------------------

UsageWidgetWindow window(double percent, std::optional<Instant> resetAt = {}, std::optional<Instant> observedAt = {},
                         std::optional<std::string> tier = {}) {
  return {.label = "L", .percent = percent, .resetAt = resetAt, .observedAt = observedAt, .tier = std::move(tier)};
}

// Reset and observation times of 0 and tiers other than "warn" and "full" are in the pass corpus.
TEST(UsageWidgetProjection, WindowIsKeptAsTheSnapshotHoldsItOrDropped) {
  struct Case {
    std::string members;  ///< the raw window's members after "agent" and "label"
    std::optional<UsageWidgetWindow> expected;
  };
  const Case cases[] = {
      {R"("pct_used":1000)", window(1000)},
      {R"("pct_used":150.25)", window(150.25)},  // not clamped
      {R"("pct_used":-0.0)", window(-0.0)},
      {R"("pct_used":1000.5)", std::nullopt},
      {R"("pct_used":-1)", std::nullopt},
      {R"("pct_used":1,"stale":true)", std::nullopt},
      {R"("pct_used":1,"reset_unix":1796126400)", std::nullopt},  // resets now
      {R"("pct_used":1,"reset_unix":1796126401)", window(1, 1796126401)},
      {R"("pct_used":1,"observed_at":1796126700)", window(1, {}, 1796126700)},  // at the horizon
      {R"("pct_used":1,"observed_at":1796126701)", std::nullopt},
      {R"("pct_used":1,"tier":"full")", window(1, {}, {}, "full")},
      {R"("pct_used":1,"kind":" week\u0000 ","model":")" + std::string(45, 'm') + "\"",  // cleaned and cut
       UsageWidgetWindow{.label = "L", .kind = "week", .model = std::string(40, 'm'), .percent = 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.members);
    const auto snapshot = project(R"({"limits":{"windows":[{"agent":"a","label":"L",)" + c.members + "}]}}");
    if (!c.expected) {
      EXPECT_TRUE(snapshot.accounts.empty()) << encode(snapshot);
      continue;
    }
    ASSERT_EQ(snapshot.accounts.size(), 1u);
    ASSERT_EQ(snapshot.accounts[0].windows.size(), 1u);
    EXPECT_EQ(encode(snapshot.accounts[0].windows[0]), encode(*c.expected));
  }
}

// ICU's $ lets a key or an amount end in one line terminator. The name and id built from such a key would make
// the store refuse every account of the report, so the projection drops such an entry like any bad one (here
// beside a window without an agent; the patterns themselves are TextRulesTests').
TEST(UsageWidgetProjection, KeysAndAmountsEndingInALineTerminatorDropOnlyTheirEntry) {
  const std::string terminator = "\\u2028";  // the matchers' tables hold the others
  const std::string bad = "bad" + terminator;
  const std::string wallet = R"({"kind":"k","currency":"C","amount":)";
  const auto snapshot = project(
      R"({"limits":{"windows":[{"agent":"good","pct_used":1,"label":"L"},{"pct_used":1,"label":"L"},)"
      R"({"agent":")" + bad + R"(","pct_used":1,"label":"L"}],"balances":[{"agent":")" + bad +
      R"(","observed_at":1796126390,"wallets":[)" + wallet + R"("1"}]},{"agent":"good","observed_at":1796126390,)"
      R"("wallets":[)" + wallet + R"("1)" + terminator + R"("},)" + wallet + R"("2"}]}]},)"
      R"("history":{"days":[{"date":"2026-12-01"}],"scanned_at":1796126390,)"
      R"("by_agent":[{"agent_key":")" + bad + R"(","today_out":1,"week_out":2},)"
      R"({"agent_key":"other","today_out":1,"week_out":2}]}})");
  std::vector<std::string> ids;
  for (const auto& account : snapshot.accounts) ids.push_back(account.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"good", "good-balance-1", "output:other"}));
  ASSERT_EQ(snapshot.accounts.size(), 3u);
  EXPECT_EQ(snapshot.accounts[1].wallets.size(), 1u);
  EXPECT_EQ(firstValidationFailure(snapshot), std::nullopt);
}

// --- Texts: cleaned, then cut by user-perceived characters --------------------------------------------------

std::string times(const std::string& piece, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// A cut that falls just after white space loses it: otherwise the store would refuse the whole report.
TEST(UsageWidgetProjection, CutJustAfterASpaceLosesItAndTheSnapshotValidates) {
  const auto snapshot = project(R"({"limits":{"windows":[{"agent":"a","pct_used":1,"agent_name":")" +
                                std::string(59, 'n') + R"( tail","label":")" + std::string(99, 'x') +
                                R"( tail"}]}})");
  EXPECT_EQ(snapshot.accounts.at(0).name, std::string(59, 'n'));
  EXPECT_EQ(snapshot.accounts.at(0).windows.at(0).label, std::string(99, 'x'));
  EXPECT_EQ(firstValidationFailure(snapshot), std::nullopt);
}

TEST(UsageWidgetProjection, ServerLabelIsCleanedAndCutButNeverTested) {
  EXPECT_EQ(projectReport("{}", std::string(100, 's'), now).server, std::string(80, 's'));
  EXPECT_EQ(projectReport("{}", "\xFF", now).server, "\xEF\xBF\xBD");  // invalid UTF-8 cannot reach the file
}

// --- Bounds -------------------------------------------------------------------------------------------------

std::string list(const std::string& item, std::size_t count) {
  std::string items;
  for (std::size_t i = 0; i < count; ++i) items += (i ? "," : "") + item;
  return items;
}

TEST(UsageWidgetProjectionBounds, ReportSizeIsCheckedBeforeParsing) {
  std::string report = "{}";
  report.resize(maximumReportBytes, ' ');
  EXPECT_EQ(refusal(report), "accepted");
  report.push_back(' ');
  EXPECT_EQ(refusal(report), "tooLarge: the report is more than 2,097,152 bytes");
  EXPECT_TRUE(refusal(std::string(maximumReportBytes + 1, '[')).starts_with("tooLarge"));
}

// Each list at its bound is accepted and one entry more refused, however bad the entries.
TEST(UsageWidgetProjectionBounds, SectionsAreCountedBeforeAnyEntryIsJudged) {
  struct Case {
    std::string section;
    std::string key;
    std::string entry;
    std::size_t bound;
  };
  const Case cases[] = {
      {"limits", "windows", R"({"agent":"a","label":"L","pct_used":1,"stale":true})", 64},
      {"limits", "balances", R"({"agent":"A","observed_at":1,"wallets":[]})", 16},
      {"history", "by_agent", "{}", 64},
      {"history", "days", R"({"date":"2026-12-01"})", 7},
  };
  for (const auto& c : cases) {
    const auto report = [&](std::size_t count) {
      return "{\"" + c.section + "\":{\"" + c.key + "\":[" + list(c.entry, count) + "]}}";
    };
    EXPECT_EQ(refusal(report(0)), "accepted") << c.key;
    EXPECT_EQ(refusal(report(c.bound)), "accepted") << c.key;
    EXPECT_EQ(refusal(report(c.bound + 1)), "tooLarge: " + c.section + "." + c.key + " holds " +
                                                std::to_string(c.bound + 1) + " entries, more than " +
                                                std::to_string(c.bound));
  }
}

// 64 window accounts and 16 balance accounts make 80; one output account more is too many.
TEST(UsageWidgetProjectionBounds, AtMostEightyAccounts) {
  std::string windows;
  for (int i = 0; i < 64; ++i) windows += std::string(i ? "," : "") + R"({"agent":"w)" + std::to_string(i) + R"(","label":"L","pct_used":1})";
  const std::string balance = R"({"agent":"b","observed_at":1796126400,"wallets":[{"kind":"k","currency":"C","amount":"1"}]})";
  const std::string limits = R"({"limits":{"windows":[)" + windows + "],\"balances\":[" + list(balance, 16) + "]}";
  EXPECT_EQ(project(limits + "}").accounts.size(), 80u);
  const std::string history =
      R"("history":{"scanned_at":1796126400,"days":[{"date":"2026-12-01"}],"by_agent":[{"agent_key":"o","today_out":1,"week_out":1}]})";
  EXPECT_EQ(refusal(limits + "," + history + "}"), "tooLarge: the report yields 81 accounts, more than 80");
}

// A character may hold any number of combining marks, so 100 characters per label can still overflow the file.
TEST(UsageWidgetProjectionBounds, SnapshotMustEncodeWithinTheFileLimit) {
  const std::string heavyCharacter = "e" + times("\u0301", 10);
  std::string windows;
  for (int i = 0; i < 64; ++i) {
    windows += std::string(i ? "," : "") + R"({"agent":"a","pct_used":)" + std::to_string(i) + R"(,"label":")" +
               times(heavyCharacter, 100) + "\"}";
  }
  EXPECT_TRUE(refusal(R"({"limits":{"windows":[)" + windows + "]}}").starts_with("tooLarge: the snapshot encodes to "));
}

// --- Outputs withheld as a whole ----------------------------------------------------------------------------

TEST(UsageWidgetProjection, OutputsNeedAUsableScanTimeAndADay) {
  const auto outputAccounts = [](const std::string& history) {
    const auto snapshot = project(R"({"history":{"by_agent":[{"agent_key":"o","today_out":1,"week_out":2}],)" +
                                  history + "}}");
    return snapshot.accounts.size();
  };
  const std::string today = R"("days":[{"date":"2026-12-01"}])";
  EXPECT_EQ(outputAccounts(R"("scanned_at":1796126700,)" + today), 1u);
  EXPECT_EQ(outputAccounts(R"("scanned_at":1796126701,)" + today), 0u);
  EXPECT_EQ(outputAccounts(R"("scanned_at":0,)" + today), 0u);
  EXPECT_EQ(outputAccounts(today), 0u);
  EXPECT_EQ(outputAccounts(R"("scanned_at":1796126400,"days":[])"), 0u);
  EXPECT_EQ(outputAccounts(R"("scanned_at":1796126400,"days":null)"), 0u);
  EXPECT_EQ(outputAccounts(R"("scanned_at":1796126400,"days":[{"date":"2026-12-01"},{"date":"2026-02-30"}])"), 0u);
}

// --- Window order -------------------------------------------------------------------------------------------

// Labels order by the code points of their NFC forms: not by raw bytes (which would put a decomposed é before
// "f") and not by UTF-16 units (which would put U+1F600 before U+FF21). Equivalent labels keep their order.
TEST(UsageWidgetProjection, LabelsOrderByCodePointsOfTheirCanonicalForm) {
  const std::string labels[] = {"\U0001F600", "\uFF21", "e\u0301", "f", "\u00E9", "Z"};
  std::string windows;
  for (std::size_t i = 0; i < std::size(labels); ++i) {
    windows += std::string(i ? "," : "") + R"({"agent":"a","pct_used":5,"label":")" + labels[i] +
               R"(","model":"m)" + std::to_string(i) + "\"}";
  }
  const auto snapshot = project(R"({"limits":{"windows":[)" + windows + "]}}");
  std::vector<std::string> order;
  for (const auto& w : snapshot.accounts.at(0).windows) order.push_back(escaped(w.label) + "/" + w.model);
  const std::vector<std::string> expected{"Z/m5", "f/m3", escaped("e\u0301") + "/m2", escaped("\u00E9") + "/m4",
                                          escaped("\uFF21") + "/m1", escaped("\U0001F600") + "/m0"};
  EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace velto
