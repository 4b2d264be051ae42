// UsageWidgetContent blocks: quota, reset line, balance and recorded output, and the rules they share.
#include <string>

#include "UsageWidgetContent.h"
#include "UsageWidgetWords.h"

namespace velto {

using namespace toolkit;

namespace {

constexpr double trackOpacity = 0.18;
constexpr double shrinkFactor = 0.8;
constexpr double largeFigureSize = 30;

// The accent of a fresh window with no tier.
constexpr Color calmTint = Color::srgb(0.231, 0.51, 0.965);

Font largeFigure() { return Font::system(largeFigureSize, FontWeight::semibold, FontDesign::rounded); }

Element caption(std::string text) {
  return Text(std::move(text)).font(Font::caption2()).foregroundStyle(Color::secondary());
}

}  // namespace

bool UsageWidgetContent::readingIsStale(const UsageWidgetAccount& account) const {
  // A reading time ahead of the entry is not held against the account; only the snapshot's is.
  return snapshot.isStale(date) ||
         (account.observedAt && date - *account.observedAt >= UsageWidgetSnapshot::staleInterval);
}

double UsageWidgetContent::barFraction(double percent) {
  if (!(percent > 0)) return 0;  // negative, zero or not a number
  return percent >= 100 ? 1 : percent / 100;
}

Color UsageWidgetContent::tint(const UsageWidgetWindow& window, const UsageWidgetAccount& account) const {
  if (readingIsStale(account) || window.expired(date) || window.stale(date)) return Color::secondary();
  if (window.tier == "full") return Color::named(ColorName::red);
  if (window.tier == "warn") return Color::named(ColorName::orange);
  return calmTint;
}

Element UsageWidgetContent::readingTime(Instant time) const {
  return Text(UsageWidgetWords::readingTime(time, date, chinese, environment.timeZone));
}

std::string UsageWidgetContent::quotaLabel(const UsageWidgetWindow& window, const UsageWidgetAccount& account) const {
  const auto state = window.expired(date)
                         ? word("Update needed", "等待更新")
                         : UsageWidgetWords::percent(window.percent, environment.numberLocale) + word(" used", " 已用");
  return account.name + ", " + UsageWidgetWords::window(window, account.agent, chinese) + ", " + state;
}

std::vector<Element> UsageWidgetContent::quota(const UsageWidgetWindow& window, const UsageWidgetAccount& account,
                                               bool large) const {
  std::vector<Element> children{caption(UsageWidgetWords::window(window, account.agent, chinese)).lineLimit(1)};
  if (window.expired(date)) {
    children.push_back(
        Text(word("Update needed", "等待更新")).font(Font::subheadline().weight(FontWeight::semibold)).lineLimit(1));
  } else {
    const auto accent = tint(window, account);
    children.push_back(Text(UsageWidgetWords::percent(window.percent, environment.numberLocale))
                           .font(large ? largeFigure() : Font::subheadline().weight(FontWeight::semibold))
                           .monospacedDigit()
                           .foregroundStyle(accent)
                           .lineLimit(1)
                           .minimumScaleFactor(shrinkFactor));
    children.push_back(Bar(barFraction(window.percent), Color::secondary().opacity(trackOpacity), accent)
                           .frame({.height = 4})
                           .accessibilityHidden());
  }
  children.push_back(reset(window));
  return children;
}

Element UsageWidgetContent::reset(const UsageWidgetWindow& window) const {
  Element line;
  if (!window.resetAt) {
    line = Text(word("Used quota", "已用额度"));
  } else if (window.expired(date)) {
    line = Text(word("Open velto to sync", "打开 velto 同步"));
  } else {
    line = HStack(VerticalAlignment::center, 3,
                  {Text(word("Resets", "重置")).font(Font::caption2()),
                   readingTime(*window.resetAt).monospacedDigit().font(Font::caption2())});
  }
  return line.lineLimit(1).font(Font::caption2()).foregroundStyle(Color::secondary());
}

Element UsageWidgetContent::nonQuota(const UsageWidgetAccount& account, bool large) const {
  if (!account.wallets.empty()) return VStack(HorizontalAlignment::leading, 5, balance(account, large));
  if (account.output) return recorded(*account.output, account, large);
  return Empty();
}

std::vector<Element> UsageWidgetContent::balance(const UsageWidgetAccount& account, bool large) const {
  if (account.wallets.empty()) return {};
  const auto& wallet = account.wallets.front();
  // The amount is shown exactly as stored: it is a decimal text, and reformatting could change it.
  std::vector<Element> children{
      caption(UsageWidgetWords::wallet(wallet, chinese)),
      Text(wallet.currency + " " + wallet.amount)
          .font((large ? Font::title3() : Font::subheadline()).weight(FontWeight::semibold))
          .monospacedDigit()
          .lineLimit(1)
          .minimumScaleFactor(shrinkFactor)};
  if (readingIsStale(account)) children.push_back(caption(word("Last reading", "上次读数")));
  return children;
}

Element UsageWidgetContent::recorded(const UsageWidgetOutput& output, const UsageWidgetAccount& account,
                                     bool large) const {
  const auto day = UsageWidgetWords::outputDay(output, date, chinese, environment.timeZone);
  // "Token" is the same word in both languages.
  const auto units = VStack(HorizontalAlignment::leading, 0, {Text("Token"), Text(word("Local records", "本机记录"))})
                         .font(Font::caption2())
                         .foregroundStyle(Color::secondary())
                         .lineLimit(1)
                         .minimumScaleFactor(shrinkFactor);
  const auto figure = Text(UsageWidgetWords::count(output.today))
                          .font(large ? largeFigure() : Font::headline())
                          .monospacedDigit()
                          .lineLimit(1)
                          .minimumScaleFactor(shrinkFactor);
  // The visible counts are abbreviated; the label spells them out.
  const auto label = account.name + ", " + day + word(" output ", "输出 ") + std::to_string(output.today) +
                     word(" tokens. Past 7 days ", " Token，近 7 天 ") + std::to_string(output.week) +
                     word(" tokens. Local records.", " Token。本机记录。");
  return VStack(HorizontalAlignment::leading, 4,
                {caption(day + word(" output", "输出")).lineLimit(1),
                 HStack(VerticalAlignment::bottom, 4, {figure, units}),
                 caption(word("7 days ", "近 7 天 ") + UsageWidgetWords::count(output.week) + " Token")
                     .lineLimit(1)
                     .minimumScaleFactor(shrinkFactor)})
      .accessibilityElement(AccessibilityChildren::ignore)
      .accessibilityLabel(label);
}

}  // namespace velto
