// Painting a document window: what WM_PRINTCLIENT and WM_PAINT put on the surface, the order and
// clipping of the walk, the paint locks, the double buffer's placement of partial updates and
// the repaint after a script moved many elements in one message.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/handles.h"
#include "support/document_fixture.h"
#include "render/paint.h"
#include "render/paint_context.h"
#include "skin/text_base_content.h"

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
  void ShowAndPaint() { ShowAt(40, 40); }
  // Wine copies a window's surface to the X server from its message loop, a little after the
  // paint: let that happen before the screen is read.
  static void Settle() { test::PumpFor(150); }
  std::string m_a, m_b;
  void MakeTwoImages() {
    m_a = WritePng("a.png", 6, 6, [](int, int) { return 0xFF00FF00u; });
    m_b = WritePng("b.png", 6, 6, [](int, int) { return 0xFFFFFFFFu; });
  }
};

TEST_F(WindowPaintTest, PrintClientPaintsEveryElementWithLaterSiblingsOnTop) {
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 40, 30, kGrey) + Panel("a", 5, 5, 20, 10, kRed) +
                     Panel("b", 15, 5, 20, 10, kBlue),
                 40, 30),
            S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.At(2, 2), kGrey);
  EXPECT_EQ(p.At(10, 8), kRed);
  EXPECT_EQ(p.At(20, 8), kBlue) << "the later sibling is drawn over the earlier one";
  EXPECT_EQ(p.At(34, 14), kBlue);
  EXPECT_EQ(p.At(37, 25), kGrey);
  // The whole client area is covered: nothing of the surface's previous content is left.
  EXPECT_EQ(p.Count(RECT{0, 0, 40, 30}, 0x123456), 0);
}

TEST_F(WindowPaintTest, ChildrenAreDrawnInTheirParentsCoordinatesAndHiddenWithIt) {
  const std::string child = Panel("c", 2, 3, 4, 4, kBlue);
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 60, 30, kGrey) + Panel("shown", 10, 10, 10, 10, kRed, child) +
                     Panel("hidden", 30, 10, 10, 10, kRed, child, "visible=\"false\""),
                 60, 30),
            S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.At(12, 13), kBlue);
  EXPECT_EQ(p.At(15, 16), kBlue);
  EXPECT_EQ(p.At(16, 17), kRed);
  EXPECT_EQ(p.At(11, 12), kRed);
  // An invisible element hides its children even though they are visible themselves.
  EXPECT_EQ(p.Count(RECT{30, 10, 40, 20}, kGrey), 100);
}

TEST_F(WindowPaintTest, APaintLockedElementLeavesOutItsWholeSubtree) {
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 30, 30, kGrey) +
                     Panel("p", 5, 5, 20, 20, kRed, Panel("c", 5, 5, 5, 5, kBlue)),
                 30, 30),
            S_OK);
  scITextBaseContent* locked = Impl(L"p");
  ASSERT_NE(locked, nullptr);
  locked->PaintLock(true);
  Picture p = PrintClient();
  EXPECT_EQ(p.Count(RECT{0, 0, 30, 30}, kGrey), 900);

  Gdiplus::Bitmap bitmap(4, 4, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&bitmap);
  RECT clip{0, 0, 20, 20};
  scPaintContext context;
  context.graphics = &graphics;
  context.clip = &clip;
  EXPECT_EQ(PaintElement(&context, Element(L"p")), E_FAIL);
  EXPECT_EQ(PaintElement(nullptr, Element(L"p")), E_FAIL);
  EXPECT_EQ(PaintElement(&context, nullptr), E_FAIL);

  locked->PaintLock(false);
  p = PrintClient();
  EXPECT_EQ(p.At(6, 6), kRed);
  EXPECT_EQ(p.At(11, 11), kBlue);
}

TEST_F(WindowPaintTest, ChildrenMeetingTheClipAreDrawnWholeAndOthersSkipped) {
  ASSERT_EQ(LoadBody(Panel("a", 0, 0, 20, 20, kRed) + Panel("b", 30, 0, 20, 20, kBlue) +
                     Panel("n", 12, 30, 10, 10, kGreen, Panel("m", 2, 5, 4, 4, kWhite)),
                 50, 40),
            S_OK);
  // The clip covers a corner of "a" and the top of "n" only.
  const Picture p = PaintTree(RECT{15, 15, 25, 33}, 0xFF000000);
  EXPECT_EQ(p.Count(RECT{0, 0, 20, 20}, kRed), 400) << "drawing is not clipped to the area";
  EXPECT_EQ(p.Count(RECT{30, 0, 50, 20}, kBlack), 400) << "a child outside the area is skipped";
  // Inside "n" the clip, now in its coordinates (3, 0)-(10, 3), misses the grandchild.
  EXPECT_EQ(p.Count(RECT{12, 30, 22, 40}, kGreen), 100);
  EXPECT_EQ(p.Count(RECT{0, 0, 50, 40}, kWhite), 0);
}

