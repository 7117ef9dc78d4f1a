// The document window's script context: one per native window, what it publishes, the skin's
// script elements running in it while the window loads, replacing it, and closing it with the
// window.
#include <gtest/gtest.h>

#include <string>

#include "base/platform_text.h"
#include "components/component_manager.h"
#include "script/script_context_object.h"
#include "support/document_fixture.h"

namespace velmor::window_test {
namespace {

ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class DocumentScriptTest : public test::DocumentTest {
 protected:
  scScriptContext* Context() const {
    return static_cast<scScriptContext*>(m_document->ScriptContext());
  }
};

TEST_F(DocumentScriptTest, ScriptsSeeTheElementsBeforeThemAndTheirAncestorsOnly) {
  // probe(at) records, for each id in order, whether getElementById finds it at that point.
  ASSERT_EQ(Load("<window id=\"main\">\n"
                    "  <script>var seen = [];\n"
                    "    function probe(at) {\n"
                    "      var ids = ['main', 'before', 'box', 'inner', 'after'], s = at + ':';\n"
                    "      for (var i = 0; i &lt; ids.length; i++)\n"
                    "        s += document.getElementById(ids[i]) != null ? '+' : '-';\n"
                    "      seen.push(s);\n"
                    "    }\n"
                    "    probe('top');</script>\n"
                    "  <label id=\"before\"/>\n"
                    "  <subwindow id=\"box\">\n"
                    "    <subwindow id=\"inner\"><script>probe('inner');</script></subwindow>\n"
                    "    <script>probe('box');</script>\n"
                    "  </subwindow>\n"
                    "  <script>probe('end');</script>\n"
                    "  <label id=\"after\"/>\n"
                    "</window>\n"),
            S_OK);
  // For main, before, box, inner, after: inner scripts see their ancestors, which exist already.
  EXPECT_EQ(Eval(L"seen.join(';')"), L"top:+----;inner:++++-;box:++++-;end:++++-");
  // Once loaded, everything is there.
  ASSERT_EQ(Run(L"probe('later');"), S_OK);
  EXPECT_EQ(Eval(L"seen[seen.length - 1]"), L"later:+++++");
}

TEST_F(DocumentScriptTest, InlineTextRunsBeforeTheSourceFileAndErrorsDoNotStopTheLoad) {
  WriteFile(L"part.js", test::Utf16Bytes(L"order += 'file;';"));
  WriteFile(L"utf8.js", "order += 'utf8;';");
  ASSERT_EQ(Load("<window>\n"
                    "  <script>var order = '';</script>\n"
                    "  <script src=\"part.js\">order += 'inline;';</script>\n"
                    "  <script>throw new Error('a failing script element');</script>\n"
                    "  <script src=\"missing.js\">order += 'before missing;';</script>\n"
                    "  <script src=\"utf8.js\"/>\n"
                    "  <foo><script>order += 'in an unknown tag;';</script></foo><script></script>\n"
                    "  <label id=\"after\"/>\n"
                    "  <script src=\"part.js\"/>\n"
                    "</window>\n"),
            S_OK);
  EXPECT_EQ(Eval(L"order"), L"inline;file;before missing;file;");
  EXPECT_NE(m_document->DocumentContent().FindById(L"after"), nullptr);
}

TEST_F(DocumentScriptTest, WindowAndDocumentAreOneObjectAndComponentsIsPublished) {
  struct Case {
    bool componentManager;
    const wchar_t* componentsType;
  };
  static const Case kCases[] = {{false, L"undefined"}, {true, L"object"}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "component manager " << c.componentManager);
    if (c.componentManager) {
      ASSERT_EQ(components::Initialize(), S_OK);
    }
    // getElementById misses an unknown id and the menu bar, which has no node face; the root is
    // the document's first child.
    ASSERT_EQ(Load("<window id=\"main\" title=\"Shared\"><image id=\"hand\"/><menubar id=\"bar\"/>"
                   "<script>window.fromWindow = 40; document.fromDocument = 2;</script></window>"),
              S_OK);
    EXPECT_EQ(Eval(L"[document.fromWindow + window.fromDocument, window == document, document.title,"
                   L" window.nodeName, typeof Components, document.getElementById('hand').id,"
                   L" document.getElementById('nope') === null, document.getElementById('bar') === null,"
                   L" document.firstChild.id, window.topMost, (window.topMost = true, window.topMost)]"
                   L".join()"),
              std::wstring(L"42,true,Shared,#document,") + c.componentsType + L",hand,true,true,main,false,true");
    EXPECT_NE(::GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(Eval(L"window.parent"), L"<failed>") << "a window nobody opened has no parent";
    // The root element finds the window through its document.
    ComPtr<scIWidget> widget;
    ASSERT_EQ(Root()->QueryInterface(IID_PPV_ARGS(&widget)), S_OK);
    HWND window = nullptr;
    EXPECT_EQ(widget->GetWindow(&window), S_OK);
    EXPECT_EQ(window, Window());
    EXPECT_EQ(Context()->NamedItemCount(), c.componentManager ? 3u : 2u);
    EXPECT_HRESULT_SUCCEEDED(m_document->Destroy());
    if (c.componentManager) {
      EXPECT_EQ(components::Shutdown(), S_OK);
    }
  }
}

TEST_F(DocumentScriptTest, ASecondContextClosesTheFirstAndEachClosesWithItsWindow) {
  ASSERT_TRUE(components::Initialize() == S_OK);
  ASSERT_EQ(Load("<window><script>var generation = 'first';</script></window>"), S_OK);
  ComPtr<scIScriptContext> first(m_document->ScriptContext());
  ASSERT_NE(first, nullptr);
  auto* firstImpl = static_cast<scScriptContext*>(first.Get());
  EXPECT_EQ(firstImpl->NamedItemCount(), 3u);  // window, document, Components
  IUnknown* document = m_document->GetUnknown();
  const ULONG withFirst = RefCount(document);

  ComPtr<scIScriptContext> second;
  ASSERT_EQ(CreateDocumentScriptContext(&second), S_OK);
  ASSERT_EQ(m_document->SetScriptContext(second.Get()), S_OK);
  EXPECT_FALSE(firstImpl->HasEngine());
  EXPECT_EQ(firstImpl->NamedItemCount(), 0u);
  EXPECT_EQ(first->ExecuteScript(L"var x = 1;", nullptr), E_UNEXPECTED);
  EXPECT_EQ(m_document->ScriptContext(), second.Get());
  // The new engine starts empty and sees the window under both names.
  EXPECT_EQ(Eval(L"typeof generation"), L"undefined");
  EXPECT_EQ(Eval(L"typeof window + typeof document + typeof Components"),
            L"objectobjectobject");

  // With no context at all the document holds two references fewer than with one.
  ASSERT_EQ(m_document->SetScriptContext(nullptr), S_OK);
  EXPECT_FALSE(static_cast<scScriptContext*>(second.Get())->HasEngine());
  EXPECT_EQ(m_document->ScriptContext(), nullptr);
  EXPECT_LE(RefCount(document) + 2, withFirst);

  // Each native window gets one, closed with it.
  ASSERT_EQ(Load("<window><script>var loaded = 'yes';</script></window>"), S_OK);
  ComPtr<scIScriptContext> context(m_document->ScriptContext());
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(Eval(L"loaded"), L"yes");
  ASSERT_EQ(m_document->Destroy(), S_OK);
  EXPECT_FALSE(static_cast<scScriptContext*>(context.Get())->HasEngine());
  EXPECT_EQ(context->ExecuteScript(L"var late = 1;", nullptr), E_UNEXPECTED);
  ComPtr<IUnknown> found;
  EXPECT_EQ(m_document->GetScriptContext(&found), S_FALSE);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(components::Shutdown(), S_OK);
}

TEST_F(DocumentScriptTest, SkinScriptsPlaceAndShowTheWindow) {
  ASSERT_EQ(Load("<window><script>window.moveSizeTo(30, 40, 320, 200, 0);\n"
                    "window.visible = true;</script></window>"),
            S_OK);
  EXPECT_TRUE(::IsWindowVisible(Window()));
  RECT outer{};
  ::GetWindowRect(Window(), &outer);
  EXPECT_EQ(outer, (RECT{30, 40, 350, 240}));
  // Loading ends with a layout at the outer size the script chose.
  EXPECT_EQ(RootRect(), (RECT{0, 0, 320, 200}));

  // Moves and sizes after the load: placement_test.
  ASSERT_EQ(Run(L"window.visible = false;"), S_OK);
  EXPECT_FALSE(::IsWindowVisible(Window()));
}

// A title far longer than the platform takes: the window shows it cut, the engine keeps running,
// and scripts read back what they set; a short title set afterwards is shown whole again.
TEST_F(DocumentScriptTest, AHugeTitleIsCutForTheWindowAndReadsBackWhole) {
  ASSERT_EQ(Load("<window><script>"
                    "var huge = 'ab'; while (huge.length &lt; 16777216) huge += huge;"
                    "window.title = huge;"
                    "var same = window.title == huge, length = window.title.length;"
                    "</script></window>"),
            S_OK);
  EXPECT_EQ(Eval(L"same + ',' + length"), L"true,16777216");
  EXPECT_EQ(::GetWindowTextLengthW(Window()), static_cast<int>(kMaxPlatformText));
  // An emoji cut in half would leave a lone surrogate: the cut moves before it.
  ASSERT_EQ(Run(L"var odd = 'x'; while (odd.length < 32766) odd += 'x';"
                L"window.title = odd + '\\uD83D\\uDE00' + huge;"),
            S_OK);
  EXPECT_EQ(::GetWindowTextLengthW(Window()), static_cast<int>(kMaxPlatformText) - 1);
  EXPECT_EQ(Eval(L"String(window.title.length == 32768 + huge.length)"), L"true");
  ASSERT_EQ(Run(L"window.title = 'short';"), S_OK);
  EXPECT_EQ(Eval(L"window.title"), L"short");
  wchar_t shown[16] = {};
  ::GetWindowTextW(Window(), shown, 16);
  EXPECT_STREQ(shown, L"short");
}

}  // namespace
}  // namespace velmor::window_test
