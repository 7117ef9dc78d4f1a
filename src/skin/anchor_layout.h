// The anchoring rule that places a child when its parent is resized: left/top aligned children
// stay where they are, right/bottom aligned ones keep their designed distance from the parent's
// far edge, stretched ones keep both distances, centred ones are centred at their design size.
// All arithmetic is signed 32-bit with wrap-around (as the rectangles themselves are), and the
// centring division truncates toward zero.
#pragma once
#include <cstdint>

namespace velmor {

// An element rectangle relative to its parent element.
struct scRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const scRect&, const scRect&) = default;
};

namespace anchor {

// 32-bit wrap-around without relying on signed overflow.
constexpr int32_t Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t Sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// One axis: 'start'/'length' are the child's current edge and extent, the design values come
// from the skin; 'centred', 'stretched' and 'farEdge' are the alignment bits of that axis.
constexpr void AnchorAxis(int32_t& start, int32_t& length, int32_t designStart, int32_t designLength,
                          int32_t parentLength, int32_t parentDesignLength, bool centred,
                          bool stretched, bool farEdge) {
  int32_t lo = start;
  int32_t hi = Add(start, length);
  if (centred) {
    lo = Sub(parentLength, designLength) / 2;
    hi = Add(lo, designLength);
  } else if (stretched || farEdge) {
    hi = Add(Add(Sub(parentLength, parentDesignLength), designStart), designLength);
    if (farEdge) lo = Sub(hi, designLength);
  }
  start = lo;
  length = Sub(hi, lo);
}

}  // namespace anchor

// Where a child with rectangle 'current', design rectangle 'design' and alignment flags
// 'alignment' goes inside a parent whose current size is 'parentWidth' x 'parentHeight' and
// whose design size is 'parentDesignWidth' x 'parentDesignHeight'.
constexpr scRect AnchorChild(const scRect& current, const scRect& design, uint32_t alignment,
                             int32_t parentWidth, int32_t parentHeight, int32_t parentDesignWidth,
                             int32_t parentDesignHeight) {
  scRect out = current;
  anchor::AnchorAxis(out.x, out.width, design.x, design.width, parentWidth, parentDesignWidth,
                     (alignment & 4u) != 0, (alignment & 1u) != 0, (alignment & 2u) != 0);
  anchor::AnchorAxis(out.y, out.height, design.y, design.height, parentHeight, parentDesignHeight,
                     (alignment & 64u) != 0, (alignment & 16u) != 0, (alignment & 32u) != 0);
  return out;
}

}  // namespace velmor
