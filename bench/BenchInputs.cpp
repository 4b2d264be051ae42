// BenchInputs: deterministic generators; nothing here depends on the clock, the locale or a random device.
#include "BenchInputs.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

#include "JsonWriter.h"
#include "SnapshotJson.h"
#include "UsageWidgetProjection.h"

namespace velto::bench {
namespace {

constexpr std::size_t reportBytes = maximumReportBytes;

// User-perceived characters of several kinds, so that cleaning and cutting meet combining marks, CJK,
// emoji with modifiers and flags, not only ASCII.
constexpr std::array<std::string_view, 8> wideCharacters{
    "\xE5\x91\xA8",                      // 周
    "e\xCC\x81",                         // e + combining acute
    "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD",  // thumbs up, medium skin tone
    "\xE9\x99\x90",                      // 限
    "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA",  // flag of Germany
    "\xC3\x9F",                          // ß
    "\xD0\x96",                          // Ж
    "\xE9\xA2\x9D",                      // 额
};

/// `count` characters starting and ending with an ASCII letter (so that cleaning trims nothing), with a
/// space every 7th and a wide character every `wideEvery`th; `seed` shifts the pattern.
std::string mixedText(std::size_t count, std::size_t seed, std::size_t wideEvery = 5) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t k = i + seed;
    const bool inner = i > 0 && i + 1 < count;
    if (inner && k % 7 == 3) {
      text += ' ';
    } else if (inner && wideEvery > 0 && k % wideEvery == 0) {
      text += wideCharacters[(k / wideEvery) % wideCharacters.size()];
    } else {
      text += static_cast<char>('a' + static_cast<char>(k % 26));
    }
  }
  return text;
}

/// An agent key of exactly 40 characters, the longest the pattern allows.
std::string agentKey(std::string_view prefix, std::size_t index) {
  std::string digits = std::to_string(index);
  return std::string(prefix) + std::string(40 - prefix.size() - digits.size(), '0') + digits;
}

/// Text that cleaning shortens: a control character and white space around a text longer than `limit`.
std::string untidy(std::size_t limit, std::size_t seed) {
  return " \x07\t" + mixedText(limit + limit / 3, seed) + " \n";
}

/// `count` members that no decoder knows, of every JSON kind.
void ignoredMembers(JsonWriter& out, std::size_t count, std::size_t seed) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t k = i + seed;
    out.key("x_" + std::to_string(k));
    switch (k % 6) {
      case 0: out.integer(static_cast<std::int64_t>(k) * 7919); break;
      case 1: out.string("ignored value " + std::to_string(k)); break;
      case 2: out.number(static_cast<double>(k) / 8.0); break;
      case 3: out.beginArray().integer(1).boolean(true).null().string("x").endArray(); break;
      case 4: out.beginObject().key("nested").beginObject().key("deep").integer(2).endObject().endObject(); break;
      default: out.null(); break;
    }
  }
}

/// How many ignored members each record of the worst case carries (each wallet a quarter as many), so that
/// most of its 2 MiB are members to skip rather than one long string.
constexpr std::size_t ignoredPerRecord = 500;

void worstWindows(JsonWriter& out) {
  out.key("windows").beginArray();
  for (std::size_t i = 0; i < 64; ++i) {
    out.beginObject();
    out.key("agent").string(agentKey("window-agent-", i / 4));  // 16 agents of 4 windows each
    out.key("agent_name").string(untidy(60, i));
    out.key("label").string(untidy(100, i * 3));
    out.key("kind").string(untidy(32, i * 5));
    out.key("model").string(untidy(40, i * 7));
    out.key("pct_used").number(static_cast<double>((i * 389) % 1001) + 0.25);
    out.key("reset_unix").integer(static_cast<std::int64_t>(benchNow) + 3600 * static_cast<std::int64_t>(i + 1));
    out.key("observed_at").integer(static_cast<std::int64_t>(benchNow) - static_cast<std::int64_t>(i * 20) + 250);
    out.key("stale").boolean(false);
    out.key("tier").string(i % 3 == 0 ? "warn" : i % 3 == 1 ? "full" : "other");
    ignoredMembers(out, ignoredPerRecord, i);
    out.endObject();
  }
  out.endArray();
}

