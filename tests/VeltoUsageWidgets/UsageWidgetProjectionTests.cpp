// UsageWidgetProjectionTests: the report corpus, per-window rules, text cutting, bounds and ordering.
#include "UsageWidgetProjection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "JsonDecodingError.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

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
// window-rules: percentages are bounded but not clamped; a window that resets now or is observed past the
// horizon (now + 300) goes; kind and model are cleaned and cut. window-label-code-points: labels order by the
// code points of their NFC forms, not by raw bytes (a decomposed é before "f") nor UTF-16 units (U+1F600 before
// U+FF21); equivalent labels keep their order. line-terminator-keys: ICU's $ lets a key or an amount end in one
// line terminator; the name and id built from such a key would make the store refuse the whole report, so such
// an entry is dropped like any bad one.
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

// --- Texts: cleaned, then cut by user-perceived characters --------------------------------------------------

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
// Plain labels of the same count fit, though a bound that took every byte at its longest escape would not.
TEST(UsageWidgetProjectionBounds, SnapshotMustEncodeWithinTheFileLimit) {
  const auto windowsLabelled = [](const std::string& label) {
    std::string windows;
    for (int i = 0; i < 64; ++i) {
      windows += std::string(i ? "," : "") + R"({"agent":"a","pct_used":)" + std::to_string(i) + R"(,"label":")" +
                 label + R"(","model":")" + std::string(40, 'm') + "\"}";
    }
    return R"({"limits":{"windows":[)" + windows + "]}}";
  };
  std::string marked;
  for (int i = 0; i < 100; ++i) marked += "e\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301\u0301";
  EXPECT_TRUE(refusal(windowsLabelled(marked)).starts_with("tooLarge: the snapshot encodes to "));
  EXPECT_EQ(project(windowsLabelled(std::string(100, 'e'))).accounts.at(0).windows.size(), 64u);
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

}  // namespace
}  // namespace velto
