// The events other parts of the engine fire: "load" and "sizemode" from the document, "size"
// from every move/size (a prevented "size" keeps the children where they are), "unload" when
// the window goes.
#include "events/dom_event.h"
#include "support/document_fixture.h"

namespace velmor::events_test {
namespace {

using test::CallbackListener;
using EventsTest = test::DocumentTest;

const char kSkin[] =
    "<window id='W' onload='log(\"load\")' onunload='log(\"unload\")'"
    " onsizemode='log(\"sizemode \" + window_sizemode())'>"
    "<script>var trace = []; var keep = false; function log(s) { trace.push(s); }"
    " var mode = -1; function window_sizemode() { return 'fired'; }</script>"
    "<subwindow id='S' left='0' top='0' width='100' height='100' horizontalAlignment='stretch'"
    " onsize='log(\"size \" + event.type); if (keep) return false;'>"
    "<button id='K' left='10' top='10' width='20' height='20' horizontalAlignment='right'/>"
    "</subwindow>"
    "</window>";

TEST_F(EventsTest, LoadFiresOnceWhenTheContentIsReady) {
  ASSERT_EQ(Load(kSkin, 320, 240), S_OK);
  const std::wstring trace = TakeTrace();
  // "load" comes before the first layout of the loaded document (whose "size" events follow).
  EXPECT_EQ(trace.rfind(L"load", 0), 0u) << trace;
  EXPECT_EQ(trace.find(L"load", 1), std::wstring::npos) << trace;
}

TEST_F(EventsTest, SizeModeFiresOnAChangeOfSizeType) {
  ASSERT_EQ(Load(kSkin, 320, 240), S_OK);
  TakeTrace();
  ::SendMessageW(Window(), WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(320, 240));
  std::wstring trace = TakeTrace();
  EXPECT_NE(trace.find(L"sizemode fired"), std::wstring::npos) << trace;
  // The same size type again fires nothing.
  ::SendMessageW(Window(), WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 240));
  trace = TakeTrace();
  EXPECT_EQ(trace.find(L"sizemode"), std::wstring::npos) << trace;
}

TEST_F(EventsTest, SizeFiresOnMoveSizeAndReturningFalseKeepsTheChildren) {
  ASSERT_EQ(Load(kSkin, 320, 240), S_OK);
  scITextBaseContent* s = scITextBaseContent::FromContent(Element(L"S"));
  scITextBaseContent* k = scITextBaseContent::FromContent(Element(L"K"));
  ASSERT_NE(s, nullptr);
  ASSERT_NE(k, nullptr);
  TakeTrace();
  s->MoveSize(0, 0, 200, 100);
  EXPECT_EQ(TakeTrace(), L"size size");
  const int laidOut = k->Rect().x;
  EXPECT_EQ(laidOut, 200 - 100 + 10) << "a right-aligned child follows the right edge";
  Eval(L"keep = true");
  s->MoveSize(0, 0, 250, 100);
  EXPECT_EQ(TakeTrace(), L"size size");
  EXPECT_EQ(k->Rect().x, laidOut) << "a prevented size event leaves the children alone";
}

TEST_F(EventsTest, UnloadFiresWhenTheWindowIsDestroyed) {
  ASSERT_EQ(Load(kSkin, 320, 240), S_OK);
  TakeTrace();
  // A native listener after the attribute handler reads what the handler recorded while the
  // window's scripts still run.
  std::wstring seen = L"(not called)";
  ComPtr<CallbackListener> reader;
  CallbackListener::CreateObject(&reader, [&](IDOMEvent*) { seen = Eval(L"trace.join(' ')"); });
  ASSERT_EQ(Listeners(L"W")->AddEventListener(reader->GetUnknown(), L"onunload", 0), S_OK);
  m_document->Destroy();
  EXPECT_EQ(seen, L"unload");
  EXPECT_EQ(reader->Calls(), 1);
}

}  // namespace
}  // namespace velmor::events_test
