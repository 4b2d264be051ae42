// UsageWidgetSnapshot: memberwise equality, with text compared by canonical equivalence.
#include "UsageWidgetSnapshot.h"

#include "UnicodeText.h"

namespace velto {
namespace {

bool optionalTextEqual(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  return a && b ? canonicallyEqual(*a, *b) : a.has_value() == b.has_value();
}

}  // namespace

bool operator==(const UsageWidgetWindow& a, const UsageWidgetWindow& b) {
  // The numbers first: they are cheap to compare and tell most different windows apart without ICU.
  return a.percent == b.percent && a.resetAt == b.resetAt && a.observedAt == b.observedAt &&
         canonicallyEqual(a.label, b.label) && canonicallyEqual(a.kind, b.kind) &&
         canonicallyEqual(a.model, b.model) && optionalTextEqual(a.tier, b.tier);
}

bool operator==(const UsageWidgetWallet& a, const UsageWidgetWallet& b) {
  return canonicallyEqual(a.kind, b.kind) && canonicallyEqual(a.currency, b.currency) &&
         canonicallyEqual(a.amount, b.amount);
}

bool operator==(const UsageWidgetOutput& a, const UsageWidgetOutput& b) {
  return canonicallyEqual(a.day, b.day) && a.today == b.today && a.week == b.week;
}

bool operator==(const UsageWidgetAccount& a, const UsageWidgetAccount& b) {
  return canonicallyEqual(a.id, b.id) && canonicallyEqual(a.agent, b.agent) &&
         canonicallyEqual(a.name, b.name) && a.windows == b.windows && a.wallets == b.wallets &&
         a.observedAt == b.observedAt && a.output == b.output;
}

bool operator==(const UsageWidgetSnapshot& a, const UsageWidgetSnapshot& b) {
  return a.schema == b.schema && canonicallyEqual(a.server, b.server) && a.capturedAt == b.capturedAt &&
         a.accounts == b.accounts;
}

}  // namespace velto