void worstBalances(JsonWriter& out) {
  out.key("balances").beginArray();
  for (std::size_t i = 0; i < 16; ++i) {
    out.beginObject();
    out.key("agent").string(agentKey("balance-agent-", i));
    out.key("agent_name").string(untidy(60, i + 100));
    out.key("observed_at").integer(static_cast<std::int64_t>(benchNow) - static_cast<std::int64_t>(i));
    out.key("wallets").beginArray();
    for (std::size_t w = 0; w < 8; ++w) {
      out.beginObject();
      out.key("kind").string(untidy(32, i * 8 + w));
      out.key("currency").string(untidy(8, i + w));
      out.key("amount").string(w % 2 == 0 ? "-12345678901234567890.123456789012" : "86.4");
      ignoredMembers(out, ignoredPerRecord / 4, w);
      out.endObject();
    }
    out.endArray();
    ignoredMembers(out, ignoredPerRecord, i);
    out.endObject();
  }
  out.endArray();
}

void worstHistory(JsonWriter& out) {
  out.key("history").beginObject();
  out.key("days").beginArray();
  for (int day = 25; day <= 31; ++day) {
    out.beginObject().key("date").string(day == 31 ? "2026-12-01" : "2026-11-" + std::to_string(day));
    ignoredMembers(out, ignoredPerRecord, static_cast<std::size_t>(day));
    out.endObject();
  }
  out.endArray();
  out.key("by_agent").beginArray();
  for (std::size_t i = 0; i < 64; ++i) {
    out.beginObject();
    // The first 16 name agents that already have windows, so they are skipped; the other 48 make accounts.
    out.key("agent_key").string(i < 16 ? agentKey("window-agent-", i) : agentKey("output-agent-", i));
    out.key("agent_name").string(untidy(60, i + 200));
    out.key("today_out").integer(static_cast<std::int64_t>(i) * 1000);
    out.key("week_out").integer(static_cast<std::int64_t>(i) * 7000 + 1);
    ignoredMembers(out, ignoredPerRecord, i + 300);
    out.endObject();
  }
  out.endArray();
  out.key("scanned_at").integer(static_cast<std::int64_t>(benchNow) - 60);
  out.endObject();
}

void typicalWindow(JsonWriter& out, std::string_view agent, std::string_view name, std::string_view label,
                   std::string_view kind, double percent, std::int64_t resetIn) {
  out.beginObject();
  out.key("agent").string(agent);
  out.key("agent_name").string(name);
  out.key("label").string(label);
  out.key("kind").string(kind);
  out.key("pct_used").number(percent);
  out.key("reset_unix").integer(static_cast<std::int64_t>(benchNow) + resetIn);
  out.key("observed_at").integer(static_cast<std::int64_t>(benchNow) - 40);
  out.key("stale").boolean(false);
  out.key("source").string("api");
  out.endObject();
}

