// The drawing-mode cases shared by the image element and the subwindow's background image: a
// 10 × 10 picture whose every pixel tells where it came from, drawn into boxes of several sizes.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <functional>
#include <string>

namespace velmor::paint_test {

// Opaque colour that tells the position it was taken from (no two pixels of the 10 × 10 picture
// share one, none is grey).
inline Gdiplus::ARGB PositionColour(int x, int y) {
  return 0xFF000000u | (static_cast<Gdiplus::ARGB>(10 + 20 * x) << 16) |
         (static_cast<Gdiplus::ARGB>(10 + 20 * y) << 8) | 0x40u;
}

struct ImageBoxCase {
  const char* name;
  const char* mode;     // the mode attribute's text, null for none
  const char* margins;  // "nineGridMargins", null for none
  int width, height;
  // Where box pixel (x, y) comes from in the picture; false: not drawn.
  std::function<bool(int x, int y, int& sx, int& sy)> source;
};

inline bool Natural(int x, int y, int& sx, int& sy) {
  sx = x;
  sy = y;
  return x < 10 && y < 10;
}

inline const ImageBoxCase kImageBoxCases[] = {
    {"natural_cut_to_the_box", nullptr, nullptr, 4, 4, Natural},
    {"natural_in_a_larger_box", nullptr, nullptr, 13, 12, Natural},
    {"keywords_are_case_sensitive", "Stretch", nullptr, 13, 12, Natural},
    {"unknown_keyword_is_natural", "center", nullptr, 13, 12, Natural},
    {"margins_without_ninegrid_are_ignored", nullptr, "5,5,5,5", 13, 12, Natural},
    {"stretch_of_equal_size_copies", "stretch", nullptr, 10, 10, Natural},
    {"stretch_doubles", "stretch", nullptr, 20, 20,
     [](int x, int y, int& sx, int& sy) {
       sx = x / 2;
       sy = y / 2;
       return true;
     }},
    {"tiles_from_the_box_corner", "tile", nullptr, 23, 14,
     [](int x, int y, int& sx, int& sy) {
       sx = x % 10;
       sy = y % 10;
       return true;
     }},
    // Smaller than the margins: only the four corners, overlapping, the later over the earlier
    // (top-left, top-right, bottom-left, bottom-right).
    {"ninegrid_draws_only_overlapping_corners", "ninegrid", "5,5,5,5", 8, 8,
     [](int x, int y, int& sx, int& sy) {
       sx = x < 3 ? x : x + 2;
       sy = y < 3 ? y : y + 2;
       return true;
     }},
};

}  // namespace velmor::paint_test
