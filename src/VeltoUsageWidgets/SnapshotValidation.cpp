// SnapshotValidation: the value rules of a snapshot, checked in a fixed order; the first broken rule wins.
#include "SnapshotValidation.h"

#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <memory>
#include <unordered_set>

#include "IcuFormatLibrary.h"
#include "TextRules.h"

namespace velto {
namespace {

constexpr std::size_t maximumAccounts = 80;
constexpr std::size_t maximumWindows = 64;
constexpr std::size_t maximumWallets = 8;

bool finitePositive(double value) { return std::isfinite(value) && value > 0; }

std::string cleanRule(std::size_t limit) {
  return "must be at most " + std::to_string(limit) +
         " characters, without control or format characters or white space at either end";
}

std::string indexed(std::string_view list, std::size_t index) {
  return std::string(list) + '[' + std::to_string(index) + ']';
}

// Parsing and formatting "yyyy-MM-dd" in UTC with the Gregorian calendar of a fixed locale: a day is real
// when it parses strictly and formats back to the same text. The formatter is expensive to build and not
// safe to share between threads, so each thread keeps its own.
bool isCalendarDayByIcu(std::string_view day) {
  const IcuFormatLibrary& icu = IcuFormatLibrary::get();
  const auto close = [&icu](UDateFormat* format) { icu.closeDateFormat(format); };
  thread_local const std::unique_ptr<UDateFormat, decltype(close)> formatter(
      [&icu] {
        UErrorCode status = U_ZERO_ERROR;
        UDateFormat* made = icu.openDateFormat(UDAT_PATTERN, UDAT_PATTERN, "en_US_POSIX@calendar=gregorian",
                                               u"GMT", -1, u"yyyy-MM-dd", -1, &status);
        if (U_FAILURE(status)) return static_cast<UDateFormat*>(nullptr);
        icu.setLenient(made, false);
        return made;
      }(),
      close);
  if (!formatter) return false;
  const auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(day.data(), static_cast<int32_t>(day.size())));
  UErrorCode status = U_ZERO_ERROR;
  int32_t position = 0;
  const UDate instant = icu.parseDate(formatter.get(), text.getBuffer(), text.length(), &position, &status);
  if (U_FAILURE(status) || position == 0) return false;
  std::array<UChar, 64> formatted{};
  const int32_t length = icu.formatDate(formatter.get(), instant, formatted.data(),
                                        static_cast<int32_t>(formatted.size()), nullptr, &status);
  return U_SUCCESS(status) && text == icu::UnicodeString(formatted.data(), length);
}

}  // namespace

bool isCalendarDay(std::string_view day) {
  const auto digits = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (day[i] < '0' || day[i] > '9') return -1;
      value = value * 10 + (day[i] - '0');
    }
    return value;
  };
  const bool plain = day.size() == 10 && day[4] == '-' && day[7] == '-';
  const int year = plain ? digits(0, 4) : -1;
  const int month = plain ? digits(5, 2) : -1;
  const int dayOfMonth = plain ? digits(8, 2) : -1;
  // ICU's Gregorian calendar switches from the Julian one in 1582; from 1600 on it is Gregorian throughout, and
  // four digits are what "yyyy" writes. Anything else keeps ICU's answer.
  if (year < 1600 || month < 0 || dayOfMonth < 0) return isCalendarDayByIcu(day);
  if (month < 1 || month > 12 || dayOfMonth < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  static constexpr int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return dayOfMonth <= daysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
}

