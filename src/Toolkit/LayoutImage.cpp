// LayoutImage: images at their own size or their frame's, and labels as a symbol beside a text.
#include <algorithm>
#include <cmath>

#include "ImageFile.h"
#include "LayoutEngine.h"

namespace velto::toolkit::engine {

namespace {

// A label's symbol is as tall as its text's point size and sits this share of it before the title.
constexpr double labelSpacing = 0.3;

// A picture drawn for a screen of `n` times the pixel density says so in its name ("@2x").
double densityOf(const std::filesystem::path& file) {
  const std::string stem = file.stem().string();
  if (stem.ends_with("@3x")) return 3;
  if (stem.ends_with("@2x")) return 2;
  return 1;
}

struct LabelGeometry {
  Proposal textProposal;
  double side = 0;
  double gap = 0;
  double symbolTop = 0;
  double textTop = 0;
  Size size;
};

LabelGeometry labelGeometry(const Item& item, Proposal proposal, Context& context) {
  const auto& label = std::get<LabelContent>(item.node->content);
  LabelGeometry geometry;
  geometry.side = item.attributes.font.pointSize;
  geometry.gap = label.title.empty() ? 0 : labelSpacing * geometry.side;
  std::optional<double> width = proposal.width;
  if (width && std::isfinite(*width)) width = std::max(0.0, *width - geometry.side - geometry.gap);
  geometry.textProposal = {width, proposal.height};
  const FittedText& text = fittedText(item, label.title, geometry.textProposal, context);
  // The symbol is centred on the title's first line.
  const double middle = std::max(geometry.side, text.firstLineHeight) / 2;
  geometry.symbolTop = middle - geometry.side / 2;
  geometry.textTop = middle - text.firstLineHeight / 2;
  geometry.size = {geometry.side + geometry.gap + text.size.width,
                   std::max(geometry.symbolTop + geometry.side, geometry.textTop + text.size.height)};
  return geometry;
}

}  // namespace

const std::optional<Context::Picture>& Context::picture(const ImageSource& source) {
  auto key = std::make_tuple(source.kind, source.location, source.name);
  const auto found = pictures_.find(key);
  if (found != pictures_.end()) return found->second;
  std::optional<std::filesystem::path> file;
  if (source.kind == ImageSource::Kind::bundleFile) file = source.location;
  if (source.kind == ImageSource::Kind::bundleResource) file = namedImage(source.location, source.name);
  std::optional<Picture> picture;
  if (file) {
    if (const auto pixels = imageDimensions(*file)) {
      const double density = densityOf(*file);
      picture = Picture{*file, {pixels->width / density, pixels->height / density}};
    }
  }
  return pictures_.emplace(std::move(key), std::move(picture)).first->second;
}

Size imageSize(const Item& item, Proposal proposal, Context& context) {
  const auto& image = std::get<ImageContent>(item.node->content);
  Size own;
  if (image.source.kind == ImageSource::Kind::systemSymbol) {
    // A symbol is a glyph of the surrounding font: square, at its point size.
    own = {item.attributes.font.pointSize, item.attributes.font.pointSize};
  } else if (const auto& picture = context.picture(image.source)) {
    own = picture->size;
  }
  if (!image.resizable) return own;
  return {proposal.width.value_or(own.width), proposal.height.value_or(own.height)};
}

Drawn imageDrawn(const Item& item, Context& context) {
  const auto& image = std::get<ImageContent>(item.node->content);
  if (image.source.kind == ImageSource::Kind::systemSymbol)
    return DrawnSymbol{image.source.name, item.attributes.color};
  if (const auto& picture = context.picture(image.source)) return DrawnImage{picture->file};
  return std::monostate{};
}

Size labelSize(const Item& item, Proposal proposal, Context& context) {
  return labelGeometry(item, proposal, context).size;
}

std::vector<LayoutBox> placeLabel(const Item& item, Proposal proposal, const Rect& bounds, Context& context) {
  const auto& label = std::get<LabelContent>(item.node->content);
  const LabelGeometry geometry = labelGeometry(item, proposal, context);
  const FittedText& text = fittedText(item, label.title, geometry.textProposal, context);
  LayoutBox symbol{.frame = {bounds.x, bounds.y + geometry.symbolTop, geometry.side, geometry.side},
                   .drawn = DrawnSymbol{label.symbol, item.attributes.color},
                   .privacySensitive = item.privacySensitive};
  LayoutBox title{.frame = {bounds.x + geometry.side + geometry.gap, bounds.y + geometry.textTop, text.size.width,
                            text.size.height},
                  .drawn = DrawnText{text.text, text.font, item.attributes.color},
                  .privacySensitive = item.privacySensitive};
  return {std::move(symbol), std::move(title)};
}

}  // namespace velto::toolkit::engine
