// The attribute value grammars, case by case.
#include <windows.h>

#include <climits>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

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

TEST(IntegerGrammar, ReportsWhereParsingStopped) {
  const wchar_t* text = L"12,34";
  const wchar_t* end = nullptr;
  int32_t value = 0;
  ParseAutoBaseInt(text, value, &end);
  EXPECT_EQ(end, text + 2);
  const wchar_t* none = L"  x";
  ParseDecimalInt(none, value, &end);
  EXPECT_EQ(end, none) << "no digits: parsing stops at the start";
  const wchar_t* hex = L"0x1fg";
  ParseAutoBaseInt(hex, value, &end);
  EXPECT_EQ(end, hex + 4);
  EXPECT_EQ(value, 31);
  // A null text is not recognised and leaves the value alone.
  EXPECT_FALSE(ParseDecimalInt(nullptr, value));
  EXPECT_FALSE(ParseAutoBaseInt(nullptr, value));
  EXPECT_EQ(value, 31);
}

TEST(BooleanGrammar, OnlyExactLowerCaseWords) {
  struct Case {
    const wchar_t* text;
    bool recognised;
    bool value;
  };
  static const Case kCases[] = {
      {L"true", true, true},   {L"false", true, false}, {L"TRUE", false, false},
      {L"True", false, false}, {L"1", false, false},    {L"0", false, false},
      {L"", false, false},     {L" true", false, false}, {L"true ", false, false},
      {L"yes", false, false},
  };
  for (const Case& c : kCases) {
    for (bool initial : {false, true}) {
      bool value = initial;
      EXPECT_EQ(ParseBool(c.text, value), c.recognised) << c.text;
      EXPECT_EQ(value, c.recognised ? c.value : initial) << c.text;
    }
  }
  bool value = true;
  EXPECT_FALSE(ParseBool(nullptr, value));
  EXPECT_TRUE(value);
}

uint32_t Abgr(int r, int g, int b, int a = 255) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(b) << 16) |
         (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(r);
}

// Hexadecimal forms and exact lower-case keywords; what is not recognised leaves the value alone.
TEST(ColorGrammar, HexadecimalFormsAndKeywords) {
  const struct {
    const wchar_t* text;
    bool recognised;
    uint32_t abgr;
  } kCases[] = {
      {L"#FFF", true, Abgr(255, 255, 255)},     {L"#ffffff", true, Abgr(255, 255, 255)},
      {L"#f80", true, Abgr(0xFF, 0x88, 0x00)},  {L"#123456", true, Abgr(0x12, 0x34, 0x56)},
      {L"#aBcDeF", true, Abgr(0xAB, 0xCD, 0xEF)}, {L"#000", true, Abgr(0, 0, 0)},
      {L"#ffff", false, 0},   {L"#gggggg", false, 0}, {L"#", false, 0},        {L"#12345", false, 0},
      {L"#1234567", false, 0}, {L"#ff f", false, 0},  {L"#0x1234", false, 0},  {L"fff", false, 0},
      {L"red", true, 0xFF0000FFu}, {L"Red", false, 0},  {L"RED", false, 0},
      {L"transparent", true, 0u},  {L"Transparent", false, 0}, {L"", false, 0},
      {L"rgb(1,2,3)", false, 0},   {L"red ", false, 0},  {L"blueish", false, 0},
  };
  for (const auto& c : kCases) {
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(ParseColor(c.text, value), c.recognised) << c.text;
    EXPECT_EQ(value, c.recognised ? c.abgr : 0xDEADBEEF) << c.text;
  }
  uint32_t value = 1;
  EXPECT_FALSE(ParseColor(nullptr, value));
  EXPECT_EQ(value, 1u);
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

TEST(MarginListGrammar, FourNumbersWithAnySeparator) {
  struct Case {
    const wchar_t* text;
    bool recognised;
    int32_t left, top, right, bottom;
  };
  static const Case kCases[] = {
      {L"1,2,3,4", true, 1, 2, 3, 4},
      {L"1 2 3 4", true, 1, 2, 3, 4},
      {L"1;2;3;4", true, 1, 2, 3, 4},
      {L"1, 2, 3, 4", true, 1, 2, 3, 4},
      {L"010,0x10,-3,+4", true, 8, 16, -3, 4},
      {L"1,2,3,4,5", true, 1, 2, 3, 4},
      {L"1,,3,4", true, 1, 0, 3, 4},
      {L"1,2", false, 1, 2, 0, 0},
      {L"1,2,3", false, 1, 2, 3, 0},
      {L"5", false, 5, 0, 0, 0},
      {L"", false, 0, 0, 0, 0},
  };
  for (const Case& c : kCases) {
    int32_t m[4] = {99, 99, 99, 99};
    EXPECT_EQ(ParseMarginList(c.text, m), c.recognised) << c.text;
    EXPECT_EQ(std::vector<int32_t>(m, m + 4), (std::vector<int32_t>{c.left, c.top, c.right, c.bottom}))
        << c.text;
  }
  int32_t m[4] = {9, 9, 9, 9};
  EXPECT_FALSE(ParseMarginList(nullptr, m));
  EXPECT_EQ(m[0] | m[1] | m[2] | m[3], 0) << "the output is zeroed first";
}

TEST(CornerSizeGrammar, TwoNumbersOrNothing) {
  struct Case {
    const wchar_t* text;
    bool recognised;
    int32_t x, y;
  };
  static const Case kCases[] = {
      {L"3,4", true, 3, 4},        {L"0x10 010", true, 16, 8}, {L"-1;-2", true, -1, -2},
      {L"3", false, -7, -7},       {L"", false, -7, -7},
  };
  for (const Case& c : kCases) {
    int32_t x = -7, y = -7;
    EXPECT_EQ(ParseCornerSize(c.text, x, y), c.recognised) << c.text;
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.x, c.y)) << c.text;
  }
}

