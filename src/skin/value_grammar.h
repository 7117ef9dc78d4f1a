// The small grammars skin attributes are written in. Every parser takes wide text (null allowed),
// never throws, and answers whether the text was recognised; the value is reported separately so
// that callers keep their defaults for text they do not understand. Keyword comparisons are exact
// and case-sensitive.
#pragma once
#include <cstdint>

namespace velmor {

// Decimal conversion used for prototype geometry: optional white space, optional sign, decimal
// digits up to the first other character (none gives 0), saturating at the 32-bit limits. Always
// recognised for non-null text. 'end' (optional) receives where parsing stopped.
bool ParseDecimalInt(const wchar_t* text, int32_t& value, const wchar_t** end = nullptr);

// The same with an automatic base: "0x"/"0X" hexadecimal, a leading "0" octal, else decimal.
// Used for integers read from live strings and inside margin lists and corner sizes.
bool ParseAutoBaseInt(const wchar_t* text, int32_t& value, const wchar_t** end = nullptr);

// Exactly "true" or "false"; anything else leaves 'value' alone.
bool ParseBool(const wchar_t* text, bool& value);

// "#rgb", "#rrggbb", the CSS colour keywords, "transparent" and the system colour names.
// The value is 0xAABBGGRR (red in the lowest byte).
bool ParseColor(const wchar_t* text, uint32_t& abgr);
// Turns a parsed 0xAABBGGRR colour into the 0xAARRGGBB order elements and GDI+ use.
constexpr uint32_t SwapRedBlue(uint32_t color) {
  return (color & 0xFF00FF00u) | ((color & 0x00FF0000u) >> 16) | ((color & 0x000000FFu) << 16);
}

// Number of CSS colour keywords and the keyword table in search order (for tools and tests).
struct NamedColor {
  const wchar_t* name;
  uint32_t abgr;
};
const NamedColor* CssColorKeywords(int* count);

// Four integers (left, top, right, bottom) separated by any single character. The output is
// zeroed first; numbers read before a short list ends stay in place, but only a complete list is
// recognised.
bool ParseMarginList(const wchar_t* text, int32_t margins[4]);

// Two integers "x,y"; written only when both were read.
bool ParseCornerSize(const wchar_t* text, int32_t& x, int32_t& y);

// Image drawing modes.
enum : int32_t { kDrawNatural = 0, kDrawStretch = 1, kDrawTile = 2, kDrawNineGrid = 4 };
bool ParseImageDrawingMode(const wchar_t* text, int32_t& mode);

// Element alignment flags: horizontal "right" 2, "center" 4, "stretch" 1, anything else 0;
// vertical "bottom" 32, "center" 64, "stretch" 16, anything else 0. False only for null text.
enum : uint32_t {
  kAlignStretchH = 1, kAlignRight = 2, kAlignCenterH = 4, kAlignHorizontalMask = 7,
  kAlignStretchV = 16, kAlignBottom = 32, kAlignCenterV = 64, kAlignVerticalMask = 0x70,
};
bool ParseHorizontalAlignment(const wchar_t* text, uint32_t& flags);
bool ParseVerticalAlignment(const wchar_t* text, uint32_t& flags);

// Font style words separated by spaces: "Normal", "Bold" 1, "Italic" 2, "Underline" 4,
// "Strikeout" 8. Starts from 0; always recognised for non-null text.
bool ParseFontStyle(const wchar_t* text, int32_t& style);

// Text alignment words: "left"/"center"/"right" set the horizontal value (0/1/2), "top"/
// "vcenter"/"bottom" the vertical one; later words win, unnamed outputs keep their values.
bool ParseTextAlignment(const wchar_t* text, int32_t& horizontal, int32_t& vertical);

// Features of a new window: items separated by "," or ";", each "name[=value]".
struct WindowFeatures {
  bool modal = false;
  bool center = false;
  bool hidden = false;
  bool owner = false;
  bool notDisableParent = false;
};
bool ParseWindowFeatures(const wchar_t* text, WindowFeatures& features);

}  // namespace velmor