namespace {

// The first broken rule of an output record, with its path relative to the record.
std::optional<ValidationFailure> outputFailure(const UsageWidgetOutput& output) {
  if (output.today < 0) return ValidationFailure{"today", "must not be negative"};
  if (output.week < output.today) return ValidationFailure{"week", "must not be less than today"};
  if (!matchesDay(output.day)) return ValidationFailure{"day", "must match ^[0-9]{4}-[0-9]{2}-[0-9]{2}$"};
  if (!isCalendarDay(output.day)) return ValidationFailure{"day", "must be a real calendar date"};
  return std::nullopt;
}

std::optional<ValidationFailure> windowFailure(const UsageWidgetWindow& window) {
  if (!std::isfinite(window.percent) || window.percent < 0 || window.percent > 1000) {
    return ValidationFailure{"percent", "must be finite and lie in 0 to 1000"};
  }
  if (!isClean(window.label, 100)) return ValidationFailure{"label", cleanRule(100)};
  if (!isClean(window.kind, 32)) return ValidationFailure{"kind", cleanRule(32)};
  if (!isClean(window.model, 40)) return ValidationFailure{"model", cleanRule(40)};
  if (window.resetAt && !finitePositive(*window.resetAt)) {
    return ValidationFailure{"resetAt", "must be finite and positive"};
  }
  if (window.observedAt && !finitePositive(*window.observedAt)) {
    return ValidationFailure{"observedAt", "must be finite and positive"};
  }
  if (window.tier && *window.tier != "warn" && *window.tier != "full") {
    return ValidationFailure{"tier", "must be \"warn\" or \"full\""};
  }
  return std::nullopt;
}

std::optional<ValidationFailure> walletFailure(const UsageWidgetWallet& wallet) {
  if (!matchesAmount(wallet.amount)) {
    return ValidationFailure{"amount", "must match ^-?[0-9]{1,20}(\\.[0-9]{1,12})?$"};
  }
  if (!isClean(wallet.kind, 32)) return ValidationFailure{"kind", cleanRule(32)};
  if (wallet.currency.empty()) return ValidationFailure{"currency", "must not be empty"};
  if (!isClean(wallet.currency, 8)) return ValidationFailure{"currency", cleanRule(8)};
  return std::nullopt;
}

// Prefixes a nested failure's path with the path of the record that holds it.
ValidationFailure within(const std::string& prefix, ValidationFailure failure) {
  failure.path = prefix + '.' + failure.path;
  return failure;
}

std::optional<ValidationFailure> accountFailure(const UsageWidgetAccount& account) {
  if (!matchesAgentKey(account.agent)) return ValidationFailure{"agent", "must match ^[a-z0-9_-]{1,40}$"};
  if (!matchesAccountID(account.id)) return ValidationFailure{"id", "must match ^[a-z0-9_:-]{1,80}$"};
  if (!isClean(account.name, 60)) return ValidationFailure{"name", cleanRule(60)};
  if (account.windows.size() > maximumWindows) {
    return ValidationFailure{"windows", "must hold at most 64 windows"};
  }
  if (account.wallets.size() > maximumWallets) {
    return ValidationFailure{"wallets", "must hold at most 8 wallets"};
  }
  if (account.observedAt && !finitePositive(*account.observedAt)) {
    return ValidationFailure{"observedAt", "must be finite and positive"};
  }
  if (account.output) {
    if (!account.observedAt) return ValidationFailure{"output", "needs the account's observedAt"};
    if (auto failure = outputFailure(*account.output)) return within("output", *failure);
  }
  for (std::size_t i = 0; i < account.windows.size(); ++i) {
    if (auto failure = windowFailure(account.windows[i])) return within(indexed("windows", i), *failure);
  }
  for (std::size_t i = 0; i < account.wallets.size(); ++i) {
    if (auto failure = walletFailure(account.wallets[i])) return within(indexed("wallets", i), *failure);
  }
  return std::nullopt;
}

}  // namespace

std::optional<ValidationFailure> firstValidationFailure(const UsageWidgetSnapshot& snapshot) {
  if (snapshot.schema != 1) return ValidationFailure{"schema", "must be 1"};
  if (!std::isfinite(snapshot.capturedAt) || snapshot.capturedAt < 0) {
    return ValidationFailure{"capturedAt", "must be finite and not negative"};
  }
  if (snapshot.accounts.size() > maximumAccounts) {
    return ValidationFailure{"accounts", "must hold at most 80 accounts"};
  }
  if (!isClean(snapshot.server, 80)) return ValidationFailure{"server", cleanRule(80)};
  // Ids are compared as stored; they are ASCII whenever they can pass their pattern, so byte equality is
  // canonical equivalence for every snapshot that could otherwise be valid.
  std::unordered_set<std::string_view> ids;
  for (std::size_t i = 0; i < snapshot.accounts.size(); ++i) {
    if (!ids.insert(snapshot.accounts[i].id).second) {
      return ValidationFailure{indexed("accounts", i) + ".id", "repeats the id of an earlier account"};
    }
  }
  for (std::size_t i = 0; i < snapshot.accounts.size(); ++i) {
    if (auto failure = accountFailure(snapshot.accounts[i])) return within(indexed("accounts", i), *failure);
  }
  return std::nullopt;
}

std::optional<UsageWidgetSnapshot> UsageWidgetSnapshot::validated() const {
  if (firstValidationFailure(*this)) return std::nullopt;
  return *this;
}

bool UsageWidgetOutput::isValid() const { return !outputFailure(*this).has_value(); }

bool UsageWidgetWindow::stale(Instant now) const {
  if (!observedAt) return false;
  if (*observedAt > now + UsageWidgetSnapshot::futureTolerance) return true;
  return now - *observedAt >= UsageWidgetSnapshot::staleInterval;
}

bool UsageWidgetWindow::expired(Instant now) const { return resetAt && *resetAt <= now; }

}  // namespace velto
