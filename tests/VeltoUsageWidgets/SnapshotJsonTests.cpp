// Tests of the snapshot file's JSON form: the fixture corpora, exact encodings and number round trips.
#include "SnapshotJson.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "Golden.h"
#include "SnapshotValidation.h"
#include "TestFiles.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

using testing_support::readFile;

std::vector<fs::path> jsonFiles(const fs::path& folder) { return testing_support::filesEndingWith(folder, ".json"); }

const fs::path fixtures = fs::path(VELTO_FIXTURES_DIR) / "json";

TEST(SnapshotJsonCorpus, EveryPassFileDecodesValidatesAndRoundTrips) {
  const auto files = jsonFiles(fixtures / "pass");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const auto snapshot = decodeSnapshot(readFile(file));
    EXPECT_EQ(firstValidationFailure(snapshot), std::nullopt);
    const std::string encoded = encode(snapshot);
    EXPECT_EQ(decodeSnapshot(encoded), snapshot);
    EXPECT_EQ(encodedSize(snapshot), encoded.size());
    EXPECT_GE(encodedSizeBound(snapshot, TextCount::escaped), encoded.size());
    EXPECT_GE(encodedSizeBound(snapshot, TextCount::longest), encodedSizeBound(snapshot, TextCount::escaped));
  }
}

// Each fail file sits beside a .error file holding the start of the message it must be refused with,
// whether decoding or validation refuses it.
TEST(SnapshotJsonCorpus, EveryFailFileIsRefusedWithItsMessage) {
  const auto files = jsonFiles(fixtures / "fail");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string expected = testing_support::expectedRefusal(file);
    ASSERT_FALSE(expected.empty()) << "missing its .error file";
    std::string message;
    try {
      const auto snapshot = decodeSnapshot(readFile(file));
      const auto failure = firstValidationFailure(snapshot);
      ASSERT_TRUE(failure.has_value()) << "accepted";
      message = failure->describe();
    } catch (const JsonDecodingError& error) {
      message = error.what();
    }
    EXPECT_TRUE(message.starts_with(expected)) << message;
  }
}

UsageWidgetWindow bareWindow() { return {.label = "5-hour", .kind = "session", .model = "", .percent = 42.5}; }

// One encoding a line: an empty snapshot, a bare and a full window, and an account with a wallet and output.
TEST(SnapshotJsonEncoding, AbsentOptionalsAreOmittedAndKeysFollowTheFormatOrder) {
  const UsageWidgetWindow full{.label = "5-hour", .kind = "session", .model = "", .percent = 42.5,
                               .resetAt = 1796137200, .observedAt = 1796126340.5, .tier = "warn"};
  const UsageWidgetAccount account{.id = "a:1", .agent = "a", .name = "A", .windows = {}, .wallets = {
      {.kind = "bonus", .currency = "USD", .amount = "1.5"}}, .observedAt = 2, .output = UsageWidgetOutput{
      .day = "2026-12-01", .today = 3, .week = 4}};
  testing_support::expectGolden(fixtures / "encodings.txt", encode(UsageWidgetSnapshot::empty()) + "\n" +
                                                                encode(bareWindow()) + "\n" + encode(full) + "\n" +
                                                                encode(account) + "\n");
}

// The bound holds at its tightest: every text byte escaped at its longest and every number written at its longest,
// with each text field a different length, so that a field the bound leaves out shows.
TEST(SnapshotJsonEncoding, SizeBoundHoldsForTheWidestRecords) {
  const auto escapes = [](std::size_t count) { return std::string(count, '\x01'); };
  constexpr double widest = -std::numeric_limits<double>::max();
  constexpr double widestIntegral = 123456789012345678901.0;  // written whole, with ".0"
  UsageWidgetSnapshot snapshot{.schema = std::numeric_limits<std::int64_t>::min(), .server = escapes(11),
                               .capturedAt = widest};
  for (int a = 0; a < 3; ++a) {
    UsageWidgetAccount account{.id = escapes(13), .agent = escapes(17), .name = escapes(19), .observedAt = widest,
                               .output = UsageWidgetOutput{.day = escapes(23),
                                                           .today = std::numeric_limits<std::int64_t>::min(),
                                                           .week = std::numeric_limits<std::int64_t>::min()}};
    for (int w = 0; w < 3; ++w) {
      account.windows.push_back({.label = escapes(29), .kind = escapes(31), .model = escapes(37),
                                 .percent = widestIntegral, .resetAt = widest, .observedAt = -0.0,
                                 .tier = escapes(41)});
      account.wallets.push_back({.kind = escapes(43), .currency = escapes(47), .amount = escapes(53)});
    }
    snapshot.accounts.push_back(std::move(account));
  }
  const std::size_t exact = encode(snapshot).size();
  EXPECT_EQ(encodedSize(snapshot), exact);
  for (const TextCount texts : {TextCount::longest, TextCount::escaped}) {
    EXPECT_GE(encodedSizeBound(snapshot, texts), exact);
    EXPECT_GE(encodedSizeBound(UsageWidgetSnapshot::empty(), texts), encode(UsageWidgetSnapshot::empty()).size());
  }
}

// The snapshot's and the report's integers are read alike; a refusal names the path and what was found.
TEST(SnapshotJsonDecoding, IntegersTakeWholeNumbersWithin64Bits) {
  const auto read = [](std::string_view today) {
    try {
      const std::string json = R"({"day":"2026-12-01","today":)" + std::string(today) + R"(,"week":0})";
      return std::to_string(decodeOutput(json).today);
    } catch (const JsonDecodingError& error) {
      return std::string(error.what());
    }
  };
  // Beyond these, the corpora hold numbers written as doubles, fractions and numbers beyond 64 bits.
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"-0.0", "0"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"-9.2233720368547758e18", "-9223372036854775808"},                           // -2^63 as a double
      {"9.2233720368547758e18", "today: integer out of range (more than 64 bits)"},  // 2^63 as a double
      {"true", "today: expected an integer, found a boolean"},
      {"\"1\"", "today: expected an integer, found a string"},
  };
  for (const auto& [today, expected] : rows) EXPECT_EQ(read(today), expected) << today;
}

// Every finite double written by the encoder reads back as the very same bits.
TEST(SnapshotJsonNumbers, TrickyDoublesReadBackBitForBit) {
  const double values[] = {0.0, -0.0, 0.1, 1.0 / 3, 5e-324, -std::numeric_limits<double>::max(), 0x1p53 + 2, 0x1p64,
                           1e22, 1796126400.123456};
  for (const double value : values) {
    UsageWidgetWindow window = bareWindow();
    window.percent = value;
    const std::string json = encode(window);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(decodeWindow(json).percent), std::bit_cast<std::uint64_t>(value)) << json;
  }
}

}  // namespace
}  // namespace velto
