// Painting a document window: what WM_PRINTCLIENT and WM_PAINT put on the surface, the order and
// clipping of the walk, the paint locks, and the double buffer's placement of the partial repaint
// after a script moved many elements in one message.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/handles.h"
#include "render/paint.h"
#include "skin/text_base_content.h"
#include "support/document_fixture.h"

namespace velmor::paint_test {
namespace {

using test::Picture;
using PaintTest = test::DocumentTest;
using test::Hex;

constexpr DWORD kGrey = 0x808080, kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00,
                kBlack = 0x000000, kWhite = 0xFFFFFF;

std::string Panel(const char* id, int x, int y, int w, int h, DWORD rgb,
                  const std::string& children = "", const char* more = "") {
  std::string xml = "<subwindow id=\"" + std::string(id) + "\" left=\"" + std::to_string(x) +
                    "\" top=\"" + std::to_string(y) + "\" width=\"" + std::to_string(w) +
                    "\" height=\"" + std::to_string(h) + "\" backgroundColor=\"" + Hex(rgb) +
                    "\" " + more;
  return children.empty() ? xml + "/>" : xml + ">" + children + "</subwindow>";
}

class WindowPaintTest : public PaintTest {
 protected:
  // Wine copies a window's surface to the X server from its message loop, a little after the
  // paint: let that happen before the screen is read.
  static void Settle() { test::PumpFor(150); }
};

// Hidden and paint-locked elements leave out their whole subtrees.
TEST_F(WindowPaintTest, PrintClientPaintsEveryElementWithLaterSiblingsOnTop) {
  const std::string child = Panel("c", 2, 3, 4, 4, kBlue);
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 60, 30, kGrey) + Panel("a", 5, 5, 20, 10, kRed) +
                     Panel("b", 15, 5, 20, 10, kBlue) + Panel("shown", 40, 15, 10, 10, kRed, child) +
                     Panel("hidden", 48, 2, 10, 10, kRed, child, "visible=\"false\"") +
                     Panel("locked", 5, 18, 10, 10, kRed, child),
                 60, 30),
            S_OK);
  ASSERT_EQ(Run(L"document.getElementById('locked').lock(1);"), S_OK);
  EXPECT_EQ(PrintClient().Count(RECT{5, 18, 15, 28}, kGrey), 100);
  ASSERT_EQ(Run(L"document.getElementById('locked').unlock(1);"), S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.Count(RECT{7, 21, 11, 25}, kBlue), 16) << "painted again once unlocked";
  EXPECT_EQ(p.At(2, 2), kGrey);
  EXPECT_EQ(p.At(10, 8), kRed);
  EXPECT_EQ(p.At(20, 8), kBlue) << "the later sibling is drawn over the earlier one";
  EXPECT_EQ(p.At(34, 14), kBlue);
  EXPECT_EQ(p.At(37, 25), kGrey);
  EXPECT_EQ(p.Count(RECT{42, 18, 46, 22}, kBlue), 16);
  EXPECT_EQ(p.At(46, 22), kRed);
  EXPECT_EQ(p.At(41, 17), kRed);
  EXPECT_EQ(p.Count(RECT{48, 2, 58, 12}, kGrey), 100);
  // The whole client area is covered: nothing of the surface's previous content is left.
  EXPECT_EQ(p.Count(RECT{0, 0, 60, 30}, 0x123456), 0);
  // A control paints the window under its own box: the context's origin moved to the box and
  // clipped to it. That box shows what the window shows there.
  test::DibCanvas box(10, 10);
  box.Fill(0x123456);
  ::SetViewportOrgEx(box.DC(), -10, -3, nullptr);
  ::IntersectClipRect(box.DC(), 10, 3, 20, 13);
  ::SendMessageW(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(box.DC()), PRF_CLIENT);
  const Picture part = box.Take();
  EXPECT_EQ(part.At(0, 0), kGrey);
  EXPECT_EQ(part.At(2, 5), kRed);
  EXPECT_EQ(part.At(8, 9), kBlue);
}

TEST_F(WindowPaintTest, ChildrenMeetingTheClipAreDrawnWholeAndOthersSkipped) {
  ASSERT_EQ(LoadBody(Panel("a", 0, 0, 20, 20, kRed) + Panel("b", 30, 0, 20, 20, kBlue) +
                     Panel("n", 12, 30, 10, 10, kGreen,
                           Panel("m", 2, 0, 4, 4, kWhite) + Panel("o", 2, 5, 4, 4, kBlue)),
                 50, 40),
            S_OK);
  // The clip covers a corner of "a" and the top of "n" only.
  const Picture p = PaintTree(RECT{15, 15, 25, 33}, 0xFF000000);
  EXPECT_EQ(p.Count(RECT{0, 0, 20, 20}, kRed), 400) << "drawing is not clipped to the area";
  EXPECT_EQ(p.Count(RECT{30, 0, 50, 20}, kBlack), 400) << "a child outside the area is skipped";
  // Inside "n" the clip, now in its coordinates (3, 0)-(10, 3), meets "m" but not "o".
  EXPECT_EQ(p.Count(RECT{14, 30, 18, 34}, kWhite), 16);
  EXPECT_EQ(p.Count(RECT{12, 30, 22, 40}, kGreen), 100 - 16);
}

