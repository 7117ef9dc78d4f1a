// Painting a document window: what WM_PRINTCLIENT and WM_PAINT put on the surface, the order and
// clipping of the walk, the paint locks, the double buffer's placement of partial updates and
// the repaint after a script moved many elements in one message.
//
// What an element's Paint receives: the paint record's class and type, its clip rectangle in the
// element's own coordinates, the world transform moved to the element's corner, the mouse
// position and time; recorded by a test element placed in a loaded tree.
//
// The vertically centred text routine: what it changes against GDI+'s own drawing and what it
// leaves alone. Glyph shapes differ between machines, so the tests compare drawings with each
// other rather than with fixed pictures.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "base/handles.h"
#include "base/platform.h"
#include "render/paint.h"
#include "render/paint_context.h"
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

TEST_F(WindowPaintTest, PrintClientPaintsEveryElementWithLaterSiblingsOnTop) {
  const std::string child = Panel("c", 2, 3, 4, 4, kBlue);
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 60, 30, kGrey) + Panel("a", 5, 5, 20, 10, kRed) +
                     Panel("b", 15, 5, 20, 10, kBlue) + Panel("shown", 40, 15, 10, 10, kRed, child) +
                     Panel("hidden", 48, 2, 10, 10, kRed, child, "visible=\"false\""),
                 60, 30),
            S_OK);
  const Picture p = PrintClient();
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

// The window's paint copies bitmaps into its buffer itself; drawn through GDI+ (PaintTree) the
// same tree must look the same, pixel for pixel, however the image is scaled, placed or blended.
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
    const Picture drawn = PaintTree(RECT{0, 0, 40, 30}, 0xFF000000);
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

// A new image source repaints the image's box only, and the partial repaint lands there on the
// screen; while the window is paint-locked it keeps its old pixels, and the release repaints the
// whole client area without erasing (the window never erases its background).
TEST_F(WindowPaintTest, ImageChangesRepaintTheirBoxUnlessThePaintLockHoldsThemBack) {
  const std::string green = WritePng("a.png", 6, 6, [](int, int) { return 0xFF00FF00u; });
  const std::string white = WritePng("b.png", 6, 6, [](int, int) { return 0xFFFFFFFFu; });
  ASSERT_EQ(LoadBody(Panel("bg", 0, 0, 60, 40, kGrey) + Panel("other", 2, 2, 10, 10, kRed) +
                     "<image id=\"img\" left=\"30\" top=\"20\" width=\"6\" height=\"6\" src=\"" +
                     green + "\"/>",
                 60, 40),
            S_OK);
  ShowAt(40, 40);
  ASSERT_EQ(Screen().At(32, 22), kGreen);
  ComPtr<IDOMImage> image;
  ASSERT_EQ(Element(L"img")->QueryInterface(IID_PPV_ARGS(&image)), S_OK);
  UniqueBstr a(std::wstring(green.begin(), green.end()).c_str());
  UniqueBstr b(std::wstring(white.begin(), white.end()).c_str());
  ASSERT_EQ(image->put_src(b.Get()), S_OK);
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(Window(), &update, FALSE));
  EXPECT_EQ(update, (RECT{30, 20, 36, 26}));
  ::UpdateWindow(Window());
  Settle();
  const Picture p = Screen();
  EXPECT_EQ(p.Count(RECT{30, 20, 36, 26}, kWhite), 36);
  EXPECT_EQ(p.At(29, 20), kGrey);
  EXPECT_EQ(p.At(36, 26), kGrey);
  EXPECT_EQ(p.At(5, 5), kRed);

  ASSERT_EQ(Document()->lock(1), S_OK);
  ASSERT_EQ(image->put_src(a.Get()), S_OK);
  EXPECT_FALSE(::GetUpdateRect(Window(), &update, FALSE))
      << "element invalidations stay off the window while it is paint-locked";
  ::InvalidateRect(Window(), nullptr, FALSE);
  ::UpdateWindow(Window());
  Settle();
  EXPECT_FALSE(::GetUpdateRect(Window(), &update, FALSE)) << "the locked paint validates";
  EXPECT_EQ(Screen().At(32, 22), kWhite) << "nothing is drawn while locked";

  test::MessageCounter erases(Window(), WM_ERASEBKGND);
  ASSERT_EQ(Document()->unlock(1), S_OK);
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

