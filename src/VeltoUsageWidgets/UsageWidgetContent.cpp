// UsageWidgetContent: the frame of the widget's face (layout choice, empty state, heading, layouts).
#include "UsageWidgetContent.h"

#include <algorithm>

#include "Bundle.h"
#include "NumberLocale.h"
#include "UsageWidgetAgentMark.h"
#include "UsageWidgetWords.h"
#include "Utf8Text.h"

namespace velto {

using namespace toolkit;

namespace {

constexpr std::string_view appName = "velto";
constexpr std::string_view appSymbol = "square.split.2x2";
constexpr std::string_view staleSymbol = "clock";

/// The snapshot with every text the widget shows free of controls and line and paragraph separators: a stored
/// amount may end in one line terminator, and a clean name may hold U+2028 inside, yet no renderer may print
/// them. Agent keys and ids stay as stored: they select accounts and pictures and are never shown.
UsageWidgetSnapshot withShownTexts(UsageWidgetSnapshot snapshot) {
  const auto shown = [](std::string& text) {
    if (hasControls(text)) text = withoutControls(text);  // rare: most texts pass without a copy
  };
  shown(snapshot.server);
  for (auto& account : snapshot.accounts) {
    shown(account.name);
    for (auto& window : account.windows) {
      shown(window.label);
      shown(window.kind);
      shown(window.model);
    }
    for (auto& wallet : account.wallets) {
      shown(wallet.kind);
      shown(wallet.currency);
      shown(wallet.amount);
    }
    if (account.output) shown(account.output->day);
  }
  return snapshot;
}

}  // namespace

UsageWidgetContentEnvironment UsageWidgetContentEnvironment::current() {
  const auto bundle = platform::Bundle::main();
  return {platform::TimeZone::current(), platform::numberLocale(),
          bundle ? UsageWidgetAgentMark::imageFolder({bundle->resourceDirectory()}) : std::nullopt};
}

UsageWidgetContent::UsageWidgetContent(UsageWidgetSnapshot snapshot_, std::string provider_, Instant date_,
                                       UsageWidgetFamily family_, bool chinese_, TextSize textSize_,
                                       UsageWidgetContentEnvironment environment_)
    : snapshot(withShownTexts(std::move(snapshot_))),
      provider(std::move(provider_)),
      date(date_),
      family(family_),
      chinese(chinese_),
      textSize(textSize_),
      environment(std::move(environment_)) {}

std::string UsageWidgetContent::word(std::string_view english, std::string_view chineseText) const {
  return UsageWidgetWords::text(english, chineseText, chinese);
}

Element UsageWidgetContent::body() const {
  const auto accounts = snapshot.selected(provider);
  Element content;
  if (accounts.empty()) {
    content = emptyHome();
  } else if (family == UsageWidgetFamily::medium) {
    content = VStack(HorizontalAlignment::leading, 9, medium(accounts.front()));
  } else if (textSize >= TextSize::xxLarge) {
    // Decided on the user's size, before the cap below brings every text back to at most large.
    content = VStack(HorizontalAlignment::leading, 5, accessibleSmall(accounts.front()));
  } else {
    content = VStack(HorizontalAlignment::leading, 6, small(accounts.front()));
  }
  return content.widgetURL(std::string(usageURL)).privacySensitive().dynamicTypeSize(TextSize::small, TextSize::large);
}

Element UsageWidgetContent::emptyHome() const {
  const auto hint = provider.empty() ? word("Open velto to sync your server.", "打开 velto，同步服务器用量。")
                                     : word("This server has no current reading for this agent.",
                                            "当前服务器未提供此 Agent 的读数。");
  return VStack(HorizontalAlignment::leading, 6,
                {Label(std::string(appName), std::string(appSymbol)).font(Font::headline()),
                 Text(word("Usage unavailable", "暂无用量数据")).font(Font::subheadline().weight(FontWeight::semibold)),
                 Text(hint).font(Font::caption()).foregroundStyle(Color::secondary())})
      .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading})
      .accessibilityElement(AccessibilityChildren::combine);
}

Element UsageWidgetContent::heading(const UsageWidgetAccount& account) const {
  return HStack(VerticalAlignment::center, 5,
                {UsageWidgetAgentMark{account.agent}.body(environment.agentImages),
                 Text(account.name).font(Font::caption().weight(FontWeight::semibold)).lineLimit(1)});
}

Element UsageWidgetContent::quotaStack(const UsageWidgetWindow& window, const UsageWidgetAccount& account,
                                       bool large) const {
  return VStack(HorizontalAlignment::leading, 4, quota(window, account, large))
      .accessibilityElement(AccessibilityChildren::combine)
      .accessibilityLabel(quotaLabel(window, account));
}

std::vector<Element> UsageWidgetContent::small(const UsageWidgetAccount& account) const {
  return {heading(account),
          Text(snapshot.server).font(Font::caption2()).foregroundStyle(Color::secondary()).lineLimit(1),
          Spacer(0),
          account.windows.empty() ? nonQuota(account, true) : quotaStack(account.windows.front(), account, true),
          Spacer(0),
          updated(account)};
}