std::string buildTypicalReport() {
  JsonWriter out;
  out.beginObject();
  out.key("version").integer(3);
  out.key("host").string("workstation.local");
  out.key("limits").beginObject();
  out.key("windows").beginArray();
  typicalWindow(out, "corvid", "Corvid · Work", "5-hour", "session", 42.5, 7200);
  typicalWindow(out, "corvid", "Corvid · Work", "Weekly", "week", 61, 3 * 86400);
  typicalWindow(out, "corvid", "Corvid · Work", "Weekly Reef", "week-model", 88, 3 * 86400);
  typicalWindow(out, "crane", "Crane", "5-hour", "session", 12, 9000);
  typicalWindow(out, "crane", "Crane", "Weekly", "week", 35, 5 * 86400);
  typicalWindow(out, "gannet", "Gannet CLI", "Daily requests", "day", 3, 40000);
  out.endArray();
  out.key("balances").beginArray().beginObject();
  out.key("agent").string("dewpoint").key("agent_name").string("Dewpoint");
  out.key("observed_at").integer(static_cast<std::int64_t>(benchNow) - 30);
  out.key("wallets").beginArray();
  out.beginObject().key("kind").string("recharge").key("currency").string("CNY").key("amount").string("86.40").endObject();
  out.beginObject().key("kind").string("bonus").key("currency").string("CNY").key("amount").string("5").endObject();
  out.endArray().endObject().endArray();
  out.endObject();
  out.key("history").beginObject();
  out.key("days").beginArray();
  for (int day = 25; day <= 31; ++day) {
    out.beginObject().key("date").string(day == 31 ? "2026-12-01" : "2026-11-" + std::to_string(day));
    out.key("out_tokens").integer(day * 1000).endObject();
  }
  out.endArray();
  out.key("by_agent").beginArray();
  const std::array<std::string_view, 4> agents{"corvid", "crane", "gannet", "quay"};
  for (std::size_t i = 0; i < agents.size(); ++i) {
    out.beginObject().key("agent_key").string(agents[i]);
    out.key("today_out").integer(static_cast<std::int64_t>(i + 1) * 1200);
    out.key("week_out").integer(static_cast<std::int64_t>(i + 1) * 8400).endObject();
  }
  out.endArray();
  out.key("scanned_at").integer(static_cast<std::int64_t>(benchNow) - 60);
  out.endObject();
  out.endObject();
  return std::move(out).text();
}

std::string buildWorstCaseReport() {
  JsonWriter out;
  out.beginObject();
  out.key("limits").beginObject();
  worstWindows(out);
  worstBalances(out);
  ignoredMembers(out, ignoredPerRecord, 1000);
  out.endObject();
  worstHistory(out);
  ignoredMembers(out, ignoredPerRecord, 2000);
  // The rest of the 2 MiB goes into one ignored member: `,"zz_padding":"..."` and the final brace.
  const std::string key = "zz_padding";
  const std::size_t overhead = 1 + (key.size() + 2) + 1 + 2 + 1;
  const std::size_t used = out.text().size();
  if (used + overhead > reportBytes) throw std::logic_error("the worst-case report outgrew 2 MiB before padding");
  out.key(key).string(std::string(reportBytes - used - overhead, 'p'));
  out.endObject();
  std::string text = std::move(out).text();
  if (text.size() != reportBytes) throw std::logic_error("the worst-case report is not exactly 2 MiB");
  return text;
}

/// `wideEvery` 0 makes every text ASCII.
UsageWidgetAccount outputAccount(std::size_t i, std::size_t wideEvery = 5) {
  return {.id = "output:" + agentKey("agent-", i),
          .agent = agentKey("agent-", i),
          .name = mixedText(60, i, wideEvery),
          .observedAt = benchNow - 60,
          .output = UsageWidgetOutput{.day = "2026-12-01",
                                      .today = static_cast<std::int64_t>(i) * 1000,
                                      .week = static_cast<std::int64_t>(i) * 7000}};
}

UsageWidgetWindow window(std::size_t i, std::size_t labelLength, std::size_t wideEvery = 5) {
  return {.label = mixedText(labelLength, i * 11, wideEvery),
          .kind = mixedText(32, i, wideEvery),
          .model = mixedText(40, i * 3, wideEvery),
          .percent = static_cast<double>((i * 389) % 1001) + 0.5,
          .resetAt = benchNow + 3600.0 * static_cast<double>(i % 200 + 1),
          .observedAt = benchNow - static_cast<double>(i % 600),
          .tier = i % 2 == 0 ? std::optional<std::string>("warn") : std::nullopt};
}

