// SnapshotJson: strict decoding of the snapshot file and compact encoding in its key order.
#include "SnapshotJson.h"

#include "JsonReading.h"
#include "JsonWriter.h"

#include <optional>
#include <string>
#include <string_view>

namespace velto {
namespace {

using namespace velto::json;

UsageWidgetWindow decodeWindow(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 7> keys{"label", "kind", "model", "percent",
                                                        "resetAt", "observedAt", "tier"};
  static constexpr std::array<bool, 7> required{true, true, true, true, false, false, false};
  UsageWidgetWindow window;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: window.label = readString(v, p); break;
      case 1: window.kind = readString(v, p); break;
      case 2: window.model = readString(v, p); break;
      case 3: window.percent = readNumber(v, p); break;
      case 4: window.resetAt = readOptional(v, p, readNumber); break;
      case 5: window.observedAt = readOptional(v, p, readNumber); break;
      default: window.tier = readOptional(v, p, readString); break;
    }
  });
  return window;
}

UsageWidgetWallet decodeWallet(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 3> keys{"kind", "currency", "amount"};
  static constexpr std::array<bool, 3> required{true, true, true};
  UsageWidgetWallet wallet;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    (k == 0 ? wallet.kind : k == 1 ? wallet.currency : wallet.amount) = readString(v, p);
  });
  return wallet;
}

UsageWidgetOutput decodeOutput(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 3> keys{"day", "today", "week"};
  static constexpr std::array<bool, 3> required{true, true, true};
  UsageWidgetOutput output;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    if (k == 0) {
      output.day = readString(v, p);
    } else {
      (k == 1 ? output.today : output.week) = readInteger(v, p);
    }
  });
  return output;
}

UsageWidgetAccount decodeAccount(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 7> keys{"id", "agent", "name", "windows",
                                                        "wallets", "observedAt", "output"};
  static constexpr std::array<bool, 7> required{true, true, true, true, true, false, false};
  UsageWidgetAccount account;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: account.id = readString(v, p); break;
      case 1: account.agent = readString(v, p); break;
      case 2: account.name = readString(v, p); break;
      case 3: account.windows = readList(v, p, decodeWindow); break;
      case 4: account.wallets = readList(v, p, decodeWallet); break;
      case 5: account.observedAt = readOptional(v, p, readNumber); break;
      default: account.output = readOptional(v, p, [](element o, JsonPath& q) { return decodeOutput(o, q); });
    }
  });
  return account;
}

UsageWidgetSnapshot decodeSnapshot(element value, JsonPath& path) {
  static constexpr std::array<std::string_view, 4> keys{"schema", "server", "capturedAt", "accounts"};
  static constexpr std::array<bool, 4> required{true, true, true, true};
  UsageWidgetSnapshot snapshot;
  readMembers(value, path, keys, required, [&](std::size_t k, element v, JsonPath& p) {
    switch (k) {
      case 0: snapshot.schema = readInteger(v, p); break;
      case 1: snapshot.server = readString(v, p); break;
      case 2: snapshot.capturedAt = readNumber(v, p); break;
      default: snapshot.accounts = readList(v, p, decodeAccount);
    }
  });
  return snapshot;
}

void encodeWindow(JsonWriter& out, const UsageWidgetWindow& window) {
  out.beginObject();
  out.key("label").string(window.label);
  out.key("kind").string(window.kind);
  out.key("model").string(window.model);
  out.key("percent").number(window.percent);
  if (window.resetAt) out.key("resetAt").number(*window.resetAt);
  if (window.observedAt) out.key("observedAt").number(*window.observedAt);
  if (window.tier) out.key("tier").string(*window.tier);
  out.endObject();
}

void encodeWallet(JsonWriter& out, const UsageWidgetWallet& wallet) {
  out.beginObject();
  out.key("kind").string(wallet.kind);
  out.key("currency").string(wallet.currency);
  out.key("amount").string(wallet.amount);
  out.endObject();
}

void encodeOutput(JsonWriter& out, const UsageWidgetOutput& output) {
  out.beginObject();
  out.key("day").string(output.day);
  out.key("today").integer(output.today);
  out.key("week").integer(output.week);
  out.endObject();
}

void encodeAccount(JsonWriter& out, const UsageWidgetAccount& account) {
  out.beginObject();
  out.key("id").string(account.id);
  out.key("agent").string(account.agent);
  out.key("name").string(account.name);
  out.key("windows").beginArray();
  for (const auto& window : account.windows) encodeWindow(out, window);
  out.endArray();
  out.key("wallets").beginArray();
  for (const auto& wallet : account.wallets) encodeWallet(out, wallet);
  out.endArray();
  if (account.observedAt) out.key("observedAt").number(*account.observedAt);
  if (account.output) {
    out.key("output");
    encodeOutput(out, *account.output);
  }
  out.endObject();
}

