// The vertically centred text routine: what it changes against GDI+'s own drawing and what it
// leaves alone. Glyph shapes differ between machines, so the tests compare drawings with each
// other rather than with fixed pictures.
#include <gtest/gtest.h>

#include <memory>

#include "support/document_fixture.h"
#include "render/paint.h"

namespace velmor::paint_test {
namespace {

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
  Ink Centred(const Gdiplus::RectF& layout, Gdiplus::StringAlignment line) {
    return Render([&](Gdiplus::Graphics& g, Gdiplus::SolidBrush& brush) {
      Gdiplus::StringFormat format;
      format.SetLineAlignment(line);
      EXPECT_EQ(DrawTextCentered(&g, L"Hx", 2, m_font.get(), layout, &format, &brush), Gdiplus::Ok);
    });
  }
  Ink Plain(const Gdiplus::RectF& layout, Gdiplus::StringAlignment line) {
    return Render([&](Gdiplus::Graphics& g, Gdiplus::SolidBrush& brush) {
      Gdiplus::StringFormat format;
      format.SetLineAlignment(line);
      g.DrawString(L"Hx", 2, m_font.get(), layout, &format, &brush);
    });
  }

  std::unique_ptr<Gdiplus::Font> m_font;
};

TEST_F(CentredTextTest, OtherLineAlignmentsDrawAsGdiplusDoes) {
  for (auto line : {Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentFar}) {
    const Gdiplus::RectF layout(5, 7, 80, 60);
    const Ink ours = Centred(layout, line);
    ASSERT_GE(ours.top, 0);
    EXPECT_EQ(ours.pixels, Plain(layout, line).pixels) << "alignment " << line;
  }
}

TEST_F(CentredTextTest, CentresTheEmBoxAndMovesWithHalfTheHeight) {
  const Ink low = Centred(Gdiplus::RectF(0, 0, 90, 40), Gdiplus::StringAlignmentCenter);
  const Ink high = Centred(Gdiplus::RectF(0, 0, 90, 60), Gdiplus::StringAlignmentCenter);
  ASSERT_GE(low.top, 0);
  EXPECT_EQ(high.top - low.top, 10);
  EXPECT_EQ(high.bottom - low.bottom, 10);
  // GDI+ centres the whole line, leading included; the em box sits lower than that line.
  const Ink gdiplus = Plain(Gdiplus::RectF(0, 0, 90, 60), Gdiplus::StringAlignmentCenter);
  EXPECT_GT(high.top, gdiplus.top);
}

TEST_F(CentredTextTest, OnlyTheLayoutsSizeCounts) {
  const Ink origin = Centred(Gdiplus::RectF(0, 0, 90, 50), Gdiplus::StringAlignmentCenter);
  const Ink moved = Centred(Gdiplus::RectF(30, 20, 90, 50), Gdiplus::StringAlignmentCenter);
  EXPECT_EQ(origin.pixels, moved.pixels);
}

TEST_F(CentredTextTest, RefusesMissingObjects) {
  Gdiplus::Bitmap bitmap(4, 4, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&bitmap);
  Gdiplus::SolidBrush brush(Gdiplus::Color(0xFF000000));
  Gdiplus::StringFormat format;
  const Gdiplus::RectF layout(0, 0, 4, 4);
  EXPECT_NE(DrawTextCentered(nullptr, L"x", 1, m_font.get(), layout, &format, &brush), Gdiplus::Ok);
  EXPECT_NE(DrawTextCentered(&graphics, L"x", 1, nullptr, layout, &format, &brush), Gdiplus::Ok);
}

}  // namespace
}  // namespace velmor::paint_test