// The window's paint copies bitmaps into its buffer itself; painted through GDI+ into a device
// context, with the paint's own settings, the same tree must look the same, pixel for pixel,
// however the image is scaled, placed or blended.
TEST_F(WindowPaintTest, BitmapsCopiedIntoTheBufferMatchGdiPlus) {
  static const struct {
    const char* name;
    int width, height;  // of the image
    bool translucent;
    const char* attributes;
  } kCases[] = {
      {"enlarged by odd factors", 7, 5, false, "left=\"3\" top=\"2\" width=\"23\" height=\"17\" stretchMode=\"stretch\""},
      {"reduced", 9, 9, false, "left=\"3\" top=\"2\" width=\"4\" height=\"6\" stretchMode=\"stretch\""},
      {"translucent, enlarged", 5, 3, true, "left=\"3\" top=\"2\" width=\"13\" height=\"11\" stretchMode=\"stretch\""},
      {"natural size, cut", 9, 7, true, "left=\"3\" top=\"2\" width=\"5\" height=\"4\""},
      {"nine-grid", 12, 12, true, "left=\"3\" top=\"2\" width=\"30\" height=\"20\" stretchMode=\"ninegrid\" nineGridMargins=\"3,4,2,5\""},
      {"partly outside the window", 8, 8, false, "left=\"30\" top=\"-3\" width=\"16\" height=\"12\" stretchMode=\"stretch\""},
      {"translucent, reduced", 9, 7, true, "left=\"3\" top=\"2\" width=\"5\" height=\"4\" stretchMode=\"stretch\""},
      {"translucent, tiled, partly outside", 3, 4, true, "left=\"-4\" top=\"-2\" width=\"30\" height=\"25\" stretchMode=\"tile\""},
  };
  for (const auto& c : kCases) {
    // A file of its own per case: the image cache keeps each path's first picture.
    const std::string png = WritePng(c.name, c.width, c.height, [&](int x, int y) {
      const Gdiplus::ARGB alpha = c.translucent ? 0x30u + 0x24u * static_cast<unsigned>((x + 2 * y) % 7) : 0xFFu;
      return alpha << 24 | static_cast<Gdiplus::ARGB>(x * 37 % 256) << 16 |
             static_cast<Gdiplus::ARGB>(y * 53 % 256) << 8 | static_cast<Gdiplus::ARGB>((x + y) * 23 % 256);
    });
    const std::string image = std::string("<image ") + c.attributes +
                              " src=\"" + png + "\"/>";
    ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 40, 30, 0x406080, image), 40, 30), S_OK) << c.name;
    const Picture copied = PrintClient();
    test::DibCanvas canvas(40, 30);
    ASSERT_EQ(PaintIntoDC(canvas.DC(), Root(), Window()), S_OK);
    const Picture drawn = canvas.Take();
    int differing = 0;
    for (size_t i = 0; i < copied.pixels.size(); ++i) {
      // GDI+ rounds a blend its own way: a step of one per channel is the same colour.
      for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>(copied.pixels[i] >> shift & 0xFF);
        const int b = static_cast<int>(drawn.pixels[i] >> shift & 0xFF);
        if (a - b > 1 || b - a > 1) {
          ++differing;
          break;
        }
      }
    }
    EXPECT_EQ(differing, 0) << c.name;
    EXPECT_NE(copied.Count(RECT{0, 0, 40, 30}, 0x406080), 40 * 30) << c.name << ": drawn at all";
  }
}

