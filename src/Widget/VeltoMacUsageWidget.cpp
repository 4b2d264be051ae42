// VeltoMacUsageWidget: the definition's fixed texts, chosen by language when asked.
#include "VeltoMacUsageWidget.h"

#include "MacUsageWidgetContainer.h"

namespace velto {

std::string_view VeltoMacUsageWidget::kind() { return MacUsageWidgetContainer::kind; }

std::string VeltoMacUsageWidget::displayName(bool chinese) { return chinese ? "Agent 用量" : "Agent usage"; }

std::string VeltoMacUsageWidget::description(bool chinese) {
  return chinese ? "本机额度或已记录的输出用量。" : "Quota or recorded output on this Mac.";
}

std::vector<UsageWidgetFamily> VeltoMacUsageWidget::supportedFamilies() {
  return {UsageWidgetFamily::small, UsageWidgetFamily::medium};
}

std::vector<std::string_view> VeltoMacWidgets::kinds() { return {VeltoMacUsageWidget::kind()}; }

}  // namespace velto
