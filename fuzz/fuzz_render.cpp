// fuzz_render: any valid snapshot, at any instant, in any family, language and text size, must lay out and draw
// to the terminal and to PNG without a crash, and every text the picture draws must lie inside the canvas or be
// cut ("…" at its end, or nothing left).
//
// Input: five header bytes, then the snapshot file. Byte 0 picks the family, byte 1 the language (bit 0), the
// provider (bit 1: the first account's agent, else every agent) and the colour scheme (bit 2), byte 2 the text
// size, bytes 3-4 a signed number of minutes from the capture to the instant drawn (about +-22 days).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "JsonDecodingError.h"
#include "Layout.h"
#include "MacUsageEntryView.h"
#include "PangoTextMeasurer.h"
#include "PictureRenderer.h"
#include "SnapshotJson.h"
#include "SnapshotValidation.h"
#include "Terminal.h"
#include "TimeZone.h"

namespace velto {
namespace {

constexpr std::size_t headerBytes = 5;
constexpr double tolerance = 0.01;  // points: rounding in the layout's sums

[[noreturn]] void fault(const char* what, std::string_view detail) {
  std::fprintf(stderr, "fuzz_render: %s: %.*s\n", what, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

const platform::TimeZone& zone() {
  static const platform::TimeZone berlin = [] {
    const auto named = platform::TimeZone::named("Europe/Berlin");
    if (!named) fault("the tz database has no zone", "Europe/Berlin");
    return *named;
  }();
  return berlin;
}

// The bundled agent pictures, found beside this source file, so that pictures are read and drawn too.
std::optional<std::filesystem::path> agentImages() {
  static const std::optional<std::filesystem::path> folder = []() -> std::optional<std::filesystem::path> {
    const auto candidate = std::filesystem::path(__FILE__).parent_path() / ".." / "resources" / "images";
    std::error_code error;
    if (std::filesystem::is_directory(candidate, error)) return candidate;
    return std::nullopt;
  }();
  return folder;
}

toolkit::WidgetCanvas canvasFor(UsageWidgetFamily family) {
  switch (family) {
    case UsageWidgetFamily::small: return toolkit::WidgetCanvas::small();
    case UsageWidgetFamily::medium: return toolkit::WidgetCanvas::medium();
    case UsageWidgetFamily::large:
    case UsageWidgetFamily::extraLarge: return toolkit::WidgetCanvas::large();
  }
  return toolkit::WidgetCanvas::small();
}

// One measurer per language for the whole run, as a renderer keeps its font map.
const render::PangoTextMeasurer& measurer(bool chinese) {
  static const render::PangoTextMeasurer english(false);
  static const render::PangoTextMeasurer simplifiedChinese(true);
  return chinese ? simplifiedChinese : english;
}

bool wasCut(const std::string& text) {
  static constexpr std::string_view ellipsis = "\u2026";
  return text.empty() || (text.size() >= ellipsis.size() && text.ends_with(ellipsis));
}

void checkTexts(const toolkit::LayoutBox& box, const toolkit::Size& canvas, std::string_view input) {
  if (const auto* text = std::get_if<toolkit::DrawnText>(&box.drawn)) {
    const toolkit::Rect& f = box.frame;
    const bool inside = f.x >= -tolerance && f.y >= -tolerance && f.maxX() <= canvas.width + tolerance &&
                        f.maxY() <= canvas.height + tolerance;
    if (!inside && !wasCut(text->text)) {
      char where[160];
      std::snprintf(where, sizeof where, "\"%.60s\" at (%.2f, %.2f) %.2f x %.2f on %.0f x %.0f: ",
                    text->text.c_str(), f.x, f.y, f.width, f.height, canvas.width, canvas.height);
      fault("a text outside the canvas and not cut", std::string(where) + std::string(input));
    }
  }
  for (const auto& child : box.children) checkTexts(child, canvas, input);
}

}  // namespace
}  // namespace velto

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velto;
  if (size < headerBytes) return 0;
  const auto family = static_cast<UsageWidgetFamily>(data[0] % 4);
  const bool chinese = (data[1] & 1U) != 0;
  const bool firstAgent = (data[1] & 2U) != 0;
  const auto scheme = (data[1] & 4U) != 0 ? render::ColorScheme::dark : render::ColorScheme::light;
  const auto textSize = static_cast<toolkit::TextSize>(data[2] % 12);
  const auto minutes = static_cast<std::int16_t>(static_cast<std::uint16_t>(data[3] << 8U | data[4]));
  const std::string_view json(reinterpret_cast<const char*>(data + headerBytes), size - headerBytes);

  UsageWidgetSnapshot snapshot;
  try {
    snapshot = decodeSnapshot(json);
  } catch (const JsonDecodingError&) {
    return 0;
  }
  if (firstValidationFailure(snapshot)) return 0;

  std::string provider;
  if (firstAgent && !snapshot.accounts.empty()) provider = snapshot.accounts.front().agent;
  const Instant date = snapshot.capturedAt + minutes * 60.0;
  const MacUsageEntryView view{
      .entry = {.date = date, .snapshot = share(std::move(snapshot)), .provider = std::move(provider)},
      .family = family,
      .chinese = chinese,
      .textSize = textSize,
      .environment = {.timeZone = zone(), .numberLocale = chinese ? "zh_CN" : "en_US", .agentImages = agentImages()}};
  const toolkit::Element body = view.body();
  const toolkit::WidgetCanvas canvas = canvasFor(family);

  const std::string terminal = render::renderTerminal(
      body, {.canvas = canvas, .scheme = scheme, .colors = render::TerminalColors::trueColor, .textSize = textSize});
  if (terminal.empty()) fault("an empty terminal drawing", json);
  const std::string png = render::renderPng(
      body, {.canvas = canvas, .scheme = scheme, .scale = 1, .textSize = textSize, .chinese = chinese});
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) fault("not a PNG", json);

  checkTexts(toolkit::layoutWidget(body, canvas, measurer(chinese), textSize), canvas.size, json);
  return 0;
}
