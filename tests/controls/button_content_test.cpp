// Drawn buttons in real windows: the picture of each state under the real pointer and under
// mouse messages, with every fallback between the state pictures, the caption over the picture,
// clicks, the drawing mode and the caption from the text, and the tooltip of the checked state.
//
// Labels in real windows: where their text goes and in what colour, which attributes change the
// drawing in which state, and the members scripts read and set.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "controls/label_content.h"
#include "support/document_fixture.h"

namespace velmor::controls_test {
namespace {

using test::Picture;

constexpr DWORD kGrey = 0x808080;

// Every state picture in a colour of its own.
struct Colour {
  const char* attribute;
  DWORD rgb;
};
const Colour kPictures[] = {{"image", 0xC00000},          {"hoverImage", 0x00C000},
                            {"downImage", 0x0000C0},      {"disabledImage", 0xC0C000},
                            {"checkImage", 0xC000C0},     {"checkHoverImage", 0x00C0C0},
                            {"checkDownImage", 0x604020}, {"checkDisabledImage", 0x206040}};

DWORD ColourOf(const char* attribute) {
  for (const Colour& c : kPictures)
    if (attribute != nullptr && strcmp(c.attribute, attribute) == 0) return c.rgb;
  return kGrey;  // no picture: the panel shows through
}

class ButtonTest : public test::DocumentTest {
 protected:
  // The pointer starts away from every test window: one shown under it would be hovered at once.
  void SetUp() override {
    DocumentTest::SetUp();
    ::SetCursorPos(1, 1);
  }
  // A button 'b' at (20, 20), 80 x 40, over a grey 200 x 120 panel, with the 8 x 8 pictures
  // named in 'present' (attribute names separated by blanks), more attributes and a text between
  // its tags.
  HRESULT LoadButton(const std::string& present, const std::string& more,
                     const std::string& text = "") {
    std::string attributes;
    for (const Colour& c : kPictures) {
      if ((" " + present + " ").find(std::string(" ") + c.attribute + " ") == std::string::npos)
        continue;
      const DWORD rgb = c.rgb;
      attributes += std::string(" ") + c.attribute + "='" +
                    WritePng((std::string(c.attribute) + ".png").c_str(), 8, 8,
                             [rgb](int, int) { return 0xFF000000u | rgb; }) +
                    "'";
    }
    return LoadBody("<subwindow width='200' height='120' backgroundColor='#808080'>"
                    "<button id='b' left='20' top='20' width='80' height='40'" +
                        attributes + " " + more + ">" + text + "</button></subwindow>",
                    200, 120);
  }
  DWORD Shown() { return PrintClient().At(22, 22) & 0xFFFFFFu; }
};

enum class Press { kNone, kHover, kDown, kDraggedOff };

struct PictureCase {
  const char* name;
  const char* present;
  bool checked;
  bool disabled;
  Press press;
  const char* shown;  // the attribute whose picture shows; null for none
  const char* tooltips = "";
  const wchar_t* tip = nullptr;  // the tooltip shown, when checked
};

class ButtonPictureTest : public ButtonTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(ButtonPictureTest, ShowsThePictureOfItsState) {
  const PictureCase& c = GetParam();
  ASSERT_EQ(LoadButton(c.present, std::string(c.disabled ? "disabled='true' " : "") + c.tooltips),
            S_OK);
  Show(300, 200, 200, 120);
  if (c.checked) {
    ASSERT_EQ(Run(L"document.getElementById('b').checked = true;"), S_OK);
  }
  if (c.press != Press::kNone) {
    ::SetCursorPos(300 + 50, 200 + 40);
    Send(WM_MOUSEMOVE, 50, 40);
  }
  if (c.press == Press::kDown || c.press == Press::kDraggedOff)
    Send(WM_LBUTTONDOWN, 50, 40, MK_LBUTTON);
  // Pressed, with the hover gone elsewhere (as when the pointer leaves while the button is held).
  if (c.press == Press::kDraggedOff) {
    ASSERT_EQ(m_document->MouseInput().SetContentState(nullptr, 0x04), S_OK);
  }
  EXPECT_EQ(Shown(), ColourOf(c.shown)) << std::hex << Shown();
  if (c.tip != nullptr) {
    EXPECT_EQ(ToolText(L"b"), c.tip);
  }
  if (c.press == Press::kDown || c.press == Press::kDraggedOff) Send(WM_LBUTTONUP, 150, 100);
}

const char kAll[] =
    "image hoverImage downImage disabledImage checkImage checkHoverImage checkDownImage "
    "checkDisabledImage";
const PictureCase kPictureCases[] = {
    {"OnlyImageWhenNormal", "image", false, false, Press::kNone, "image"},
    {"OnlyImageWhenPressed", "image", true, false, Press::kDown, "image"},
    {"OnlyImageWhenDisabled", "image", true, true, Press::kNone, "image"},
    {"Hover", kAll, false, false, Press::kHover, "hoverImage"},
    {"Down", kAll, false, false, Press::kDown, "downImage"},
    {"DraggedOffLooksNormal", kAll, false, false, Press::kDraggedOff, "image"},
    {"Disabled", kAll, false, true, Press::kNone, "disabledImage"},
    {"Checked", kAll, true, false, Press::kNone, "checkImage"},
    {"CheckedHover", kAll, true, false, Press::kHover, "checkHoverImage",
     "tooltip='Pin' checkTooltip='Unpin'", L"Unpin"},
    {"CheckedDown", kAll, true, false, Press::kDown, "checkDownImage"},
    {"CheckedDraggedOff", kAll, true, false, Press::kDraggedOff, "checkImage"},
    {"CheckedDisabled", kAll, true, true, Press::kNone, "checkDisabledImage"},
    // Checked without a checkTooltip: no tooltip.
    {"CheckedHoverFallsToHoverNotCheck", "image hoverImage checkImage", true, false, Press::kHover,
     "hoverImage", "tooltip='Only'", L""},
    {"CheckedDownFallsToDown", "image downImage checkImage", true, false, Press::kDown,
     "downImage"},
    {"CheckedDisabledFallsToDisabled", "image disabledImage checkImage", true, true, Press::kNone,
     "disabledImage"},
    {"NoImageShowsNothingWhenNormal", "hoverImage", false, false, Press::kNone, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Buttons, ButtonPictureTest, ::testing::ValuesIn(kPictureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Real input through the platform's queue: the pointer put there, and the buttons.
void PointerTo(POINT screen) {
  ::SetCursorPos(screen.x, screen.y);
  test::PumpFor(120);
}

void LeftButton(bool down) {
  test::SendMouseButton(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  test::PumpFor(120);
}

// The parts read the skin as an image and a label would: the pictures in the button's drawing
// mode, and the text between the tags as the caption when there is no "value".
TEST_F(ButtonTest, FollowsTheRealPointerAndClicksOnceUnlessDisabled) {
  ASSERT_EQ(LoadButton("image hoverImage downImage disabledImage",
                       "stretchMode='stretch' fontFace='Tahoma' fontSize='20' "
                       "textAlignment='center vcenter' foregroundColor='#000000' "
                       "hoverForegroundColor='#FFFFFF' onclick='clicks++;'",
                       "Go"),
            S_OK);
  ASSERT_EQ(Run(L"var clicks = 0;"), S_OK);
  Show(300, 200, 200, 120);
  const POINT over{300 + 60, 200 + 40}, off{300 + 160, 200 + 100}, outside{300 + 260, 200 + 60};
  const RECT caption{40, 25, 80, 55};

  PointerTo(off);
  EXPECT_EQ(Shown(), ColourOf("image"));
  EXPECT_EQ(PrintClient().At(98, 58), ColourOf("image")) << "stretched over the whole button";
  EXPECT_GT(PrintClient().Count(caption, 0x000000), 0) << "the caption over the picture";
  PointerTo(over);
  EXPECT_EQ(Shown(), ColourOf("hoverImage"));
  EXPECT_GT(PrintClient().Count(caption, 0xFFFFFF), 0) << "the caption follows the hover";
  LeftButton(true);
  EXPECT_EQ(Shown(), ColourOf("downImage"));
  PointerTo(outside);
  EXPECT_EQ(Shown(), ColourOf("image")) << "pressed and dragged out of the window";
  LeftButton(false);
  EXPECT_EQ(Eval(L"clicks"), L"0") << "released elsewhere: no click";

  PointerTo(over);
  // Past the double-click time, so the press is a press and not the second half of a double click.
  test::PumpFor(::GetDoubleClickTime() + 50);
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(Eval(L"clicks"), L"1");
  EXPECT_EQ(Shown(), ColourOf("hoverImage"));

  ASSERT_EQ(Run(L"document.getElementById('b').disabled = true;"), S_OK);
  EXPECT_EQ(Shown(), ColourOf("disabledImage"));
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(Eval(L"clicks"), L"1") << "a disabled button is not clicked";
  EXPECT_EQ(Shown(), ColourOf("disabledImage"));
  PointerTo(off);
}

namespace labels {

// The grey panel under the labels; they stand inside it, so the mouse reaches them.
std::string InPanel(const std::string& elements) {
  return "<subwindow width='240' height='160' backgroundColor='#808080'>" + elements +
         "</subwindow>";
}
const char kFont[] = " fontFace='Tahoma' fontSize='20'";

// The pixels of a rectangle that differ from the grey background.
struct Ink {
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};  // relative to the rectangle
  std::vector<bool> mask;
  int count = 0;
};

Ink InkIn(const Picture& p, const RECT& r) {
  Ink ink;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const bool on = (p.At(x, y) & 0xFFFFFFu) != kGrey;
      ink.mask.push_back(on);
      if (!on) continue;
      ++ink.count;
      ink.box = {std::min<LONG>(ink.box.left, x - r.left), std::min<LONG>(ink.box.top, y - r.top),
                 std::max<LONG>(ink.box.right, x - r.left + 1),
                 std::max<LONG>(ink.box.bottom, y - r.top + 1)};
    }
  }
  return ink;
}

// Label "a" at (10, 10) and label "b" at (10, 80), both 200 x 60: a is drawn with its
// attributes (hovered when asked) and compared with b.
struct CompareCase {
  const char* name;
  const char* a;
  bool hoverA;
  const char* b;
  bool sameInk;
  DWORD colourA;  // a colour a's text must show
};

// Labels are tested with the buttons' pointer set-up.
using LabelTest = ButtonTest;

class LabelCompareTest : public LabelTest, public ::testing::WithParamInterface<CompareCase> {};

TEST_P(LabelCompareTest, DrawsAsItsAttributesAndStateSay) {
  const CompareCase& c = GetParam();
  ASSERT_EQ(LoadBody(InPanel(std::string("<label id='a' left='10' top='10' width='200' height='60'") + kFont +
                         " foregroundColor='#000000' " + c.a +
                         "/><label id='b' left='10' top='80' width='200' height='60'" + kFont +
                         " foregroundColor='#000000' " + c.b + "/>"),
                     240, 160),
            S_OK);
  Show(300, 200, 240, 160);
  if (c.hoverA) {
    ::SetCursorPos(300 + 20, 200 + 20);
    Send(WM_MOUSEMOVE, 20, 20);
  }
  const Picture p = PrintClient();
  const Ink a = InkIn(p, RECT{10, 10, 210, 70}), b = InkIn(p, RECT{10, 80, 210, 140});
  ASSERT_GT(a.count, 0);
  ASSERT_GT(b.count, 0);
  EXPECT_EQ(a.mask == b.mask, c.sameInk) << "a's ink " << a.box << ", b's " << b.box;
  EXPECT_GT(p.Count(RECT{10, 10, 210, 70}, c.colourA), 0) << std::hex << c.colourA;
}

const CompareCase kCompareCases[] = {
    {"WrongCaseAlignmentWordsDoNotCentre", "value='Mid' textAlignment='Center VCenter'", false,
     "value='Mid'", true, 0x000000},
    {"AlignmentWordsMoveTheText", "value='Mid' textAlignment='right bottom'", false, "value='Mid'",
     false, 0x000000},
    {"HoverColourAloneKeepsTheFont", "value='Hover' hoverForegroundColor='#00FF00'", true,
     "value='Hover'", true, 0x00FF00},
    {"HoverFontSizeChangesTheFont", "value='Hover' hoverFontSize='30'", true, "value='Hover'",
     false, 0x000000},
    {"HoverVariantsWaitForTheHover", "value='Still' hoverForegroundColor='#00FF00' "
     "hoverFontStyle='Bold'", false, "value='Still'", true, 0x000000},
    {"DisabledColourWins", "value='Off' disabled='true' disabledForegroundColor='#0000FF' "
     "hoverForegroundColor='#00FF00'", false, "value='Off'", true, 0x0000FF},
    {"TextBetweenTheTagsStandsForAnEmptyValue", "value=''>Text</label><label width='1'", false,
     "value='Text'", true, 0x000000},
};

INSTANTIATE_TEST_SUITE_P(Labels, LabelCompareTest, ::testing::ValuesIn(kCompareCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LabelTest, TextStaysInsideTheBoxAndCentresAcross) {
  const std::string text = "WWWWWWWWWWWWWWWWWWWWWWWW";
  ASSERT_EQ(LoadBody(InPanel(std::string("<label left='20' top='10' width='60' height='40'") + kFont +
                         " foregroundColor='#FF0000' value='" + text + "'/>"
                         "<label left='100' top='10' width='60' height='80' wordWrap='true'" +
                         kFont + " foregroundColor='#FF0000' value='" + text + "'/>"
                         "<label left='20' top='100' width='100' height='50' " + kFont +
                         " value='H' textAlignment='center vcenter'/>"),
                     240, 160),
            S_OK);
  const Picture p = PrintClient();
  const Ink cut = InkIn(p, RECT{20, 10, 80, 50}), wrapped = InkIn(p, RECT{100, 10, 160, 90});
  EXPECT_GT(p.Count(RECT{20, 10, 80, 50}, 0xFF0000), 20);
  EXPECT_LE(cut.box.right, 60) << "one line, cut at the box's right edge";
  EXPECT_GT(cut.box.right, 30);
  EXPECT_LT(cut.box.bottom, 30);
  EXPECT_GT(wrapped.box.bottom, 50) << "wrapped onto several lines";
  // Nothing outside the boxes but the background.
  const Ink all = InkIn(p, RECT{0, 0, 240, 160});
  EXPECT_EQ(all.count, cut.count + wrapped.count + InkIn(p, RECT{20, 100, 120, 150}).count);

  // Centred across: the capital's ink sits in the middle of the box, within a pixel or two.
  const Ink h = InkIn(p, RECT{20, 100, 120, 150});
  EXPECT_NEAR(h.box.left + h.box.right, 100, 3) << h.box;
}

// Centred down, one em (20 pixels of Tahoma at size 20) sits in the middle of the box, not the
// whole line with its leading as GDI+ would put it; top and bottom keep GDI+'s own placing.
TEST_F(LabelTest, VerticalCentringCentresOneEmAndMovesWithHalfTheHeight) {
  struct Row {
    const char* alignment;
    int height;
    int shift;  // of the ink against the top-aligned label's, in the box; -1: past the em box
  };
  static const Row kRows[] = {{"left top", 60, 0}, {"left vcenter", 60, 20},
                              {"left vcenter", 40, 10}, {"left bottom", 60, -1}};
  std::string labels;
  for (const Row& r : kRows)
    labels += "<label left='" + std::to_string(10 + 50 * (&r - kRows)) + "' top='" +
              std::to_string(10 + 10 * (&r - kRows)) + "' width='40' height='" +
              std::to_string(r.height) + "'" + kFont + " value='H' textAlignment='" + r.alignment +
              "'/>";
  ASSERT_EQ(LoadBody(InPanel(labels), 240, 160), S_OK);
  const Picture p = PrintClient();
  auto inkOf = [&](const Row& r) {
    const LONG x = 10 + 50 * static_cast<LONG>(&r - kRows), y = 10 + 10 * (&r - kRows);
    return InkIn(p, RECT{x, y, x + 40, y + r.height});
  };
  const Ink top = inkOf(kRows[0]);
  ASSERT_GT(top.count, 0);
  for (const Row& r : kRows) {
    const Ink ink = inkOf(r);
    SCOPED_TRACE(r.alignment + std::string(" ") + std::to_string(r.height));
    if (r.shift >= 0) {
      EXPECT_EQ(ink.count, top.count) << "the same glyph, moved by whole pixels";
      EXPECT_EQ(ink.box.top - top.box.top, r.shift);
      EXPECT_EQ(ink.box.bottom - top.box.bottom, r.shift);
    } else {
      // GDI+ puts the whole line, 24 pixels and a little, at the bottom.
      EXPECT_GE(ink.box.top - top.box.top, 35);
      EXPECT_LE(ink.box.top - top.box.top, 36);
    }
  }
}

TEST_F(LabelTest, AnAmpersandUnderlinesTheNextLetterAndIsNotDrawn) {
  ASSERT_EQ(LoadBody(InPanel(std::string("<label left='10' top='10' width='100' height='40'") + kFont +
                         " value='&amp;S'/><label left='10' top='60' width='100' height='40'" +
                         kFont + " value='S'/><label left='10' top='110' width='100' height='40'" +
                         kFont + " value='&amp;&amp;S'/>"),
                     240, 160),
            S_OK);
  const Picture p = PrintClient();
  const Ink hot = InkIn(p, RECT{10, 10, 110, 50}), plain = InkIn(p, RECT{10, 60, 110, 100}),
            doubled = InkIn(p, RECT{10, 110, 110, 150});
  // Every pixel of the plain S is drawn, and a line below it.
  for (size_t i = 0; i < plain.mask.size(); ++i) {
    if (plain.mask[i]) {
      ASSERT_TRUE(hot.mask[i]) << "pixel " << i % 100 << "," << i / 100;
    }
  }
  EXPECT_GT(hot.box.bottom, plain.box.bottom) << "underlined";
  EXPECT_NEAR(hot.box.right, plain.box.right, 1) << "no ampersand before the S";
  EXPECT_GT(doubled.box.right, plain.box.right + 5) << "'&&' draws one ampersand";
}

TEST_F(LabelTest, ScriptsReadAndSetTheTextAndItsColour) {
  ASSERT_EQ(LoadBody(InPanel(std::string("<label id='t' width='200' height='40'") + kFont +
                             ">Between</label>"),
                     240, 160),
            S_OK);
  const RECT box{0, 0, 200, 40};
  EXPECT_EQ(Eval(L"document.getElementById('t').value"), L"Between");
  EXPECT_EQ(Eval(L"typeof document.getElementById('t').foregroundColor"), L"undefined");
  const Ink before = InkIn(PrintClient(), box);
  EXPECT_GT(PrintClient().Count(box, 0x000000), 0) << "black by default";

  ASSERT_EQ(Run(L"var t = document.getElementById('t'); t.value = 'Set by script';"
                L"t.foregroundColor = '#00ff00';"),
            S_OK);
  Picture p = PrintClient();
  EXPECT_NE(InkIn(p, box).mask, before.mask);
  EXPECT_GT(p.Count(box, 0x00FF00), 0);
  EXPECT_EQ(Eval(L"t.value + ',' + t.foregroundColor"), L"Set by script,#00ff00");

  // A number is the colour as 0xAARRGGBB; an empty text hides the label's text altogether.
  ASSERT_EQ(Run(L"t.foregroundColor = 0xFF0000FF;"), S_OK);
  EXPECT_GT(PrintClient().Count(box, 0x0000FF), 0);
  EXPECT_EQ(Eval(L"t.foregroundColor"), L"4278190335");
  ASSERT_EQ(Run(L"t.value = '';"), S_OK);
  EXPECT_EQ(InkIn(PrintClient(), box).count, 0);
}

// A long text set by a script in a box reaching below the window: GDI+ is handed only the lines
// that can show, and they must be the pixels the whole text gives. The reference is the same
// label's text drawn whole with bare GDI+ and the paint's settings over the same grey.
struct LongTextCase {
  const char* name;
  const char* attributes;
  int height;
  const wchar_t* words;  // repeated with a number into a text longer than 512 characters
};

class LabelLongTextTest : public LabelTest, public ::testing::WithParamInterface<LongTextCase> {};

TEST_P(LabelLongTextTest, DrawsTheVisibleLinesAsTheWholeTextDoes) {
  const LongTextCase& c = GetParam();
  ASSERT_EQ(LoadBody("<subwindow width='240' height='700' backgroundColor='#808080'>"
                     "<label id='t' left='10' top='10' width='200' height='" +
                         std::to_string(c.height) + "' fontFace='Tahoma' fontSize='13' " +
                         c.attributes + "/></subwindow>",
                     240, 160),
            S_OK);
  ASSERT_EQ(Run(std::wstring(L"var s = ''; for (var i = 0; i < 90; i++) s += '") + c.words +
                L"' + i + ' '; document.getElementById('t').value = s;"),
            S_OK);
  const std::wstring text = Eval(L"document.getElementById('t').value");
  ASSERT_GT(text.size(), 512u);
  const Picture drawn = PrintClient();

  Gdiplus::Bitmap whole(240, 160, PixelFormat32bppRGB);
  {
    Gdiplus::Graphics graphics(&whole);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.Clear(Gdiplus::Color(0xFF808080));
    graphics.TranslateTransform(10, 10);
    scIContent* label = Element(L"t");
    DrawLabelText(&graphics, label, text, ChooseLabelLook(label, 0), 200, c.height,
                  scLabelTextCut::kNone);
  }
  const std::vector<DWORD> reference = test::PictureOf(whole).pixels;
  const size_t first =
      std::mismatch(drawn.pixels.begin(), drawn.pixels.end(), reference.begin()).first -
      drawn.pixels.begin();
  EXPECT_EQ(first, drawn.pixels.size())
      << "first difference at " << first % 240 << "," << first / 240;
  EXPECT_GT(InkIn(drawn, RECT{10, 10, 210, 160}).count, 200) << "text shows";
}

const LongTextCase kLongTextCases[] = {
    {"WrappedFromTheTop", "wordWrap='true' textAlignment='left top'", 680, L"lorem ipsum dolor"},
    {"WrappedAndCentred", "wordWrap='true' textAlignment='center vcenter'", 220, L"sit amet"},
    {"RightAlignedWithAmpersands", "wordWrap='true' textAlignment='right top'", 680,
     L"a&b c&&d &e"},
    {"BottomAlignedIsDrawnWhole", "wordWrap='true' textAlignment='left bottom'", 300, L"abc"},
    {"UnwrappedLines", "textAlignment='left top'", 680, L"line\\n"},
};

INSTANTIATE_TEST_SUITE_P(Labels, LabelLongTextTest, ::testing::ValuesIn(kLongTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace labels

}  // namespace
}  // namespace velmor::controls_test