namespace paint_context {
using PaintTest = test::DocumentTest;

class RecorderContent : public scContentClass<RecorderContent> {
 public:
  const wchar_t* NodeName() const override { return L"recorder"; }
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override {
    ++paints;
    eventClass = context->eventClass;
    type = context->type;
    clip = *context->clip;
    point = context->point;
    time = context->time;
    Gdiplus::Matrix matrix;
    context->graphics->GetTransform(&matrix);
    matrix.GetElements(transform);
    interpolation = context->graphics->GetInterpolationMode();
    pixelOffset = context->graphics->GetPixelOffsetMode();
    return scITextBaseContent::Paint(context);
  }
  // Joins 'document' at (x, y) with the given size (the parent it goes into must be there too).
  void Place(scIContentDocument* document, int x, int y, int width, int height) {
    m_ownerDocument = document;
    SetPositionRaw(x, y);
    SetWidthRaw(width);
    SetHeightRaw(height);
  }

  int paints = 0;
  int eventClass = 0;
  uint32_t type = 0;
  RECT clip{};
  POINT point{};
  LONG time = 0;
  Gdiplus::REAL transform[6] = {};
  Gdiplus::InterpolationMode interpolation = Gdiplus::InterpolationModeInvalid;
  Gdiplus::PixelOffsetMode pixelOffset = Gdiplus::PixelOffsetModeInvalid;
};

class PaintContextTest : public PaintTest {
 protected:
  // A recorder at (x, y) inside the element with the id.
  RecorderContent* AddRecorder(const wchar_t* parentId, int x, int y, int width, int height) {
    RecorderContent* recorder = nullptr;
    if (FAILED(RecorderContent::CreateObject(&recorder))) return nullptr;
    scITextBaseContent* parent = scITextBaseContent::FromContent(Element(parentId));
    recorder->Place(parent->OwnerDocument(), x, y, width, height);
    EXPECT_EQ(parent->AppendChildTo(recorder, FALSE), S_OK);
    recorder->Release();  // the tree holds it now
    return recorder;
  }
};

TEST_F(PaintContextTest, ElementsGetTheirClipTransformAndTheMessagesMousePosition) {
  ASSERT_EQ(
      LoadBody("<subwindow id=\"outer\" left=\"10\" top=\"20\" width=\"100\" height=\"80\" "
           "backgroundColor=\"red\"><subwindow id=\"inner\" left=\"5\" top=\"6\" width=\"50\" "
           "height=\"40\"/></subwindow>",
           200, 150),
      S_OK);
  RecorderContent* recorder = AddRecorder(L"inner", 7, 8, 30, 20);
  ASSERT_NE(recorder, nullptr);

  // A DC whose clip box is a part of the client area: what WM_PAINT's buffer gives.
  test::DibCanvas canvas(200, 150);
  HDC dc = canvas.DC();
  HRGN area = ::CreateRectRgn(30, 40, 60, 50);
  ::SelectClipRgn(dc, area);
  ::DeleteObject(area);

  ::SetCursorPos(0, 0);
  ::PostMessageW(Window(), WM_NULL, 0, 0);
  MSG msg;
  ASSERT_TRUE(::GetMessageW(&msg, Window(), WM_NULL, WM_NULL));  // sets the message position
  const POINT expected = MessagePointInClient(Window());

  ASSERT_EQ(PaintIntoDC(dc, Root(), Window()), S_OK);
  EXPECT_EQ(recorder->paints, 1);
  EXPECT_EQ(recorder->eventClass, kEventClassPaint);
  EXPECT_EQ(recorder->type, 15u);
  // The recorder sits at (22, 34) in the client area: the clip (30, 40)-(60, 50) meets its box
  // (22, 34)-(52, 54) in (30, 40)-(52, 50), which is (8, 6)-(30, 16) in its own coordinates.
  EXPECT_EQ(recorder->clip, (RECT{8, 6, 30, 16}));
  EXPECT_FLOAT_EQ(recorder->transform[4], 22.0f);
  EXPECT_FLOAT_EQ(recorder->transform[5], 34.0f);
  EXPECT_EQ(recorder->point.x, expected.x);
  EXPECT_EQ(recorder->point.y, expected.y);
  EXPECT_EQ(recorder->time, ::GetMessageTime());
  EXPECT_EQ(recorder->interpolation, Gdiplus::InterpolationModeNearestNeighbor);
  EXPECT_EQ(recorder->pixelOffset, Gdiplus::PixelOffsetModeHalf);

  // A clip that misses the recorder leaves it out before any drawing.
  area = ::CreateRectRgn(0, 0, 20, 20);
  ::SelectClipRgn(dc, area);
  ::DeleteObject(area);
  ASSERT_EQ(PaintIntoDC(dc, Root(), Window()), S_OK);
  EXPECT_EQ(recorder->paints, 1);
}

}  // namespace paint_context

