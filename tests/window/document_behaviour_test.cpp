// The document window at run time: layout on resize, the locks, sizemode, activation, alert,
// close, the script faces and element cursors.
#include <gtest/gtest.h>

#include <dispex.h>

#include <vector>

#include "events/element_cursor.h"
#include "support/document_fixture.h"

namespace velmor::window_test {
namespace {

using test::DocumentTest;
using test::MessageCounter;

const char kSkin[] =
    "<window id=\"main\" title=\"Behaviour\">\n"
    "  <image id=\"hand\" cursor=\"HAND\"/>\n"
    "  <image id=\"we\" cursor=\"sizewe\"/>\n"
    "  <image id=\"sys\" cursor=\"System\"/>\n"
    "  <image id=\"up\" cursor=\"uparrow\"/>\n"
    "  <image id=\"odd\" cursor=\"pointer\"/>\n"
    "  <image id=\"none\"/>\n"
    "</window>\n";

TEST_F(DocumentTest, RootFollowsClientSizeOnEverySizeMessageExceptMinimised) {
  ASSERT_EQ(Load(kSkin), S_OK);
  struct Step {
    WPARAM type;
    int width, height;
    RECT root;  // expected afterwards
    LONG sizemode;
  };
  static const Step kSteps[] = {
      {SIZE_RESTORED, 300, 200, {0, 0, 300, 200}, 0},
      {SIZE_MAXIMIZED, 640, 480, {0, 0, 640, 480}, 2},
      {SIZE_MINIMIZED, 0, 0, {0, 0, 640, 480}, 1},  // kept while minimised
      {SIZE_RESTORED, 320, 240, {0, 0, 320, 240}, 0},
  };
  for (const Step& s : kSteps) {
    SendSize(s.type, s.width, s.height);
    EXPECT_EQ(RootRect(), s.root) << "size type " << s.type;
    LONG mode = -5;
    EXPECT_EQ(m_document->get_sizemode(&mode), S_OK);
    EXPECT_EQ(mode, s.sizemode) << "size type " << s.type;
  }
  // A real resize of the window reaches the root with the client size.
  ::SetWindowPos(Window(), nullptr, 0, 0, 420, 330, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT client = ClientRect();
  EXPECT_EQ(RootRect(), client);
  EXPECT_GT(client.right, 300);
}

TEST_F(DocumentTest, LayoutLockDefersLayoutToOneRelayoutAtUnlock) {
  ASSERT_EQ(Load(kSkin), S_OK);
  SendSize(SIZE_RESTORED, 200, 100);
  ASSERT_EQ(RootRect(), (RECT{0, 0, 200, 100}));

  EXPECT_EQ(m_document->lock(kLayoutLock), S_OK);
  EXPECT_EQ(m_document->lock(kLayoutLock), S_OK);  // counted, not a flag
  for (int width : {250, 260, 270}) {
    ::SetWindowPos(Window(), nullptr, 0, 0, width, 150, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(RootRect(), (RECT{0, 0, 200, 100})) << "laid out at width " << width;
  }
  EXPECT_EQ(m_document->unlock(kLayoutLock), S_OK);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 200, 100})) << "laid out with one lock still held";
  EXPECT_EQ(m_document->unlock(kLayoutLock), S_OK);
  EXPECT_EQ(RootRect(), ClientRect()) << "no layout at the last unlock";

  // Exactly one: mark the root, then nothing else lays it out until the next size change.
  m_document->RootElement()->MoveSize(0, 0, 7, 7);
  test::PumpFor(30);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 7, 7}));

  // Unlocking a lock that was never taken drives the count negative: no layout then.
  EXPECT_EQ(m_document->unlock(kLayoutLock), S_OK);
  SendSize(SIZE_RESTORED, 90, 90);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 7, 7}));
  EXPECT_EQ(m_document->lock(kLayoutLock), S_OK);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 7, 7}));
  SendSize(SIZE_RESTORED, 90, 90);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 90, 90}));
}

