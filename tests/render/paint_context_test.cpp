// What an element's Paint receives: the paint record's class and type, its clip rectangle in the
// element's own coordinates, the world transform moved to the element's corner, the mouse
// position and time; recorded by a test element placed in a loaded tree.
#include <gtest/gtest.h>

#include "base/platform.h"
#include "support/document_fixture.h"
#include "render/paint.h"
#include "render/paint_context.h"
#include "skin/text_base_content.h"

namespace velmor::paint_test {
namespace {

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
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 150);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
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
  EXPECT_EQ(recorder->clip.left, 8);
  EXPECT_EQ(recorder->clip.top, 6);
  EXPECT_EQ(recorder->clip.right, 30);
  EXPECT_EQ(recorder->clip.bottom, 16);
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

  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
}

}  // namespace
}  // namespace velmor::paint_test