// While the window is paint-locked it keeps its old pixels, and the release repaints the whole
// client area without erasing (the window never erases its background). What an element change
// repaints and where it lands on the screen: below and in tests/window.
TEST_F(WindowPaintTest, ThePaintLockHoldsChangesBackAndItsReleaseRepaintsWithoutErasing) {
  auto png = [this](const char* name, Gdiplus::ARGB colour) {
    const std::string path = WritePng(name, 6, 6, [colour](int, int) { return colour; });
    return test::Escaped(std::wstring(path.begin(), path.end()));
  };
  const std::wstring green = png("a.png", 0xFF00FF00u), white = png("b.png", 0xFFFFFFFFu);
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 60, 40, kGrey) +
                         "<image id=\"img\" left=\"30\" top=\"20\" width=\"6\" height=\"6\"/>",
                     60, 40),
            S_OK);
  ShowAt(40, 40);
  ASSERT_EQ(Run(L"var img = document.getElementById('img'); img.src = '" + white + L"';"), S_OK);
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  EXPECT_EQ(update, (RECT{30, 20, 36, 26})) << "a new source repaints the image's box only";
  ::UpdateWindow(Window());
  Settle();
  ASSERT_EQ(Screen().At(32, 22), kWhite);

  ASSERT_EQ(Run(L"window.lock(1); img.src = '" + green + L"';"), S_OK);
  EXPECT_FALSE(::GetUpdateRect(Window(), &update, FALSE))
      << "element invalidations stay off the window while it is paint-locked";
  ::InvalidateRect(Window(), nullptr, FALSE);
  ::UpdateWindow(Window());
  Settle();
  EXPECT_FALSE(::GetUpdateRect(Window(), &update, FALSE)) << "the locked paint validates";
  EXPECT_EQ(Screen().At(32, 22), kWhite) << "nothing is drawn while locked";

  test::MessageCounter erases(Window(), WM_ERASEBKGND);
  ASSERT_EQ(Run(L"window.unlock(1);"), S_OK);
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  EXPECT_EQ(update, ClientRect()) << "the unlock invalidates the whole client area";
  ::UpdateWindow(Window());
  EXPECT_EQ(erases.Count(), 0);
  Settle();
  EXPECT_EQ(Screen().At(32, 22), kGreen);
  // Asked to erase all the same, the window answers that it did and leaves the surface alone.
  test::DibCanvas canvas(4, 4);
  canvas.Fill(0x010203);
  EXPECT_EQ(::SendMessageW(Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.DC()), 0), 1);
  EXPECT_EQ(canvas.Take().At(1, 1), 0x010203u);
}

TEST_F(WindowPaintTest, MovesInOneMessageRepaintExactlyTheUnionOfTheirOldAndNewRectangles) {
  // Eight squares in a row move down when the trigger is pressed; each moves by a different
  // amount, so no two requests coincide.
  constexpr int kSquares = 8;
  std::string squares;
  for (int i = 0; i < kSquares; ++i) {
    squares += Panel(("s" + std::to_string(i)).c_str(), 4 + 12 * i, 4, 8, 8,
                     i % 2 ? kRed : kBlue);
  }
  // The trigger's handler moves them all, as a skin script does.
  const char* move =
      "onmousedown='for (var i = 0; i < 8; ++i) "
      "document.getElementById(\"s\" + i).moveBy(0, 20 + i, 0);'";
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 110, 50, kGrey, "", "passThrough='true'") + squares +
                         Panel("trigger", 100, 40, 6, 6, kGreen, "", move),
                     110, 50),
            S_OK);
  ShowAt(40, 40);
  ::SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(102, 42));
  ::ReleaseCapture();
  ASSERT_EQ(Impl(L"s7")->Rect().y, 31) << "the handler did not run";

  // What the moves and the pressed trigger asked for: old and new squares and the trigger.
  UniqueHRgn expected(::CreateRectRgn(100, 40, 106, 46));
  for (int i = 0; i < kSquares; ++i) {
    const int x = 4 + 12 * i;
    for (int y : {4, 24 + i}) {
      UniqueHRgn square(::CreateRectRgn(x, y, x + 8, y + 8));
      ::CombineRgn(expected.Get(), expected.Get(), square.Get(), RGN_OR);
    }
  }
  UniqueHRgn update(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(::GetUpdateRgn(Window(), update.Get(), FALSE), COMPLEXREGION);
  EXPECT_TRUE(::EqualRgn(update.Get(), expected.Get())) << "the window was handed another area";

  // Everything outside the update region keeps what is on the screen, so a colour the skin does
  // not use shows which pixels the repaint covered.
  constexpr DWORD kMagenta = 0xFF00FF;
  HDC dc = ::GetDC(Window());
  UniqueHBrush magenta(::CreateSolidBrush(RGB(0xFF, 0x00, 0xFF)));
  const RECT client{0, 0, 110, 50};
  ::FillRect(dc, &client, magenta.Get());
  ::ReleaseDC(Window(), dc);
  ::UpdateWindow(Window());
  Settle();
  const Picture screen = Screen();
  const Picture full = PrintClient();
  ASSERT_EQ(screen.pixels.size(), full.pixels.size());
  int wrong = 0;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const DWORD want = ::PtInRegion(expected.Get(), x, y) ? full.At(x, y) : kMagenta;
      wrong += screen.At(x, y) != want;
    }
  }
  EXPECT_EQ(wrong, 0) << "pixels painted outside the moved rectangles or left stale inside";
  EXPECT_EQ(full.At(4, 4), kGrey) << "the full repaint shows the square gone";
  EXPECT_EQ(screen.At(4 + 12 * 7, 31), kRed);
}

}  // namespace
}  // namespace velmor::paint_test
