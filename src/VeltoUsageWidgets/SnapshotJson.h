// SnapshotJson: the JSON form of the snapshot file and of each of its records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "JsonDecodingError.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

// Decoding checks structure and JSON types only (value rules are validation's): required keys present,
// integers that fit 64 bits, null the same as a missing optional key, unknown keys ignored, a repeated known
// key refused. A leading UTF-8 byte order mark is skipped. Failures throw JsonDecodingError.

/// `readable`: how many allocated bytes follow `json` (a string's capacity past its size); 64 or more lets
/// the parser read the text in place rather than copy it.
UsageWidgetSnapshot decodeSnapshot(std::string_view json, std::size_t readable = 0);
UsageWidgetAccount decodeAccount(std::string_view json);
UsageWidgetWindow decodeWindow(std::string_view json);
UsageWidgetWallet decodeWallet(std::string_view json);
UsageWidgetOutput decodeOutput(std::string_view json);

// Encoding is compact, in the file format's key order, with absent optionals omitted and doubles written so
// that they read back as the same double. A non-finite double cannot be written: std::invalid_argument.

std::string encode(const UsageWidgetSnapshot& snapshot);
std::string encode(const UsageWidgetAccount& account);
std::string encode(const UsageWidgetWindow& window);
std::string encode(const UsageWidgetWallet& wallet);
std::string encode(const UsageWidgetOutput& output);
/// The length in bytes of `encode(snapshot)`, found without building the text.
std::size_t encodedSize(const UsageWidgetSnapshot& snapshot);
/// How encodedSizeBound counts texts: every byte at its longest escape, from the lengths alone; or as each
/// text is escaped (a control at its longest escape), which reads them.
enum class TextCount { longest, escaped };
/// An upper bound on `encodedSize(snapshot)`, far cheaper to find: texts counted as `texts` says, every
/// number at its longest text.
std::size_t encodedSizeBound(const UsageWidgetSnapshot& snapshot, TextCount texts);

}  // namespace velto
