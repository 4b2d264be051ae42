// ByteCount: a size limit as the messages that name it write it.
#pragma once

#include <cstddef>
#include <string>

namespace velto {

/// `bytes` with its digits in groups of three and the unit: "2,097,152 bytes". Messages are English.
inline std::string byteCount(std::size_t bytes) {
  std::string digits = std::to_string(bytes);
  for (auto at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace velto
