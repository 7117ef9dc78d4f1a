#include "skin/value_grammar.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <string_view>

namespace velmor {
namespace {

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'z') return c - L'a' + 10;
  if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
  return 99;
}

// strtol-like conversion: base 10, or 0 for the automatic base. Digits accumulate in 64 bits and
// saturate once they leave the 32-bit range.
bool ParseInteger(const wchar_t* text, int base, int32_t& value, const wchar_t** end) {
  if (text == nullptr) {
    if (end != nullptr) *end = nullptr;
    return false;
  }
  const wchar_t* p = text;
  while (IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') {
    negative = *p == L'-';
    ++p;
  }
  if (base == 0) {
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && DigitValue(p[2]) < 16) {
      base = 16;
      p += 2;
    } else if (p[0] == L'0') {
      base = 8;
    } else {
      base = 10;
    }
  }
  const wchar_t* digits = p;
  constexpr int64_t kLimit = static_cast<int64_t>(INT32_MAX) + 1;
  int64_t magnitude = 0;
  for (int d; (d = DigitValue(*p)) < base; ++p) {
    magnitude = magnitude * base + d;
    if (magnitude > kLimit) magnitude = kLimit;
  }
  if (p == digits) {
    // No conversion: like strtol, parsing stops at the start of the text.
    value = 0;
    if (end != nullptr) *end = text;
    return true;
  }
  if (negative) {
    value = static_cast<int32_t>(-magnitude);
  } else {
    value = magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
  }
  if (end != nullptr) *end = p;
  return true;
}

bool Equals(const wchar_t* text, const wchar_t* keyword) { return wcscmp(text, keyword) == 0; }