void encodeSnapshot(JsonWriter& out, const UsageWidgetSnapshot& snapshot) {
  out.beginObject();
  out.key("schema").integer(snapshot.schema);
  out.key("server").string(snapshot.server);
  out.key("capturedAt").number(snapshot.capturedAt);
  out.key("accounts").beginArray();
  for (const auto& account : snapshot.accounts) encodeAccount(out, account);
  out.endArray();
  out.endObject();
}

/// `room`: the bytes to reserve, for a text whose usual length is known.
template <typename Record, typename Encode>
std::string encodeWith(const Record& record, Encode&& encodeRecord, std::size_t room = 0) {
  JsonWriter out;
  out.reserve(room);
  encodeRecord(out, record);
  return std::move(out).text();
}

/// The encoded length of `bare`, a record with empty texts and zero numbers, with its `numbers` numbers then
/// counted at their longest: what a record of its kind costs besides its texts, when `bare` holds every optional.
template <typename Record, typename Encode>
std::size_t skeletonSize(const Record& bare, Encode&& encodeRecord, std::size_t numbers) {
  JsonWriter out(JsonWriter::Output::sizeOnly);
  encodeRecord(out, bare);
  return out.size() + numbers * (JsonWriter::longestNumber - std::string_view("0").size());
}


}  // namespace

UsageWidgetSnapshot decodeSnapshot(std::string_view json, std::size_t readable) {
  return json::decodeDocument(json, [](element e, JsonPath& p) { return decodeSnapshot(e, p); }, readable);
}
UsageWidgetAccount decodeAccount(std::string_view json) {
  return json::decodeDocument(json, [](element e, JsonPath& p) { return decodeAccount(e, p); });
}
UsageWidgetWindow decodeWindow(std::string_view json) {
  return json::decodeDocument(json, [](element e, JsonPath& p) { return decodeWindow(e, p); });
}
UsageWidgetWallet decodeWallet(std::string_view json) {
  return json::decodeDocument(json, [](element e, JsonPath& p) { return decodeWallet(e, p); });
}
UsageWidgetOutput decodeOutput(std::string_view json) {
  return json::decodeDocument(json, [](element e, JsonPath& p) { return decodeOutput(e, p); });
}

// The text of a storable snapshot fits the file's limit: one allocation instead of a doubling series.
std::string encode(const UsageWidgetSnapshot& snapshot) {
  return encodeWith(snapshot, encodeSnapshot, UsageWidgetSnapshot::maximumBytes);
}
std::string encode(const UsageWidgetAccount& account) { return encodeWith(account, encodeAccount); }
std::string encode(const UsageWidgetWindow& window) { return encodeWith(window, encodeWindow); }
std::string encode(const UsageWidgetWallet& wallet) { return encodeWith(wallet, encodeWallet); }
std::string encode(const UsageWidgetOutput& output) { return encodeWith(output, encodeOutput); }

std::size_t encodedSize(const UsageWidgetSnapshot& snapshot) {
  JsonWriter out(JsonWriter::Output::sizeOnly);
  encodeSnapshot(out, snapshot);
  return out.size();
}

std::size_t encodedSizeBound(const UsageWidgetSnapshot& snapshot, TextCount texts) {
  static const std::size_t bareSnapshot = skeletonSize(UsageWidgetSnapshot{}, encodeSnapshot, 2);
  static const std::size_t bareAccount =
      skeletonSize(UsageWidgetAccount{.observedAt = 0, .output = UsageWidgetOutput{}}, encodeAccount, 3);
  static const std::size_t bareWindow =
      skeletonSize(UsageWidgetWindow{.resetAt = 0, .observedAt = 0, .tier = ""}, encodeWindow, 3);
  static const std::size_t bareWallet = skeletonSize(UsageWidgetWallet{}, encodeWallet, 0);
  constexpr std::size_t comma = 1;  // one per list element counts one too many, which a bound may
  const auto textBound = [texts](const std::string& text) {
    return texts == TextCount::longest ? text.size() * JsonWriter::longestEscape
                                       : JsonWriter::escapedSizeBound(text);
  };
  const auto optionalBound = [&](const std::optional<std::string>& text) { return text ? textBound(*text) : 0; };

  std::size_t bound = bareSnapshot + textBound(snapshot.server);
  for (const auto& account : snapshot.accounts) {
    bound += comma + bareAccount + textBound(account.id) + textBound(account.agent) + textBound(account.name);
    if (account.output) bound += textBound(account.output->day);
    for (const auto& window : account.windows) {
      bound += comma + bareWindow + textBound(window.label) + textBound(window.kind) + textBound(window.model) +
               optionalBound(window.tier);
    }
    for (const auto& wallet : account.wallets) {
      bound += comma + bareWallet + textBound(wallet.kind) + textBound(wallet.currency) + textBound(wallet.amount);
    }
  }
  return bound;
}

}  // namespace velto
