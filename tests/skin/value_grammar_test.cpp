// The attribute value grammars, case by case.
#include <windows.h>

#include <climits>
#include <cwchar>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "skin/value_grammar.h"

namespace velmor {
namespace {

struct IntCase {
  const wchar_t* text;
  int32_t decimal;
  int32_t autoBase;
};

TEST(IntegerGrammar, DecimalAndAutomaticBase) {
  static const IntCase kCases[] = {
      {L"010", 10, 8},        {L"0x10", 0, 16},       {L"0X1f", 0, 31},      {L"08", 8, 0},
      {L"0x", 0, 0},          {L"42", 42, 42},        {L"  \t42", 42, 42},   {L"\r\n7", 7, 7},
      {L"-17px", -17, -17},   {L"+5", 5, 5},          {L"-0x10", 0, -16},    {L"", 0, 0},
      {L"abc", 0, 0},         {L"- 3", 0, 0},         {L"0xffffffff", 0, INT_MAX},
      {L"2147483647", INT_MAX, INT_MAX},     {L"2147483648", INT_MAX, INT_MAX},
      {L"-2147483648", INT_MIN, INT_MIN},    {L"-99999999999", INT_MIN, INT_MIN},
      {L"017777777777777", INT_MAX, INT_MAX},
  };
  for (const IntCase& c : kCases) {
    int32_t value = 12345;
    EXPECT_TRUE(ParseDecimalInt(c.text, value)) << c.text;
    EXPECT_EQ(value, c.decimal) << L"decimal " << c.text;
    value = 12345;
    EXPECT_TRUE(ParseAutoBaseInt(c.text, value)) << c.text;
    EXPECT_EQ(value, c.autoBase) << L"auto " << c.text;
  }
}

uint32_t Abgr(int r, int g, int b, int a = 255) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(b) << 16) |
         (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(r);
}

TEST(ColorGrammar, CssKeywordsInOrderWithTheirStandardValues) {
  int count = 0;
  const NamedColor* table = CssColorKeywords(&count);
  ASSERT_EQ(count, 147);
  // The parser searches the table in order: it must be sorted, and every name must parse.
  for (int i = 0; i < count; ++i) {
    uint32_t value = 0;
    EXPECT_TRUE(ParseColor(table[i].name, value)) << table[i].name;
    if (i > 0) {
      EXPECT_LT(wcscmp(table[i - 1].name, table[i].name), 0) << table[i].name;
    }
  }
  const struct {
    const wchar_t* name;
    int r, g, b;
  } spots[] = {{L"aliceblue", 240, 248, 255},     {L"darkgoldenrod", 184, 134, 11},
               {L"gray", 128, 128, 128},          {L"grey", 128, 128, 128},
               {L"mediumvioletred", 199, 21, 133}, {L"rebeccapurple", -1, 0, 0},
               {L"lightgoldenrodyellow", 250, 250, 210}, {L"yellowgreen", 154, 205, 50}};
  for (const auto& c : spots) {
    uint32_t value = 0;
    EXPECT_EQ(ParseColor(c.name, value), c.r >= 0) << c.name;
    if (c.r >= 0) {
      EXPECT_EQ(value, Abgr(c.r, c.g, c.b)) << c.name;
    }
  }
}

TEST(ColorGrammar, SystemColorsReadTheCurrentScheme) {
  struct Case {
    const wchar_t* name;
    int index;
  };
  static const Case kCases[] = {
      {L"activeborder", 10},      {L"activecaption", 2},       {L"appworkspace", 12},
      {L"background", 1},         {L"buttonface", 15},         {L"buttonhighlight", 20},
      {L"buttonshadow", 16},      {L"buttontext", 18},         {L"captiontext", 9},
      {L"graytext", 17},          {L"highlight", 13},          {L"highlighttext", 14},
      {L"inactiveborder", 11},    {L"inactivecaption", 3},     {L"inactivecaptiontext", 19},
      {L"infobackground", 24},    {L"infotext", 23},           {L"menu", 4},
      {L"menutext", 7},           {L"scrollbar", 0},           {L"threeddarkshadow", 21},
      {L"threedface", 15},        {L"threedhighlight", 20},    {L"threedlightshadow", 22},
      {L"threedshadow", 16},      {L"window", 5},              {L"windowframe", 6},
      {L"windowtext", 8},
  };
  for (const Case& c : kCases) {
    uint32_t value = 0;
    ASSERT_TRUE(ParseColor(c.name, value)) << c.name;
    EXPECT_EQ(value, 0xFF000000u | ::GetSysColor(c.index)) << c.name;
  }

  // Changing the scheme changes what the names mean at the next parse.
  const COLORREF saved = ::GetSysColor(COLOR_BTNFACE);
  const int element = COLOR_BTNFACE;
  const COLORREF probe = saved == RGB(1, 2, 3) ? RGB(4, 5, 6) : RGB(1, 2, 3);
  ASSERT_TRUE(::SetSysColors(1, &element, &probe));
  uint32_t face = 0, threed = 0;
  EXPECT_TRUE(ParseColor(L"buttonface", face));
  EXPECT_TRUE(ParseColor(L"threedface", threed));
  ::SetSysColors(1, &element, &saved);
  EXPECT_EQ(face, 0xFF000000u | probe);
  EXPECT_EQ(threed, face);
}

enum Grammar {
  kDecimal, kAutoBase, kBool, kColor, kMargins, kCorner, kMode, kAlign, kFontStyle, kTextAlign,
  kFeatures
};

// What a grammar makes of a text: the value, after "!" when the text is not recognised, and for
// an integer "@" and where parsing stopped. Outputs start from marker values, so what is left
// behind shows: an integer from 12345, a boolean from false and from true, a colour from deadbeef,
// margins from 99, a corner from -7, alignment flags from 99, a font style from 0x70 and text
// alignment from 9.
std::wstring Parse(Grammar grammar, const wchar_t* text) {
  auto n = [](auto value) { return std::to_wstring(value); };
  auto mark = [](bool ok) { return std::wstring(ok ? L"" : L"!"); };
  // Grammars of one or two numbers.
  auto one = [&](auto parse, int32_t value) {
    const bool ok = parse(text, value);
    return mark(ok) + n(value);
  };
  auto two = [&](auto parse, auto a, auto b, const wchar_t* between) {
    const bool ok = parse(text, a, b);
    return mark(ok) + n(a) + between + n(b);
  };
  switch (grammar) {
    case kDecimal:
    case kAutoBase: {
      int32_t value = 12345;
      const wchar_t* end = nullptr;
      const bool ok = grammar == kDecimal ? ParseDecimalInt(text, value, &end)
                                          : ParseAutoBaseInt(text, value, &end);
      return mark(ok) + n(value) + (end != nullptr ? L"@" + n(end - text) : L"");
    }
    case kBool: {
      bool fromFalse = false, fromTrue = true;
      const bool ok = ParseBool(text, fromFalse);
      EXPECT_EQ(ParseBool(text, fromTrue), ok);
      return mark(ok) + (fromFalse ? L"true" : L"false") + (fromTrue ? L",true" : L",false");
    }
    case kColor: {
      uint32_t abgr = 0xDEADBEEF;
      const bool ok = ParseColor(text, abgr);
      wchar_t hex[12];
      swprintf(hex, 12, L"%08x", abgr);
      return mark(ok) + hex;
    }
    case kMargins: {
      int32_t m[4] = {99, 99, 99, 99};
      const bool ok = ParseMarginList(text, m);
      return mark(ok) + n(m[0]) + L"," + n(m[1]) + L"," + n(m[2]) + L"," + n(m[3]);
    }
    case kCorner:
      return two(ParseCornerSize, int32_t{-7}, int32_t{-7}, L",");
    case kMode:
      return one(ParseImageDrawingMode, 0);
    case kAlign:
      return two([](const wchar_t* t, uint32_t& h, uint32_t& v) {
        return ParseHorizontalAlignment(t, h) & ParseVerticalAlignment(t, v);
      }, 99u, 99u, L"/");
    case kFontStyle:
      return one(ParseFontStyle, 0x70);
    case kTextAlign:
      return two(ParseTextAlignment, int32_t{9}, int32_t{9}, L"/");
    case kFeatures: {
      WindowFeatures f;
      const bool ok = ParseWindowFeatures(text, f);
      std::wstring out;
      for (const auto& [set, name] : {std::pair{f.modal, L"modal"}, {f.center, L"center"},
                                      {f.hidden, L"hidden"}, {f.owner, L"owner"},
                                      {f.notDisableParent, L"notdisableparent"}})
        if (set) out += (out.empty() ? L"" : L" ") + std::wstring(name);
      return mark(ok) + out;
    }
  }
  return L"(no such grammar)";
}

TEST(ValueGrammars, EachTextGivesItsValue) {
  static const struct {
    Grammar grammar;
    const wchar_t* text;
    const wchar_t* value;
  } kCases[] = {
      // Where integer parsing stopped (the values are the table above's); a null text is refused.
      {kAutoBase, L"12,34", L"12@2"}, {kDecimal, L"  x", L"0@0"}, {kAutoBase, L"0x1fg", L"31@4"},
      {kDecimal, nullptr, L"!12345"}, {kAutoBase, nullptr, L"!12345"},
      // Booleans: only the exact lower-case words.
      {kBool, L"true", L"true,true"}, {kBool, L"false", L"false,false"},
      {kBool, L"TRUE", L"!false,true"}, {kBool, L"True", L"!false,true"},
      {kBool, L"1", L"!false,true"}, {kBool, L"0", L"!false,true"}, {kBool, L"", L"!false,true"},
      {kBool, L" true", L"!false,true"}, {kBool, L"true ", L"!false,true"},
      {kBool, L"yes", L"!false,true"}, {kBool, nullptr, L"!false,true"},
      // Colours: hexadecimal forms and exact lower-case keywords.
      {kColor, L"#FFF", L"ffffffff"}, {kColor, L"#ffffff", L"ffffffff"},
      {kColor, L"#f80", L"ff0088ff"}, {kColor, L"#123456", L"ff563412"},
      {kColor, L"#aBcDeF", L"ffefcdab"}, {kColor, L"#000", L"ff000000"},
      {kColor, L"red", L"ff0000ff"}, {kColor, L"transparent", L"00000000"},
      {kColor, L"#ffff", L"!deadbeef"}, {kColor, L"#gggggg", L"!deadbeef"},
      {kColor, L"#", L"!deadbeef"}, {kColor, L"#12345", L"!deadbeef"},
      {kColor, L"#1234567", L"!deadbeef"}, {kColor, L"#ff f", L"!deadbeef"},
      {kColor, L"#0x1234", L"!deadbeef"}, {kColor, L"fff", L"!deadbeef"},
      {kColor, L"Red", L"!deadbeef"}, {kColor, L"RED", L"!deadbeef"},
      {kColor, L"Transparent", L"!deadbeef"}, {kColor, L"", L"!deadbeef"},
      {kColor, L"rgb(1,2,3)", L"!deadbeef"}, {kColor, L"red ", L"!deadbeef"},
      {kColor, L"blueish", L"!deadbeef"}, {kColor, nullptr, L"!deadbeef"},
      // Margins: four numbers with any separator; the output is zeroed first.
      {kMargins, L"1,2,3,4", L"1,2,3,4"}, {kMargins, L"1 2 3 4", L"1,2,3,4"},
      {kMargins, L"1;2;3;4", L"1,2,3,4"}, {kMargins, L"1, 2, 3, 4", L"1,2,3,4"},
      {kMargins, L"010,0x10,-3,+4", L"8,16,-3,4"}, {kMargins, L"1,2,3,4,5", L"1,2,3,4"},
      {kMargins, L"1,,3,4", L"1,0,3,4"}, {kMargins, L"1,2", L"!1,2,0,0"},
      {kMargins, L"1,2,3", L"!1,2,3,0"}, {kMargins, L"5", L"!5,0,0,0"},
      {kMargins, L"", L"!0,0,0,0"}, {kMargins, nullptr, L"!0,0,0,0"},
      // Corner sizes: two numbers or nothing.
      {kCorner, L"3,4", L"3,4"}, {kCorner, L"0x10 010", L"16,8"}, {kCorner, L"-1;-2", L"-1,-2"},
      {kCorner, L"3", L"!-7,-7"}, {kCorner, L"", L"!-7,-7"},
      // Drawing modes and alignments: exact lower-case words.
      {kMode, L"stretch", L"1"}, {kMode, L"tile", L"2"}, {kMode, L"ninegrid", L"4"},
      {kMode, L"Stretch", L"!0"}, {kMode, L"none", L"!0"}, {kMode, L"", L"!0"},
      {kAlign, L"right", L"2/0"}, {kAlign, L"center", L"4/64"}, {kAlign, L"stretch", L"1/16"},
      {kAlign, L"bottom", L"0/32"}, {kAlign, L"left", L"0/0"}, {kAlign, L"top", L"0/0"},
      {kAlign, L"Right", L"0/0"}, {kAlign, L"Bottom", L"0/0"}, {kAlign, L"", L"0/0"},
      // Font styles: words separated by spaces; the result starts from 0.
      {kFontStyle, L"Bold  Italic", L"3"}, {kFontStyle, L"Bold", L"1"},
      {kFontStyle, L"Italic", L"2"}, {kFontStyle, L"Underline Strikeout", L"12"},
      {kFontStyle, L"Normal", L"0"}, {kFontStyle, L"Normal Bold", L"1"},
      {kFontStyle, L"bold", L"0"}, {kFontStyle, L"Bold Bold", L"1"},
      {kFontStyle, L"  Italic  ", L"2"}, {kFontStyle, L"Bold,Italic", L"0"},
      {kFontStyle, L"", L"0"}, {kFontStyle, L"Bold Italic Underline Strikeout", L"15"},
      // Text alignment: later words win, the other axis keeps its default.
      {kTextAlign, L"center vcenter", L"1/1"}, {kTextAlign, L"right", L"2/9"},
      {kTextAlign, L"bottom", L"9/2"}, {kTextAlign, L"left right", L"2/9"},
      {kTextAlign, L"bottom top", L"9/0"}, {kTextAlign, L"Center", L"9/9"},
      {kTextAlign, L"", L"9/9"}, {kTextAlign, L"right  bottom", L"2/2"},
      // Window features: named items set flags, whatever their values.
      {kFeatures, L"modal,center", L"modal center"}, {kFeatures, L"hidden;owner", L"hidden owner"},
      {kFeatures, L"notdisableparent=1", L"notdisableparent"}, {kFeatures, L"modal=no", L"modal"},
      {kFeatures, L"=modal", L"modal"}, {kFeatures, L" modal", L""}, {kFeatures, L"Modal", L""},
      {kFeatures, L"modal,,center;", L"modal center"}, {kFeatures, L"dialog=yes,center", L"center"},
      {kFeatures, L"width=300;hidden=", L"hidden"}, {kFeatures, L"", L""},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(Parse(c.grammar, c.text), c.value) << c.grammar << " " << (c.text ? c.text : L"(null)");
}

}  // namespace
}  // namespace velmor