UsageWidgetSnapshot buildFullSnapshot(std::size_t wideEvery) {
  constexpr std::size_t target = UsageWidgetSnapshot::maximumBytes;
  UsageWidgetSnapshot snapshot{.server = mixedText(80, 7, wideEvery), .capturedAt = benchNow};
  for (std::size_t i = 0; i < 80; ++i) {
    UsageWidgetAccount account = outputAccount(i, wideEvery);
    account.wallets = {
        {.kind = mixedText(32, i, wideEvery), .currency = "USD", .amount = "-12345678901234567890.123456789012"},
        {.kind = "bonus", .currency = mixedText(8, i, wideEvery), .amount = "0.5"}};
    snapshot.accounts.push_back(std::move(account));
  }
  // Windows go round the accounts until the encoding passes the limit; the last labels then give back the
  // excess from their ASCII tails, so that the file is exactly at the limit.
  std::size_t size = encode(snapshot).size();
  std::size_t added = 0;
  while (size <= target) {
    auto& windows = snapshot.accounts[added % 80].windows;
    UsageWidgetWindow next = window(added, 60, wideEvery);
    next.label += std::string(40, 'z');  // an ASCII tail that the cut below can shorten
    size += encode(next).size() + (windows.empty() ? 0 : 1);
    windows.push_back(std::move(next));
    ++added;
  }
  std::size_t excess = size - target;
  for (std::size_t back = added; excess > 0 && back > 0; --back) {
    auto& label = snapshot.accounts[(back - 1) % 80].windows[(back - 1) / 80].label;
    const std::size_t cut = std::min<std::size_t>(excess, 40);
    label.resize(label.size() - cut);
    excess -= cut;
  }
  if (encode(snapshot).size() != target) throw std::logic_error("the full snapshot is not exactly 64 KiB");
  return snapshot;
}

}  // namespace

const std::string& worstCaseReport() {
  static const std::string report = buildWorstCaseReport();
  return report;
}

const std::string& typicalReport() {
  static const std::string report = buildTypicalReport();
  return report;
}

std::string reportWithAccounts(std::size_t accounts) {
  if (accounts < 1 || accounts > 80) throw std::invalid_argument("1 to 80 accounts");
  JsonWriter out;
  out.beginObject();
  out.key("limits").beginObject().key("windows").beginArray();
  for (std::size_t i = 0; i < accounts; i += 2) {
    out.beginObject();
    out.key("agent").string(agentKey("agent-", i));
    out.key("agent_name").string(mixedText(60, i));
    out.key("label").string(mixedText(100, i));
    out.key("kind").string("week");
    out.key("pct_used").number(static_cast<double>((i * 389) % 1001));
    out.key("reset_unix").integer(static_cast<std::int64_t>(benchNow) + 3600 * static_cast<std::int64_t>(i + 1));
    out.key("observed_at").integer(static_cast<std::int64_t>(benchNow) - static_cast<std::int64_t>(i));
    out.endObject();
  }
  out.endArray().endObject();
  out.key("history").beginObject();
  out.key("days").beginArray().beginObject().key("date").string("2026-12-01").endObject().endArray();
  out.key("by_agent").beginArray();
  for (std::size_t i = 1; i < accounts; i += 2) {
    out.beginObject();
    out.key("agent_key").string(agentKey("agent-", i));
    out.key("agent_name").string(mixedText(60, i));
    out.key("today_out").integer(static_cast<std::int64_t>(i) * 100);
    out.key("week_out").integer(static_cast<std::int64_t>(i) * 700);
    out.endObject();
  }
  out.endArray();
  out.key("scanned_at").integer(static_cast<std::int64_t>(benchNow) - 60);
  out.endObject();
  out.endObject();
  return std::move(out).text();
}

const UsageWidgetSnapshot& fullSnapshot(Script script) {
  static const UsageWidgetSnapshot mixed = buildFullSnapshot(5);
  static const UsageWidgetSnapshot ascii = buildFullSnapshot(0);
  return script == Script::mixed ? mixed : ascii;
}

UsageWidgetSnapshot snapshotWithAccounts(std::size_t accounts) {
  if (accounts < 1 || accounts > 80) throw std::invalid_argument("1 to 80 accounts");
  UsageWidgetSnapshot snapshot{.server = "bench.example", .capturedAt = benchNow};
  for (std::size_t i = 0; i < accounts; ++i) {
    UsageWidgetAccount account = outputAccount(i);
    account.wallets = {{.kind = "recharge", .currency = "USD", .amount = "12.50"}};
    for (std::size_t w = 0; w < 2; ++w) {
      UsageWidgetWindow next = window(i * 2 + w, 40);
      next.kind = "week";
      next.model = "reef";
      account.windows.push_back(std::move(next));
    }
    snapshot.accounts.push_back(std::move(account));
  }
  return snapshot;
}

}  // namespace velto::bench