std::vector<Element> UsageWidgetContent::accessibleSmall(const UsageWidgetAccount& account) const {
  std::vector<Element> children{
      // A default for the row: the mark has no font, the name keeps its own.
      heading(account).font(Font::system(14, FontWeight::semibold)),
      Text(snapshot.server).font(Font::system(12)).foregroundStyle(Color::secondary()).lineLimit(1), Spacer(0)};
  if (account.windows.empty()) {
    children.push_back(nonQuota(account, true));
  } else {
    const auto& window = account.windows.front();
    const bool expired = window.expired(date);
    children.push_back(Text(UsageWidgetWords::window(window, account.agent, chinese))
                           .font(Font::system(12))
                           .foregroundStyle(Color::secondary())
                           .lineLimit(1));
    children.push_back(
        Text(expired ? word("Update needed", "等待更新") : UsageWidgetWords::percent(window.percent, environment.numberLocale))
            .font(Font::system(expired ? 20 : 36, FontWeight::semibold, FontDesign::rounded))
            .monospacedDigit()
            .foregroundStyle(tint(window, account))
            .lineLimit(1)
            .minimumScaleFactor(0.8));
  }
  children.push_back(Spacer(0));
  children.push_back(updated(account));
  return children;
}

Element UsageWidgetContent::updated(const UsageWidgetAccount& account) const {
  // The account's own reading time, else its oldest window reading, else the snapshot's.
  Instant time = snapshot.capturedAt;
  if (account.observedAt) {
    time = *account.observedAt;
  } else {
    std::optional<Instant> earliest;
    for (const auto& window : account.windows) {
      if (window.observedAt && (!earliest || *window.observedAt < *earliest)) earliest = window.observedAt;
    }
    if (earliest) time = *earliest;
  }
  const bool stale = readingIsStale(account) ||
                     std::any_of(account.windows.begin(), account.windows.end(),
                                 [&](const UsageWidgetWindow& w) { return w.stale(date) || w.expired(date); });
  std::vector<Element> children;
  if (stale) {
    children.push_back(Image(ImageSource::symbol(std::string(staleSymbol))).font(Font::caption2()));
    children.push_back(Text(word("Last reading", "上次读数")));
  } else {
    children.push_back(Text(word("Updated", "更新于")));
  }
  children.push_back(readingTime(time).monospacedDigit());
  return HStack(VerticalAlignment::center, 3, std::move(children))
      .font(Font::caption2())
      .foregroundStyle(Color::secondary())
      .lineLimit(1);
}

Element UsageWidgetContent::column(const UsageWidgetAccount& account, double spacing) const {
  return VStack(HorizontalAlignment::leading, spacing,
                {heading(account), account.windows.empty() ? nonQuota(account, true)
                                                           : quotaStack(account.windows.front(), account, true)})
      .frame({.maxWidth = infinity, .alignment = Alignment::leading});
}

std::optional<Element> UsageWidgetContent::rightColumn(const UsageWidgetAccount& account) const {
  // The second and third entries only: the first is in the left column, and two rows are all that fit.
  constexpr std::size_t first = 1;
  constexpr std::size_t end = 3;
  std::vector<Element> rows;
  if (account.windows.size() >= 2) {
    for (std::size_t i = first; i < std::min(end, account.windows.size()); ++i) {
      rows.push_back(quotaStack(account.windows[i], account, false).id(std::to_string(i + 1)));
    }
    return VStack(HorizontalAlignment::leading, 5, std::move(rows))
        .frame({.maxWidth = infinity, .alignment = Alignment::leading});
  }
  if (account.wallets.size() >= 2) {
    for (std::size_t i = first; i < std::min(end, account.wallets.size()); ++i) {
      const auto& wallet = account.wallets[i];
      const auto position = std::to_string(i + 1);
      rows.push_back(Text(UsageWidgetWords::wallet(wallet, chinese))
                         .font(Font::caption2())
                         .foregroundStyle(Color::secondary())
                         .id(position + "/kind"));
      rows.push_back(Text(wallet.currency + " " + wallet.amount)
                         .font(Font::subheadline().weight(FontWeight::semibold))
                         .lineLimit(1)
                         .id(position + "/amount"));
    }
    return VStack(HorizontalAlignment::leading, 6, std::move(rows))
        .frame({.maxWidth = infinity, .alignment = Alignment::leading});
  }
  return std::nullopt;
}

std::vector<Element> UsageWidgetContent::medium(const UsageWidgetAccount& account) const {
  const auto accounts = snapshot.selected(provider);
  const bool everyAgent = provider.empty();

  const auto header = HStack(VerticalAlignment::center, std::nullopt,
                             {Label(std::string(appName), std::string(appSymbol))
                                  .font(Font::caption().weight(FontWeight::semibold)),
                              Spacer(4),
                              Text(snapshot.server).font(Font::caption()).foregroundStyle(Color::secondary()).lineLimit(1)});

  std::vector<Element> columns;
  if (everyAgent && accounts.size() >= 2) {
    for (std::size_t i = 0; i < 2; ++i) columns.push_back(column(accounts[i], 7).id(accounts[i].id));
  } else {
    columns.push_back(column(account, 8));
    if (auto right = rightColumn(account)) columns.push_back(std::move(*right));
  }

  std::vector<Element> footer{updated(account), Spacer(4)};
  if (everyAgent && accounts.size() >= 3) {
    const auto more = std::to_string(accounts.size() - 2);
    footer.push_back(Text(chinese ? "另有 " + more + " 项" : "+" + more + " more")
                         .font(Font::caption2())
                         .foregroundStyle(Color::secondary()));
  }

  return {header, HStack(VerticalAlignment::top, 16, std::move(columns)), Spacer(0),
          HStack(VerticalAlignment::center, std::nullopt, std::move(footer))};
}

}  // namespace velto