const NamedColor kCssColors[] = {
    {L"aliceblue", 0xFFFFF8F0u},
    {L"antiquewhite", 0xFFD7EBFAu},
    {L"aqua", 0xFFFFFF00u},
    {L"aquamarine", 0xFFD4FF7Fu},
    {L"azure", 0xFFFFFFF0u},
    {L"beige", 0xFFDCF5F5u},
    {L"bisque", 0xFFC4E4FFu},
    {L"black", 0xFF000000u},
    {L"blanchedalmond", 0xFFCDEBFFu},
    {L"blue", 0xFFFF0000u},
    {L"blueviolet", 0xFFE22B8Au},
    {L"brown", 0xFF2A2AA5u},
    {L"burlywood", 0xFF87B8DEu},
    {L"cadetblue", 0xFFA09E5Fu},
    {L"chartreuse", 0xFF00FF7Fu},
    {L"chocolate", 0xFF1E69D2u},
    {L"coral", 0xFF507FFFu},
    {L"cornflowerblue", 0xFFED9564u},
    {L"cornsilk", 0xFFDCF8FFu},
    {L"crimson", 0xFF3C14DCu},
    {L"cyan", 0xFFFFFF00u},
    {L"darkblue", 0xFF8B0000u},
    {L"darkcyan", 0xFF8B8B00u},
    {L"darkgoldenrod", 0xFF0B86B8u},
    {L"darkgray", 0xFFA9A9A9u},
    {L"darkgreen", 0xFF006400u},
    {L"darkgrey", 0xFFA9A9A9u},
    {L"darkkhaki", 0xFF6BB7BDu},
    {L"darkmagenta", 0xFF8B008Bu},
    {L"darkolivegreen", 0xFF2F6B55u},
    {L"darkorange", 0xFF008CFFu},
    {L"darkorchid", 0xFFCC3299u},
    {L"darkred", 0xFF00008Bu},
    {L"darksalmon", 0xFF7A96E9u},
    {L"darkseagreen", 0xFF8FBC8Fu},
    {L"darkslateblue", 0xFF8B3D48u},
    {L"darkslategray", 0xFF4F4F2Fu},
    {L"darkslategrey", 0xFF4F4F2Fu},
    {L"darkturquoise", 0xFFD1CE00u},
    {L"darkviolet", 0xFFD30094u},
    {L"deeppink", 0xFF9314FFu},
    {L"deepskyblue", 0xFFFFBF00u},
    {L"dimgray", 0xFF696969u},
    {L"dimgrey", 0xFF696969u},
    {L"dodgerblue", 0xFFFF901Eu},
    {L"firebrick", 0xFF2222B2u},
    {L"floralwhite", 0xFFF0FAFFu},
    {L"forestgreen", 0xFF228B22u},
    {L"fuchsia", 0xFFFF00FFu},
    {L"gainsboro", 0xFFDCDCDCu},
    {L"ghostwhite", 0xFFFFF8F8u},
    {L"gold", 0xFF00D7FFu},
    {L"goldenrod", 0xFF20A5DAu},
    {L"gray", 0xFF808080u},
    {L"green", 0xFF008000u},
    {L"greenyellow", 0xFF2FFFADu},
    {L"grey", 0xFF808080u},
    {L"honeydew", 0xFFF0FFF0u},
    {L"hotpink", 0xFFB469FFu},
    {L"indianred", 0xFF5C5CCDu},
    {L"indigo", 0xFF82004Bu},
    {L"ivory", 0xFFF0FFFFu},
    {L"khaki", 0xFF8CE6F0u},
    {L"lavender", 0xFFFAE6E6u},
    {L"lavenderblush", 0xFFF5F0FFu},
    {L"lawngreen", 0xFF00FC7Cu},
    {L"lemonchiffon", 0xFFCDFAFFu},
    {L"lightblue", 0xFFE6D8ADu},
    {L"lightcoral", 0xFF8080F0u},
    {L"lightcyan", 0xFFFFFFE0u},
    {L"lightgoldenrodyellow", 0xFFD2FAFAu},
    {L"lightgray", 0xFFD3D3D3u},
    {L"lightgreen", 0xFF90EE90u},
    {L"lightgrey", 0xFFD3D3D3u},
    {L"lightpink", 0xFFC1B6FFu},
    {L"lightsalmon", 0xFF7AA0FFu},
    {L"lightseagreen", 0xFFAAB220u},
    {L"lightskyblue", 0xFFFACE87u},
    {L"lightslategray", 0xFF998877u},
    {L"lightslategrey", 0xFF998877u},
    {L"lightsteelblue", 0xFFDEC4B0u},
    {L"lightyellow", 0xFFE0FFFFu},
    {L"lime", 0xFF00FF00u},
    {L"limegreen", 0xFF32CD32u},
    {L"linen", 0xFFE6F0FAu},
    {L"magenta", 0xFFFF00FFu},
    {L"maroon", 0xFF000080u},
    {L"mediumaquamarine", 0xFFAACD66u},
    {L"mediumblue", 0xFFCD0000u},
    {L"mediumorchid", 0xFFD355BAu},
    {L"mediumpurple", 0xFFDB7093u},
    {L"mediumseagreen", 0xFF71B33Cu},
    {L"mediumslateblue", 0xFFEE687Bu},
    {L"mediumspringgreen", 0xFF9AFA00u},
    {L"mediumturquoise", 0xFFCCD148u},
    {L"mediumvioletred", 0xFF8515C7u},
    {L"midnightblue", 0xFF701919u},
    {L"mintcream", 0xFFFAFFF5u},
    {L"mistyrose", 0xFFE1E4FFu},
    {L"moccasin", 0xFFB5E4FFu},
    {L"navajowhite", 0xFFADDEFFu},
    {L"navy", 0xFF800000u},
    {L"oldlace", 0xFFE6F5FDu},
    {L"olive", 0xFF008080u},
    {L"olivedrab", 0xFF238E6Bu},
    {L"orange", 0xFF00A5FFu},
    {L"orangered", 0xFF0045FFu},
    {L"orchid", 0xFFD670DAu},
    {L"palegoldenrod", 0xFFAAE8EEu},
    {L"palegreen", 0xFF98FB98u},
    {L"paleturquoise", 0xFFEEEEAFu},
    {L"palevioletred", 0xFF9370DBu},
    {L"papayawhip", 0xFFD5EFFFu},
    {L"peachpuff", 0xFFB9DAFFu},
    {L"peru", 0xFF3F85CDu},
    {L"pink", 0xFFCBC0FFu},
    {L"plum", 0xFFDDA0DDu},
    {L"powderblue", 0xFFE6E0B0u},
    {L"purple", 0xFF800080u},
    {L"red", 0xFF0000FFu},
    {L"rosybrown", 0xFF8F8FBCu},
    {L"royalblue", 0xFFE16941u},
    {L"saddlebrown", 0xFF13458Bu},
    {L"salmon", 0xFF7280FAu},
    {L"sandybrown", 0xFF60A4F4u},
    {L"seagreen", 0xFF578B2Eu},
    {L"seashell", 0xFFEEF5FFu},
    {L"sienna", 0xFF2D52A0u},
    {L"silver", 0xFFC0C0C0u},
    {L"skyblue", 0xFFEBCE87u},
    {L"slateblue", 0xFFCD5A6Au},
    {L"slategray", 0xFF908070u},
    {L"slategrey", 0xFF908070u},
    {L"snow", 0xFFFAFAFFu},
    {L"springgreen", 0xFF7FFF00u},
    {L"steelblue", 0xFFB48246u},
    {L"tan", 0xFF8CB4D2u},
    {L"teal", 0xFF808000u},
    {L"thistle", 0xFFD8BFD8u},
    {L"tomato", 0xFF4763FFu},
    {L"turquoise", 0xFFD0E040u},
    {L"violet", 0xFFEE82EEu},
    {L"wheat", 0xFFB3DEF5u},
    {L"white", 0xFFFFFFFFu},
    {L"whitesmoke", 0xFFF5F5F5u},
    {L"yellow", 0xFF00FFFFu},
    {L"yellowgreen", 0xFF32CD9Au},
};
constexpr int kCssColorCount = static_cast<int>(sizeof(kCssColors) / sizeof(kCssColors[0]));
static_assert(kCssColorCount == 147, "the CSS colour module names 147 keywords");

