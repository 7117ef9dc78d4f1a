// Members called straight through the vtable answer scripts exactly as the platform's DispInvoke
// does: every row runs in the window's JScript once with direct calls and once with every call
// handed to DispInvoke, and both must give the row's result or script error.
#include <gtest/gtest.h>

#include <string>

#include "base/direct_invoke.h"
#include "support/document_fixture.h"
#include "typelib/dual_dispatch.h"

namespace velmor::window_test {
namespace {

struct Row {
  const wchar_t* body;      // a function body run in the window's engine
  const wchar_t* expected;  // its return value as text, or "error <number in hex>"
};

// Element, document and window members: exact argument types (called directly, a failing member
// among them), and the cases left to the platform (coercion, missing, extra and optional
// arguments, an object where a string is declared).
const Row kRows[] = {
    {L"return el.width;", L"30"},
    {L"el.width = 45; return el.width;", L"45"},
    {L"el.width = '52'; return el.width;", L"52"},
    {L"el.width = 12.7; return el.width;", L"13"},
    {L"el.width = true; return el.width;", L"-1"},
    {L"el.width = 'wide'; return el.width;", L"error 80020005"},
    {L"el.width = null; return el.width;", L"error 80020005"},
    {L"el.visible = false; return el.visible;", L"false"},
    {L"el.visible = 0; return el.visible;", L"false"},
    {L"el.visible = 'yes'; return el.visible;", L"error 80020005"},
    {L"return el.id + typeof el.id;", L"bstring"},
    {L"el.horizontalAlignment = 'right'; return el.horizontalAlignment;", L"right"},
    {L"el.horizontalAlignment = 7; return el.horizontalAlignment;", L"left"},
    {L"el.clippingColor = 'red'; return el.clippingColor;", L"error 80004001"},
    {L"el.clippingColor = el; return el.clippingColor;", L"error 80004001"},
    {L"window.sizemode = 99; return window.sizemode;", L"0"},
    {L"el.lock(-5); el.unlock(-5); return 'ok';", L"ok"},
    {L"el.clippingImage = 'missing.png'; return el.clippingImage;", L"error 80004001"},
    {L"return document.getElementById('b').id;", L"b"},
    {L"return document.getElementById('none');", L"null"},
    {L"return document.getElementById(5);", L"null"},
    {L"return document.getElementById();", L"error 8002000e"},
    {L"return document.getElementById('b', 1);", L"error 8002000e"},
    {L"return document.getElementById(el) === null;", L"error 80020005"},
    {L"return window.sizemode;", L"0"},
    {L"window.title = 'named'; return window.title;", L"named"},
    {L"window.title = 12; return window.title;", L"12"},
    {L"el.moveTo(3, 4); return el.left + ',' + el.top;", L"3,4"},
    {L"el.moveTo(3, 4, 10); return el.left;", L"error 80004001"},
    {L"return el.ownerDocument === document;", L"true"},
};

// Parameter: whether members may be called directly.
class DirectInvokeTest : public test::DocumentTest, public ::testing::WithParamInterface<bool> {
 protected:
  void TearDown() override {
    DirectInvokeTable::SetEnabled(true);
    DocumentTest::TearDown();
  }
};

TEST_P(DirectInvokeTest, AnswersAsThePlatformDoes) {
  DirectInvokeTable::SetEnabled(GetParam());
  ASSERT_EQ(LoadBody("<button id='b' left='10' top='10' width='30' height='20'/>", 200, 100), S_OK);
  for (const Row& row : kRows) {
    Run(std::wstring(L"var el = document.getElementById('b'); function probe() {") + row.body +
        L"} var answer; try { answer = String(probe()); } catch (e) {"
        L" answer = 'error ' + (e.number >>> 0).toString(16); }");
    EXPECT_EQ(Eval(L"answer"), row.expected) << row.body;
  }
}
INSTANTIATE_TEST_SUITE_P(DirectAndPlatform, DirectInvokeTest, ::testing::Bool());

// The tables come from the type library itself; each scripted interface must have members that
// are called directly, or the fast path has silently gone.
TEST(DirectInvokeTable, ScriptedInterfacesHaveDirectMembers) {
  EXPECT_GE(DualDispatchImpl<IDOMAmbient>::DirectTable().DirectCount(), 20u);
  EXPECT_GE(DualDispatchImpl<IDOMDocument>::DirectTable().DirectCount(), 1u);
  EXPECT_GE(DualDispatchImpl<IDOMWindow>::DirectTable().DirectCount(), 10u);
  EXPECT_GE(DualDispatchImpl<IDOMElement>::DirectTable().DirectCount(), 3u);
}

}  // namespace
}  // namespace velmor::window_test