namespace centred_text {
struct Ink {
  int top = -1;     // first row with ink, -1 for none
  int bottom = -1;  // last row with ink
  std::vector<Gdiplus::ARGB> pixels;
};

class CentredTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_font = std::make_unique<Gdiplus::Font>(L"Tahoma", 20.0f, Gdiplus::FontStyleRegular,
                                             Gdiplus::UnitPixel);
    ASSERT_EQ(m_font->GetLastStatus(), Gdiplus::Ok);
  }

  // Draws "Hx" into a 100 × 100 bitmap with a layout of the given size and place.
  template <class Draw>
  Ink Render(Draw draw) {
    Gdiplus::Bitmap bitmap(100, 100, PixelFormat32bppARGB);
    {
      Gdiplus::Graphics graphics(&bitmap);
      graphics.Clear(Gdiplus::Color(0xFFFFFFFF));
      Gdiplus::SolidBrush brush(Gdiplus::Color(0xFF000000));
      draw(graphics, brush);
    }
    Ink ink;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        Gdiplus::Color c;
        bitmap.GetPixel(x, y, &c);
        ink.pixels.push_back(c.GetValue());
        if (c.GetValue() != 0xFFFFFFFF) {
          if (ink.top < 0) ink.top = y;
          ink.bottom = y;
        }
      }
    }
    return ink;
  }
  // "Hx" over the layout, drawn by the engine's routine or, with 'plain', by GDI+ itself.
  Ink Centred(const Gdiplus::RectF& layout, Gdiplus::StringAlignment line, bool plain = false) {
    return Render([&](Gdiplus::Graphics& g, Gdiplus::SolidBrush& brush) {
      Gdiplus::StringFormat format;
      format.SetLineAlignment(line);
      if (plain)
        g.DrawString(L"Hx", 2, m_font.get(), layout, &format, &brush);
      else
        EXPECT_EQ(DrawTextCentered(&g, L"Hx", 2, m_font.get(), layout, &format, &brush), Gdiplus::Ok);
    });
  }

  std::unique_ptr<Gdiplus::Font> m_font;
};

TEST_F(CentredTextTest, OtherLineAlignmentsDrawAsGdiplusDoes) {
  for (auto line : {Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentFar}) {
    const Gdiplus::RectF layout(5, 7, 80, 60);
    const Ink ours = Centred(layout, line);
    ASSERT_GE(ours.top, 0);
    EXPECT_EQ(ours.pixels, Centred(layout, line, true).pixels) << "alignment " << line;
  }
}

TEST_F(CentredTextTest, CentresTheEmBoxAndMovesWithHalfTheHeight) {
  const Ink low = Centred(Gdiplus::RectF(0, 0, 90, 40), Gdiplus::StringAlignmentCenter);
  const Ink high = Centred(Gdiplus::RectF(0, 0, 90, 60), Gdiplus::StringAlignmentCenter);
  ASSERT_GE(low.top, 0);
  EXPECT_EQ(high.top - low.top, 10);
  EXPECT_EQ(high.bottom - low.bottom, 10);
  // GDI+ centres the whole line, leading included; the em box sits lower than that line.
  const Ink gdiplus = Centred(Gdiplus::RectF(0, 0, 90, 60), Gdiplus::StringAlignmentCenter, true);
  EXPECT_GT(high.top, gdiplus.top);
}

TEST_F(CentredTextTest, OnlyTheLayoutsSizeCounts) {
  const Ink origin = Centred(Gdiplus::RectF(0, 0, 90, 50), Gdiplus::StringAlignmentCenter);
  const Ink moved = Centred(Gdiplus::RectF(30, 20, 90, 50), Gdiplus::StringAlignmentCenter);
  EXPECT_EQ(origin.pixels, moved.pixels);
}

}  // namespace centred_text

}  // namespace
}  // namespace velmor::paint_test