struct SystemColorName {
  const wchar_t* name;
  int index;
};
const SystemColorName kSystemColors[] = {
    {L"activeborder", COLOR_ACTIVEBORDER},
    {L"activecaption", COLOR_ACTIVECAPTION},
    {L"appworkspace", COLOR_APPWORKSPACE},
    {L"background", COLOR_BACKGROUND},
    {L"buttonface", COLOR_BTNFACE},
    {L"buttonhighlight", COLOR_BTNHIGHLIGHT},
    {L"buttonshadow", COLOR_BTNSHADOW},
    {L"buttontext", COLOR_BTNTEXT},
    {L"captiontext", COLOR_CAPTIONTEXT},
    {L"graytext", COLOR_GRAYTEXT},
    {L"highlight", COLOR_HIGHLIGHT},
    {L"highlighttext", COLOR_HIGHLIGHTTEXT},
    {L"inactiveborder", COLOR_INACTIVEBORDER},
    {L"inactivecaption", COLOR_INACTIVECAPTION},
    {L"inactivecaptiontext", COLOR_INACTIVECAPTIONTEXT},
    {L"infobackground", COLOR_INFOBK},
    {L"infotext", COLOR_INFOTEXT},
    {L"menu", COLOR_MENU},
    {L"menutext", COLOR_MENUTEXT},
    {L"scrollbar", COLOR_SCROLLBAR},
    {L"threeddarkshadow", COLOR_3DDKSHADOW},
    {L"threedface", COLOR_3DFACE},
    {L"threedhighlight", COLOR_3DHIGHLIGHT},
    {L"threedlightshadow", COLOR_3DLIGHT},
    {L"threedshadow", COLOR_3DSHADOW},
    {L"window", COLOR_WINDOW},
    {L"windowframe", COLOR_WINDOWFRAME},
    {L"windowtext", COLOR_WINDOWTEXT},
};

bool ParseHexColor(const wchar_t* digits, uint32_t& abgr) {
  const size_t length = wcslen(digits);
  if (length != 3 && length != 6) return false;
  int v[6];
  for (size_t i = 0; i < length; ++i) {
    v[i] = DigitValue(digits[i]);
    if (v[i] >= 16) return false;
  }
  uint32_t r, g, b;
  if (length == 6) {
    r = v[0] * 16 + v[1];
    g = v[2] * 16 + v[3];
    b = v[4] * 16 + v[5];
  } else {
    r = v[0] * 17;
    g = v[1] * 17;
    b = v[2] * 17;
  }
  abgr = 0xFF000000u | (b << 16) | (g << 8) | r;
  return true;
}

// Calls 'token(begin, length)' for each run of characters between spaces.
template <class Token>
void ForEachSpaceToken(const wchar_t* text, Token token) {
  const wchar_t* p = text;
  while (*p != L'\0') {
    while (*p == L' ') ++p;
    const wchar_t* begin = p;
    while (*p != L'\0' && *p != L' ') ++p;
    if (p != begin) token(std::wstring_view(begin, static_cast<size_t>(p - begin)));
  }
}

}  // namespace

bool ParseDecimalInt(const wchar_t* text, int32_t& value, const wchar_t** end) {
  return ParseInteger(text, 10, value, end);
}

bool ParseAutoBaseInt(const wchar_t* text, int32_t& value, const wchar_t** end) {
  return ParseInteger(text, 0, value, end);
}

bool ParseBool(const wchar_t* text, bool& value) {
  if (text == nullptr) return false;
  if (Equals(text, L"true")) {
    value = true;
    return true;
  }
  if (Equals(text, L"false")) {
    value = false;
    return true;
  }
  return false;
}

const NamedColor* CssColorKeywords(int* count) {
  if (count != nullptr) *count = kCssColorCount;
  return kCssColors;
}