TEST_F(WindowPaintTest, StretchedImagesKeepHardPixelEdges) {
  const std::string quad = WritePng("quad.png", 2, 2, [](int x, int y) {
    return x == 0 ? (y == 0 ? 0xFFFF0000u : 0xFF00FF00u) : (y == 0 ? 0xFF0000FFu : 0xFFFFFFFFu);
  });
  ASSERT_EQ(LoadBody("<image left=\"3\" top=\"2\" width=\"8\" height=\"8\" stretchMode=\"stretch\" "
                 "src=\"" +
                     quad + "\"/>",
                 14, 12),
            S_OK);
  const Picture p = PrintClient();
  EXPECT_EQ(p.Count(RECT{3, 2, 7, 6}, kRed), 16);
  EXPECT_EQ(p.Count(RECT{7, 2, 11, 6}, kBlue), 16);
  EXPECT_EQ(p.Count(RECT{3, 6, 7, 10}, kGreen), 16);
  EXPECT_EQ(p.Count(RECT{7, 6, 11, 10}, kWhite), 16);
}

TEST_F(WindowPaintTest, EraseBackgroundIsHandledWithoutErasing) {
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 10, 10, kGrey), 10, 10), S_OK);
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 4, 4);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::SetPixel(dc, 1, 1, RGB(1, 2, 3));
  EXPECT_EQ(::SendMessageW(Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  EXPECT_EQ(::GetPixel(dc, 1, 1), RGB(1, 2, 3));
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
}

TEST_F(WindowPaintTest, PrintClientGivesTheScreensPicture) {
  const std::string tile = WritePng("tile.png", 3, 2, [](int x, int y) {
    return 0xFF000000u | static_cast<DWORD>(x * 80) << 16 | static_cast<DWORD>(y * 120) << 8;
  });
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 80, 50, kGrey) +
                     "<image left=\"7\" top=\"5\" width=\"31\" height=\"17\" stretchMode=\"tile\" "
                     "src=\"" +
                     tile + "\"/>" +
                     "<image left=\"40\" top=\"20\" width=\"30\" height=\"24\" "
                     "stretchMode=\"stretch\" src=\"" +
                     tile + "\"/>" + Panel("top", 60, 2, 15, 40, kRed),
                 80, 50),
            S_OK);
  ShowAndPaint();
  const Picture screen = Screen();
  const Picture printed = PrintClient();
  ASSERT_EQ(screen.pixels.size(), printed.pixels.size());
  int differing = 0;
  for (size_t i = 0; i < screen.pixels.size(); ++i)
    differing += screen.pixels[i] != printed.pixels[i];
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(printed.At(8, 5), 0x000000u + (80u << 16)) << "tiles start at the element's corner";
}

TEST_F(WindowPaintTest, APartialUpdateLandsWhereItBelongs) {
  MakeTwoImages();
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 60, 40, kGrey) + Panel("other", 2, 2, 10, 10, kRed) +
                     "<image id=\"img\" left=\"30\" top=\"20\" width=\"6\" height=\"6\" src=\"" +
                     m_a + "\"/>",
                 60, 40),
            S_OK);
  ShowAndPaint();
  ASSERT_EQ(Screen().At(32, 22), kGreen);
  ComPtr<IDOMImage> image;
  ASSERT_EQ(Element(L"img")->QueryInterface(IID_PPV_ARGS(&image)), S_OK);
  UniqueBstr b(std::wstring(m_b.begin(), m_b.end()).c_str());
  ASSERT_EQ(image->put_src(b.Get()), S_OK);
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  EXPECT_EQ(update.left, 30);
  EXPECT_EQ(update.top, 20);
  EXPECT_EQ(update.right, 36);
  EXPECT_EQ(update.bottom, 26);
  ::UpdateWindow(Window());
  Settle();
  const Picture p = Screen();
  EXPECT_EQ(p.Count(RECT{30, 20, 36, 26}, kWhite), 36);
  EXPECT_EQ(p.At(29, 20), kGrey);
  EXPECT_EQ(p.At(36, 26), kGrey);
  EXPECT_EQ(p.At(5, 5), kRed);
}

TEST_F(WindowPaintTest, ThePaintLockKeepsOldPixelsAndItsReleaseRepaintsWithoutErasing) {
  MakeTwoImages();
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 40, 30, kGrey) +
                     "<image id=\"img\" left=\"10\" top=\"10\" width=\"6\" height=\"6\" src=\"" +
                     m_a + "\"/>",
                 40, 30),
            S_OK);
  ShowAndPaint();
  ASSERT_EQ(Document()->lock(1), S_OK);
  ComPtr<IDOMImage> image;
  ASSERT_EQ(Element(L"img")->QueryInterface(IID_PPV_ARGS(&image)), S_OK);
  UniqueBstr b(std::wstring(m_b.begin(), m_b.end()).c_str());
  ASSERT_EQ(image->put_src(b.Get()), S_OK);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(Window(), &update, FALSE))
      << "element invalidations stay off the window while it is paint-locked";
  ::InvalidateRect(Window(), nullptr, FALSE);
  ::UpdateWindow(Window());
  Settle();
  EXPECT_FALSE(::GetUpdateRect(Window(), &update, FALSE)) << "the locked paint validates";
  EXPECT_EQ(Screen().At(12, 12), kGreen) << "nothing is drawn while locked";

  test::MessageCounter erases(Window(), WM_ERASEBKGND);
  ASSERT_EQ(Document()->unlock(1), S_OK);
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  RECT client{};
  ::GetClientRect(Window(), &client);
  EXPECT_TRUE(::EqualRect(&update, &client)) << "the unlock invalidates the whole client area";
  ::UpdateWindow(Window());
  EXPECT_EQ(erases.Count(), 0);
  Settle();
  EXPECT_EQ(Screen().At(12, 12), kWhite);
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
  ShowAndPaint();
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