TEST_F(DocumentTest, PaintLockValidatesAndUnlockRepaintsOnce) {
  ASSERT_EQ(Load(kSkin), S_OK);
  ASSERT_EQ(m_document->put_visible(VARIANT_TRUE), S_OK);
  ::SetWindowPos(Window(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
  test::PumpFor(50);
  ASSERT_FALSE(::GetUpdateRect(Window(), nullptr, FALSE));

  MessageCounter paints(Window(), WM_PAINT);
  EXPECT_EQ(m_document->lock(kPaintLock), S_OK);
  ::InvalidateRect(Window(), nullptr, FALSE);
  test::PumpFor(50);
  EXPECT_FALSE(::GetUpdateRect(Window(), nullptr, FALSE)) << "locked paint did not validate";
  paints.Reset();

  EXPECT_EQ(m_document->unlock(kPaintLock), S_OK);
  EXPECT_TRUE(::GetUpdateRect(Window(), nullptr, FALSE)) << "unlock did not invalidate";
  test::PumpFor(80);
  EXPECT_EQ(paints.Count(), 1);
  EXPECT_FALSE(::GetUpdateRect(Window(), nullptr, FALSE));

  // Lock and unlock of other bits leave painting alone.
  paints.Reset();
  EXPECT_EQ(m_document->lock(kRegionLock), S_OK);
  EXPECT_EQ(m_document->unlock(kRegionLock), S_OK);
  test::PumpFor(50);
  EXPECT_EQ(paints.Count(), 0);
}

TEST_F(DocumentTest, SizemodeSendsSystemCommandsOnlyForChanges) {
  ASSERT_EQ(Load(kSkin), S_OK);
  SendSize(SIZE_RESTORED, 200, 100);
  MessageCounter commands(Window(), WM_SYSCOMMAND);
  struct Case {
    LONG value;
    int sent;
    WPARAM command;
  };
  static const Case kCases[] = {
      {0, 0, 0},             // current value
      {3, 0, 0},             // not a size mode
      {-1, 0, 0},
      {2, 1, SC_MAXIMIZE},
  };
  for (const Case& c : kCases) {
    commands.Reset();
    EXPECT_EQ(m_document->put_sizemode(c.value), S_OK);
    EXPECT_EQ(commands.Count(), c.sent) << "sizemode " << c.value;
    if (c.sent != 0) {
      EXPECT_EQ(commands.LastWParam() & 0xFFF0, c.command);
    }
  }
  LONG mode = -1;
  EXPECT_EQ(m_document->get_sizemode(&mode), S_OK);
  EXPECT_EQ(mode, 2);
  commands.Reset();
  EXPECT_EQ(m_document->put_sizemode(0), S_OK);
  EXPECT_EQ(commands.Count(), 1);
  EXPECT_EQ(commands.LastWParam() & 0xFFF0, static_cast<WPARAM>(SC_RESTORE));
  EXPECT_EQ(m_document->get_sizemode(nullptr), E_POINTER);
}

TEST_F(DocumentTest, MinimisingThroughSizemodeKeepsTheLayout) {
  ASSERT_EQ(Load(kSkin), S_OK);
  ASSERT_EQ(m_document->put_visible(VARIANT_TRUE), S_OK);
  ::SetWindowPos(Window(), nullptr, 0, 0, 240, 180, SWP_NOMOVE | SWP_NOZORDER);
  const RECT before = RootRect();
  ASSERT_EQ(before, ClientRect());
  EXPECT_EQ(m_document->put_sizemode(1), S_OK);
  test::PumpFor(30);
  EXPECT_TRUE(::IsIconic(Window()));
  LONG mode = -1;
  EXPECT_EQ(m_document->get_sizemode(&mode), S_OK);
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(RootRect(), before);
  EXPECT_EQ(m_document->put_sizemode(0), S_OK);
  test::PumpFor(30);
  EXPECT_FALSE(::IsIconic(Window()));
  EXPECT_EQ(RootRect(), ClientRect());
}

TEST_F(DocumentTest, ActivatedOnlyBringsForward) {
  ASSERT_EQ(Load(kSkin), S_OK);
  ASSERT_EQ(m_document->put_visible(VARIANT_TRUE), S_OK);
  HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 50,
                                 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ::SetForegroundWindow(other);
  test::PumpFor(30);
  ASSERT_EQ(::GetForegroundWindow(), other);

  VARIANT_BOOL active = VARIANT_TRUE;
  EXPECT_EQ(m_document->get_activated(&active), S_OK);
  EXPECT_EQ(active, VARIANT_FALSE);
  EXPECT_EQ(m_document->put_activated(VARIANT_TRUE), S_OK);
  test::PumpFor(30);
  EXPECT_EQ(::GetForegroundWindow(), Window());
  EXPECT_EQ(m_document->put_activated(VARIANT_FALSE), S_OK);
  test::PumpFor(30);
  EXPECT_EQ(::GetForegroundWindow(), Window()) << "activated = false pushed the window back";
  EXPECT_EQ(m_document->get_activated(&active), S_OK);
  EXPECT_EQ(active, VARIANT_TRUE);
  ::DestroyWindow(other);
}

struct BoxCall {
  HWND owner;
  std::wstring text, caption;
  UINT type;
};
std::vector<BoxCall> g_boxes;
int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  g_boxes.push_back({owner, text ? text : L"<null>", caption ? caption : L"<null>", type});
  return IDOK;
}

TEST_F(DocumentTest, AlertIsOwnedAndFallsBackToTheProductCaption) {
  ASSERT_EQ(Load(kSkin), S_OK);
  scDocument::SetMessageBoxFunction(&RecordBox);
  g_boxes.clear();
  UniqueBstr message(L"Disk full"), empty(L""), title(L"\x6807\x9898");
  struct Case {
    BSTR title;
    const wchar_t* caption;
  };
  const Case cases[] = {{nullptr, L"Velmor"}, {empty.Get(), L"Velmor"}, {title.Get(), title.Get()}};
  for (const Case& c : cases) EXPECT_EQ(m_document->alert(message.Get(), c.title), S_OK);
  scDocument::SetMessageBoxFunction(nullptr);
  ASSERT_EQ(g_boxes.size(), std::size(cases));
  for (size_t i = 0; i < g_boxes.size(); ++i) {
    EXPECT_EQ(g_boxes[i].owner, Window());
    EXPECT_EQ(g_boxes[i].text, L"Disk full");
    EXPECT_EQ(g_boxes[i].caption, cases[i].caption);
    EXPECT_EQ(g_boxes[i].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  }
}

TEST_F(DocumentTest, ClosePostsCloseAndTheWindowIsDestroyed) {
  ASSERT_EQ(Load(kSkin), S_OK);
  HWND window = Window();
  EXPECT_EQ(m_document->close(), S_OK);
  EXPECT_TRUE(::IsWindow(window)) << "close must post, not send";
  EXPECT_NE(m_document->RootElement(), nullptr);
  EXPECT_TRUE(test::PumpUntil([&] { return !::IsWindow(window); }, 2000));
  EXPECT_EQ(m_document->WindowHandle(), nullptr);
  EXPECT_EQ(m_document->RootElement(), nullptr);
  // Without a window the members do nothing harmful.
  EXPECT_EQ(m_document->close(), S_OK);
  EXPECT_EQ(m_document->put_visible(VARIANT_TRUE), S_OK);
  EXPECT_EQ(m_document->put_sizemode(1), S_OK);
  EXPECT_EQ(m_document->lock(3), S_OK);
  EXPECT_EQ(m_document->unlock(3), S_OK);
}

TEST_F(DocumentTest, TopMostFollowsTheExtendedStyle) {
  ASSERT_EQ(Load(kSkin), S_OK);
  VARIANT_BOOL top = VARIANT_TRUE;
  EXPECT_EQ(m_document->get_topMost(&top), S_OK);
  EXPECT_EQ(top, VARIANT_FALSE);
  EXPECT_EQ(m_document->put_topMost(VARIANT_TRUE), S_OK);
  EXPECT_NE(::GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(m_document->get_topMost(&top), S_OK);
  EXPECT_EQ(top, VARIANT_TRUE);
  EXPECT_EQ(m_document->put_topMost(VARIANT_FALSE), S_OK);
  EXPECT_EQ(::GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(DocumentTest, ScriptFacesReachWindowAndDocumentMembers) {
  ASSERT_EQ(Load(kSkin), S_OK);
  ComPtr<IDispatchEx> script;
  ASSERT_EQ(m_document->QueryInterface(IID_PPV_ARGS(&script)), S_OK);

  // window.title through the dispatch bridge.
  UniqueBstr name(L"title");
  DISPID id = DISPID_UNKNOWN;
  ASSERT_EQ(script->GetDispID(name.Get(), fdexNameCaseSensitive, &id), S_OK);
  DISPPARAMS none{};
  UniqueVariant result;
  ASSERT_EQ(script->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
            S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_STREQ(result.bstrVal, L"Behaviour");

  // document.getElementById.
  ComPtr<IDOMDocument> document;
  ASSERT_EQ(m_document->get_document(&document), S_OK);
  EXPECT_TRUE(IsSameObject(document.Get(), script.Get()));
  UniqueBstr hand(L"hand"), missing(L"nope");
  IDOMElement* element = nullptr;
  EXPECT_EQ(document->getElementById(hand.Get(), &element), S_OK);
  ASSERT_NE(element, nullptr);
  EXPECT_TRUE(IsSameObject(element, m_document->FindElementById(L"hand")));
  element->Release();
  element = nullptr;
  EXPECT_EQ(document->getElementById(missing.Get(), &element), S_FALSE);
  EXPECT_EQ(element, nullptr);
  ComPtr<IDOMNode> first;
  EXPECT_EQ(document->get_firstChild(&first), S_OK);
  EXPECT_TRUE(IsSameObject(first.Get(), m_document->RootElement()));

  // The root element finds the window through its document.
  ComPtr<scIWidget> widget;
  ASSERT_EQ(m_document->RootElement()->QueryInterface(IID_PPV_ARGS(&widget)), S_OK);
  HWND window = nullptr;
  EXPECT_EQ(widget->GetWindow(&window), S_OK);
  EXPECT_EQ(window, Window());

  ComPtr<IDOMWindow> parent;
  EXPECT_EQ(m_document->get_parent(&parent), E_UNEXPECTED);
  EXPECT_EQ(parent, nullptr);
}

TEST_F(DocumentTest, ElementCursorsComeFromTheCursorAttribute) {
  ASSERT_EQ(Load(kSkin), S_OK);
  struct Case {
    const wchar_t* id;
    LPCWSTR cursor;
  };
  static const Case kCases[] = {
      {L"hand", IDC_HAND},     {L"we", IDC_SIZEWE},  {L"sys", IDC_ARROW},
      {L"up", IDC_UPARROW},    {L"odd", IDC_ARROW},  {L"none", IDC_ARROW},
  };
  for (const Case& c : kCases) {
    scIContent* element = m_document->FindElementById(c.id);
    ASSERT_NE(element, nullptr) << c.id;
    EXPECT_EQ(ElementCursorId(element), c.cursor) << c.id;
  }
  EXPECT_EQ(ElementCursorId(nullptr), IDC_ARROW);
  SetElementCursor(m_document->FindElementById(L"we"));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
}

TEST_F(DocumentTest, RelativeFilesResolveAgainstTheBaseFolder) {
  ASSERT_EQ(Load(kSkin), S_OK);
  std::wstring path;
  ASSERT_TRUE(m_document->ResolveFile(L"images\\bg.png", path));
  EXPECT_EQ(path, m_dir + L"\\images\\bg.png");
  EXPECT_FALSE(m_document->ResolveFile(nullptr, path));
}

}  // namespace
}  // namespace velmor::window_test
