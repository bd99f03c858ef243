#pragma once

#include <charconv>

namespace svcmp::cli {

// The double whose shortest text is the float's shortest text (0.1f gives
// 0.1, not 0.10000000149011612), so JSON written from it stays short and
// reads back to the same float.
inline double ShortestDouble(float value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  double shortest = 0;
  std::from_chars(text, end, shortest);
  return shortest;
}

}  // namespace svcmp::cli