TEST(KeywordGrammars, DrawingModesAndAlignments) {
  struct ModeCase {
    const wchar_t* text;
    bool recognised;
    int32_t mode;
  };
  static const ModeCase kModes[] = {
      {L"stretch", true, 1}, {L"tile", true, 2},    {L"ninegrid", true, 4},
      {L"Stretch", false, 0}, {L"none", false, 0}, {L"", false, 0},
  };
  for (const ModeCase& c : kModes) {
    int32_t mode = 0;
    EXPECT_EQ(ParseImageDrawingMode(c.text, mode), c.recognised) << c.text;
    EXPECT_EQ(mode, c.mode) << c.text;
  }

  struct AlignCase {
    const wchar_t* text;
    uint32_t horizontal;
    uint32_t vertical;
  };
  static const AlignCase kAligns[] = {
      {L"right", 2, 0},   {L"center", 4, 64}, {L"stretch", 1, 16}, {L"bottom", 0, 32},
      {L"left", 0, 0},    {L"top", 0, 0},     {L"Right", 0, 0},    {L"Bottom", 0, 0},
      {L"", 0, 0},
  };
  for (const AlignCase& c : kAligns) {
    uint32_t h = 99, v = 99;
    EXPECT_TRUE(ParseHorizontalAlignment(c.text, h) && ParseVerticalAlignment(c.text, v));
    EXPECT_EQ(std::make_pair(h, v), std::make_pair(c.horizontal, c.vertical)) << c.text;
  }
}

TEST(FontStyleGrammar, WordsSeparatedBySpaces) {
  struct Case {
    const wchar_t* text;
    int32_t style;
  };
  static const Case kCases[] = {
      {L"Bold  Italic", 3},  {L"Bold", 1},       {L"Italic", 2},
      {L"Underline Strikeout", 12}, {L"Normal", 0}, {L"Normal Bold", 1},
      {L"bold", 0},          {L"Bold Bold", 1},  {L"  Italic  ", 2},
      {L"Bold,Italic", 0},   {L"", 0},           {L"Bold Italic Underline Strikeout", 15},
  };
  for (const Case& c : kCases) {
    int32_t style = 0x70;  // the result starts from 0
    EXPECT_TRUE(ParseFontStyle(c.text, style)) << c.text;
    EXPECT_EQ(style, c.style) << c.text;
  }
}

TEST(TextAlignmentGrammar, LaterWordsWinAndOthersKeepDefaults) {
  struct Case {
    const wchar_t* text;
    int32_t horizontal, vertical;
  };
  static const Case kCases[] = {
      {L"center vcenter", 1, 1}, {L"right", 2, 9},     {L"bottom", 9, 2},
      {L"left right", 2, 9},     {L"bottom top", 9, 0}, {L"Center", 9, 9},
      {L"", 9, 9},               {L"right  bottom", 2, 2},
  };
  for (const Case& c : kCases) {
    int32_t h = 9, v = 9;
    EXPECT_TRUE(ParseTextAlignment(c.text, h, v)) << c.text;
    EXPECT_EQ(std::make_pair(h, v), std::make_pair(c.horizontal, c.vertical)) << c.text;
  }
}

TEST(WindowFeatureGrammar, NamedItemsSetFlags) {
  struct Case {
    const wchar_t* text;
    const wchar_t* flags;  // the flags set, in the order modal, center, hidden, owner, notdisableparent
  };
  static const Case kCases[] = {
      {L"modal,center", L"modal center"},        {L"hidden;owner", L"hidden owner"},
      {L"notdisableparent=1", L"notdisableparent"}, {L"modal=no", L"modal"},
      {L"=modal", L"modal"},                     {L" modal", L""},
      {L"Modal", L""},                           {L"modal,,center;", L"modal center"},
      {L"dialog=yes,center", L"center"},         {L"width=300;hidden=", L"hidden"},
      {L"", L""},
  };
  for (const Case& c : kCases) {
    WindowFeatures f;
    EXPECT_TRUE(ParseWindowFeatures(c.text, f)) << c.text;
    std::wstring flags;
    for (const auto& [set, name] : {std::pair{f.modal, L"modal"}, {f.center, L"center"},
                                    {f.hidden, L"hidden"}, {f.owner, L"owner"},
                                    {f.notDisableParent, L"notdisableparent"}})
      if (set) flags += (flags.empty() ? L"" : L" ") + std::wstring(name);
    EXPECT_EQ(flags, c.flags) << c.text;
  }
}

}  // namespace
}  // namespace velmor
