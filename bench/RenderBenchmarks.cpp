// RenderBenchmarks: a medium widget of a full snapshot and of a typical one, from the entry view's tree to
// terminal text and a PNG at scale 2. The PNG stands beside a bare Cairo fill of the same canvas written as PNG;
// the other steps have no bare counterpart worth a ratio (a copy of the terminal text is four orders of
// magnitude cheaper), so their medians are reported as they are.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "BenchInputs.h"
#include "CairoStreams.h"
#include "Layout.h"
#include "MacUsageEntryView.h"
#include "PangoTextMeasurer.h"
#include "PictureRenderer.h"
#include "Terminal.h"
#include "UsageWidgetProjection.h"

namespace velto::bench {
namespace {

/// Every code point is half the font size wide and a line 1.2 times its size tall: a layout without fonts.
class FixedTextMeasurer final : public toolkit::TextMeasurer {
 public:
  toolkit::Size measure(std::string_view text, const toolkit::ResolvedFont& font) const override {
    double codePoints = 0;
    for (const char byte : text) {
      if ((static_cast<unsigned char>(byte) & 0xC0U) != 0x80U) ++codePoints;
    }
    return {codePoints * 0.5 * font.pointSize, 1.2 * font.pointSize};
  }
};

enum class Sample { full, typical };

/// The entry a medium widget shows a minute after the snapshot's capture, for every agent, in English, with
/// the bundled agent pictures and a fixed zone and number locale.
MacUsageEntryView entryView(Sample sample) {
  const auto zone = platform::TimeZone::named("Europe/Berlin");
  if (!zone) throw std::logic_error("the tz database has no Europe/Berlin");
  const UsageWidgetSnapshot snapshot = sample == Sample::full
                                           ? fullSnapshot(Script::mixed)
                                           : projectReport(typicalReport(), "bench.example", benchNow);
  return {.entry = {.date = benchNow + 60, .snapshot = share(snapshot), .provider = ""},
          .family = UsageWidgetFamily::medium,
          .chinese = false,
          .textSize = toolkit::TextSize::large,
          .environment = {.timeZone = *zone,
                          .numberLocale = "en_US",
                          .agentImages = std::filesystem::path(VELTO_BENCH_AGENT_IMAGES)}};
}

const toolkit::Element& tree(Sample sample) {
  static const toolkit::Element full = entryView(Sample::full).body();
  static const toolkit::Element typical = entryView(Sample::typical).body();
  return sample == Sample::full ? full : typical;
}

void ContentView(benchmark::State& state, Sample sample) {
  const MacUsageEntryView view = entryView(sample);
  for (auto _ : state) {
    toolkit::Element body = view.body();
    benchmark::DoNotOptimize(body);
  }
}
BENCHMARK_CAPTURE(ContentView, full, Sample::full)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ContentView, typical, Sample::typical)->Unit(benchmark::kMicrosecond);

void LayoutFixed(benchmark::State& state, Sample sample) {
  const FixedTextMeasurer measurer;
  const toolkit::Element& root = tree(sample);
  for (auto _ : state) {
    toolkit::LayoutBox box =
        toolkit::layoutWidget(root, toolkit::WidgetCanvas::medium(), measurer, toolkit::TextSize::large);
    benchmark::DoNotOptimize(box);
  }
}
BENCHMARK_CAPTURE(LayoutFixed, full, Sample::full)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayoutFixed, typical, Sample::typical)->Unit(benchmark::kMicrosecond);

// With the measurer the pictures are drawn with, made once, as a renderer keeps its font map.
void LayoutPango(benchmark::State& state, Sample sample) {
  const render::PangoTextMeasurer measurer(false);
  const toolkit::Element& root = tree(sample);
  for (auto _ : state) {
    toolkit::LayoutBox box =
        toolkit::layoutWidget(root, toolkit::WidgetCanvas::medium(), measurer, toolkit::TextSize::large);
    benchmark::DoNotOptimize(box);
  }
}
BENCHMARK_CAPTURE(LayoutPango, full, Sample::full)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayoutPango, typical, Sample::typical)->Unit(benchmark::kMicrosecond);

render::TerminalOptions terminalOptions() {
  return {.canvas = toolkit::WidgetCanvas::medium(), .colors = render::TerminalColors::trueColor};
}

void Terminal(benchmark::State& state, Sample sample) {
  const toolkit::Element& root = tree(sample);
  for (auto _ : state) {
    std::string text = render::renderTerminal(root, terminalOptions());
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK_CAPTURE(Terminal, full, Sample::full)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Terminal, typical, Sample::typical)->Unit(benchmark::kMicrosecond);

render::PictureOptions pictureOptions() {
  return {.canvas = toolkit::WidgetCanvas::medium(), .scale = 2};
}

void Png(benchmark::State& state, Sample sample) {
  const toolkit::Element& root = tree(sample);
  for (auto _ : state) {
    std::string png = render::renderPng(root, pictureOptions());
    benchmark::DoNotOptimize(png);
  }
}
BENCHMARK_CAPTURE(Png, full, Sample::full)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Png, typical, Sample::typical)->Unit(benchmark::kMicrosecond);

// The least a PNG of the same size costs: a surface of its pixels filled with the background and a bar's
// colour over half of it (so that the compressor has edges to encode), written as PNG to memory.
void BareCairoPng(benchmark::State& state) {
  const render::PixelSize size = render::pictureSize(pictureOptions());
  for (auto _ : state) {
    const render::CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height));
    {
      const render::CairoContext cr(cairo_create(surface.get()));
      cairo_set_source_rgb(cr.get(), 1, 1, 1);
      cairo_paint(cr.get());
      cairo_set_source_rgb(cr.get(), 0.2, 0.5, 0.9);
      cairo_rectangle(cr.get(), 0, 0, size.width / 2.0, size.height);
      cairo_fill(cr.get());
    }
    std::string png = render::encodePng(surface.get());
    benchmark::DoNotOptimize(png);
  }
}
BENCHMARK(BareCairoPng)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velto::bench