bool ParseColor(const wchar_t* text, uint32_t& abgr) {
  if (text == nullptr) return false;
  if (text[0] == L'#') return ParseHexColor(text + 1, abgr);
  for (const NamedColor& color : kCssColors) {
    if (Equals(text, color.name)) {
      abgr = color.abgr;
      return true;
    }
  }
  if (Equals(text, L"transparent")) {
    abgr = 0;
    return true;
  }
  for (const SystemColorName& color : kSystemColors) {
    if (Equals(text, color.name)) {
      abgr = 0xFF000000u | (::GetSysColor(color.index) & 0x00FFFFFFu);
      return true;
    }
  }
  return false;
}

bool ParseMarginList(const wchar_t* text, int32_t margins[4]) {
  margins[0] = margins[1] = margins[2] = margins[3] = 0;
  if (text == nullptr) return false;
  const wchar_t* p = text;
  for (int i = 0; i < 4; ++i) {
    const wchar_t* end = nullptr;
    ParseAutoBaseInt(p, margins[i], &end);
    if (i == 3) return true;
    if (*end == L'\0') return false;
    p = end + 1;  // any one separator character
  }
  return true;
}

bool ParseCornerSize(const wchar_t* text, int32_t& x, int32_t& y) {
  if (text == nullptr) return false;
  int32_t first = 0, second = 0;
  const wchar_t* end = nullptr;
  ParseAutoBaseInt(text, first, &end);
  if (*end == L'\0') return false;
  ParseAutoBaseInt(end + 1, second, &end);
  x = first;
  y = second;
  return true;
}

bool ParseImageDrawingMode(const wchar_t* text, int32_t& mode) {
  if (text == nullptr) return false;
  if (Equals(text, L"stretch")) mode = kDrawStretch;
  else if (Equals(text, L"tile")) mode = kDrawTile;
  else if (Equals(text, L"ninegrid")) mode = kDrawNineGrid;
  else return false;
  return true;
}

namespace {
// One axis of the alignment keywords: the far edge, "center" or "stretch"; anything else is the
// near edge (no bits).
bool ParseAlignment(const wchar_t* text, const wchar_t* farEdge, uint32_t farBit,
                    uint32_t centerBit, uint32_t stretchBit, uint32_t& flags) {
  if (text == nullptr) return false;
  flags = Equals(text, farEdge)      ? farBit
          : Equals(text, L"center")  ? centerBit
          : Equals(text, L"stretch") ? stretchBit
                                     : 0u;
  return true;
}
}  // namespace

bool ParseHorizontalAlignment(const wchar_t* text, uint32_t& flags) {
  return ParseAlignment(text, L"right", kAlignRight, kAlignCenterH, kAlignStretchH, flags);
}

bool ParseVerticalAlignment(const wchar_t* text, uint32_t& flags) {
  return ParseAlignment(text, L"bottom", kAlignBottom, kAlignCenterV, kAlignStretchV, flags);
}

bool ParseFontStyle(const wchar_t* text, int32_t& style) {
  if (text == nullptr) return false;
  style = 0;
  ForEachSpaceToken(text, [&](std::wstring_view token) {
    if (token == L"Bold") style |= 1;
    else if (token == L"Italic") style |= 2;
    else if (token == L"Underline") style |= 4;
    else if (token == L"Strikeout") style |= 8;
    // "Normal" and unknown words add nothing.
  });
  return true;
}

bool ParseTextAlignment(const wchar_t* text, int32_t& horizontal, int32_t& vertical) {
  if (text == nullptr) return false;
  ForEachSpaceToken(text, [&](std::wstring_view token) {
    if (token == L"left") horizontal = 0;
    else if (token == L"center") horizontal = 1;
    else if (token == L"right") horizontal = 2;
    else if (token == L"top") vertical = 0;
    else if (token == L"vcenter") vertical = 1;
    else if (token == L"bottom") vertical = 2;
  });
  return true;
}

bool ParseWindowFeatures(const wchar_t* text, WindowFeatures& features) {
  if (text == nullptr) return false;
  const wchar_t* p = text;
  while (*p != L'\0') {
    const wchar_t* item = p;
    while (*p != L'\0' && *p != L',' && *p != L';') ++p;
    const wchar_t* itemEnd = p;
    if (*p != L'\0') ++p;
    while (item < itemEnd && *item == L'=') ++item;
    const wchar_t* nameEnd = item;
    while (nameEnd < itemEnd && *nameEnd != L'=') ++nameEnd;
    const std::wstring_view name(item, static_cast<size_t>(nameEnd - item));
    if (name == L"modal") features.modal = true;
    else if (name == L"center") features.center = true;
    else if (name == L"hidden") features.hidden = true;
    else if (name == L"owner") features.owner = true;
    else if (name == L"notdisableparent") features.notDisableParent = true;
  }
  return true;
}

}  // namespace velmor
