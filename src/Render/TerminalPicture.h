// TerminalPicture: what stands for a picture file in character cells.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "TerminalColors.h"

namespace velto::render {

/// The letter that stands for a picture: the first character of the file name's last word, upper-cased
/// when it is a Latin letter ("UsageAgent-corvid.png" and "UsageAgent-corvid@2x.png": "C"); "▪" when the
/// name has none.
std::string pictureInitial(const std::filesystem::path& file);

/// The picture's main colour: the most frequent colour among its mostly opaque pixels (grouped 16 levels a
/// channel, then averaged within the group), so that a letter drawn on a plain tile gives the tile's colour.
/// Nothing when the file does not load as a PNG (toolkit::readImage: a FIFO is refused, not waited on) or has
/// no opaque pixel.
std::optional<Rgb8> pictureColor(const std::filesystem::path& file);

}  // namespace velto::render
