// Widgets end to end with the component runtime's list widget: its window kept over the
// element's box, instance and service components, the component's events reaching the element's
// handler from a real click, its members called from script through the element; an animated
// subwindow background on screen; and a thousand windows with a splitter and a widget opened and
// closed.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "components/component_manager.h"
#include "controls/widget_wrapper.h"
#include "support/document_fixture.h"
#include "support/resources.h"

namespace velmor {
namespace {

using test::DocumentTest;

constexpr wchar_t kListContract[] = L"@velmor.net/widgets/list;1";

const char kListSkin[] =
    "<script>var trace = ''; function $(id) { return document.getElementById(id); }</script>"
    "<subwindow id='panel' left='0' top='0' width='300' height='200' backgroundColor='#E0E0E0'"
    " horizontalAlignment='stretch'>"
    "<widget id='w' left='20' top='30' width='200' height='120' horizontalAlignment='stretch'"
    " contractId='@velmor.net/widgets/list;1'"
    " onselect=\"trace += arguments[0] + ':' + arguments[1] + ' '\"/>"
    "</subwindow>";

// Documents with the component runtime running (widgets find their components through it and
// animations their timers).
class RuntimeDocumentTest : public DocumentTest {
 protected:
  static void SetUpTestSuite() {
    DocumentTest::SetUpTestSuite();
    ASSERT_EQ(components::Initialize(), S_OK);
  }
  static void TearDownTestSuite() { (void)components::Shutdown(); }

  scWidgetWrapper* Widget(const wchar_t* id) { return dynamic_cast<scWidgetWrapper*>(Impl(id)); }
  // A window's rectangle in the document window's client coordinates.
  RECT InClient(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

using WidgetTest = RuntimeDocumentTest;

TEST_F(WidgetTest, AnInstanceFollowsItsElementAndRaisesItsEvents) {
  ASSERT_EQ(LoadBody(kListSkin, 300, 200), S_OK);
  ShowAt(60, 60);
  HWND list = Widget(L"w")->ComponentWindow();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(::GetParent(list), Window());
  EXPECT_EQ(::GetWindowLongPtrW(list, GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
  EXPECT_EQ(InClient(list), (RECT{20, 30, 220, 150}));

  // The component's own members, through the element.
  EXPECT_EQ(Eval(L"var w = $('w'); w.addItem('one'); w.addItem('two'); w.addItem('three');"
                 L" [w.count, w.item(1), w.contractId].join()"),
            L"3,two,@velmor.net/widgets/list;1");

  // Moves, window resizes and visibility of an ancestor.
  ASSERT_EQ(Run(L"w.moveTo(30, 40)"), S_OK);
  EXPECT_EQ(InClient(list), (RECT{30, 40, 230, 160}));
  SetClientSize(400, 200);
  EXPECT_EQ(InClient(list), (RECT{30, 40, 320, 160}));
  ASSERT_EQ(Run(L"$('panel').visible = false"), S_OK);
  EXPECT_FALSE(::IsWindowVisible(list));
  ASSERT_EQ(Run(L"w.moveTo(10, 10); $('panel').visible = true"), S_OK);
  EXPECT_TRUE(::IsWindowVisible(list));
  EXPECT_EQ(InClient(list), (RECT{10, 10, 320, 130}));

  // A real click on the second line and a selection from script both reach "onselect".
  HWND box = ::FindWindowExW(list, nullptr, L"ListBox", nullptr);
  ASSERT_NE(box, nullptr);
  RECT item{};
  ::SendMessageW(box, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ::ClientToScreen(box, &at);
  ::SetForegroundWindow(Window());
  test::RealMouse(at, at);
  ASSERT_EQ(Run(L"w.selectedIndex = 2"), S_OK);
  EXPECT_EQ(Eval(L"trace"), L"1:two 2:three ");

  // An unknown contract changes nothing; closing the window destroys the instance's window.
  EXPECT_EQ(Eval(L"w.setContractId('@velmor.net/nothing;1', false); w.contractId + ',' + w.count"),
            L"@velmor.net/widgets/list;1,3");
  EXPECT_EQ(Widget(L"w")->ComponentWindow(), list);
  m_document->Destroy();
  EXPECT_FALSE(::IsWindow(list));
}

TEST_F(WidgetTest, AServiceWindowIsAdoptedAndOutlivesTheHost) {
  ComPtr<IWidgetWindow> service;
  ASSERT_EQ(components::GetService(kListContract, service), S_OK);
  HWND popup = service->Create(nullptr, 0);
  ASSERT_NE(popup, nullptr);
  ::ShowWindow(popup, SW_SHOWNA);
  std::string skin = kListSkin;
  skin.insert(skin.find(" contractId="), " useService='true'");
  ASSERT_EQ(LoadBody(skin, 300, 200), S_OK);
  ShowAt(60, 60);

  EXPECT_EQ(Widget(L"w")->ComponentWindow(), popup);
  EXPECT_EQ(::GetParent(popup), Window());
  EXPECT_EQ(::GetWindowLongPtrW(popup, GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
  EXPECT_EQ(InClient(popup), (RECT{20, 30, 220, 150}));
  EXPECT_TRUE(::IsWindowVisible(popup));
  EXPECT_EQ(Eval(L"$('w').selectedIndex"), L"-1") << "the service's members through the element";

  // Closing the window hides the service's window and hands it back; an instance replaces it.
  m_document->Destroy();
  EXPECT_TRUE(::IsWindow(popup));
  EXPECT_FALSE(::IsWindowVisible(popup));
  EXPECT_EQ(::GetParent(popup), nullptr);
  ASSERT_EQ(LoadBody(skin, 300, 200), S_OK);
  EXPECT_EQ(::GetParent(popup), Window());
  ASSERT_EQ(Run(L"$('w').setContractId('@velmor.net/widgets/list;1', false)"), S_OK);
  EXPECT_NE(Widget(L"w")->ComponentWindow(), popup);
  EXPECT_FALSE(::IsWindowVisible(popup));
  EXPECT_EQ(Eval(L"$('w').count"), L"0");
  m_document->Destroy();
  EXPECT_EQ(service->Destroy(), S_OK);
}

TEST_F(RuntimeDocumentTest, AnAnimatedSubwindowBackgroundChangesFramesOnScreen) {
  std::string gif = "Z:";
  for (const char* c = VELMOR_FIXTURES "/images/endless.gif"; *c; ++c) gif += *c == '/' ? '\\' : *c;
  ASSERT_EQ(LoadBody("<subwindow left='0' top='0' width='40' height='40' backgroundColor='#808080' "
                     "backgroundImageStretchMode='stretch' backgroundImage='" + gif + "'/>",
                     40, 40),
            S_OK);
  ShowAt(60, 60);
  POINT centre{20, 20};
  ::ClientToScreen(Window(), &centre);
  // The three frames are red, green and blue.
  const std::set<COLORREF> frames{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  std::set<COLORREF> seen;
  test::PumpUntil(
      [&] {
        const COLORREF shown = test::ScreenPixel(centre.x, centre.y);
        if (frames.count(shown) != 0) seen.insert(shown);
        return seen.size() == frames.size();
      },
      5000);
  EXPECT_EQ(seen, frames);
}

TEST_F(RuntimeDocumentTest, AThousandWindowsWithASplitterAndAWidgetLeaveNothingBehind) {
  const std::string skin =
      "<splitter left='0' top='0' width='300' height='200'>"
      "<subwindow backgroundColor='#FFFFFF'/><splitterbar left='80' width='4'/>"
      "<widget id='w' contractId='@velmor.net/widgets/list;1' onselect='n = event'/>"
      "</splitter>";
  auto cycle = [&] {
    ASSERT_EQ(LoadBody(skin, 300, 200), S_OK);
    ASSERT_NE(Widget(L"w")->ComponentWindow(), nullptr);
    ASSERT_TRUE(Widget(L"w")->HasEventSink());
    m_document->Destroy();
  };
  cycle();  // caches warm
  const test::ResourceSnapshot before = test::ResourceSnapshot::Take();
  const long sinks = LiveObjects<CDispEvent>::Count();
  for (int i = 0; i < 1000; ++i) cycle();
  EXPECT_EQ(test::ResourceSnapshot::Take(), before);
  EXPECT_EQ(LiveObjects<CDispEvent>::Count(), sinks);
}

}  // namespace
}  // namespace velmor
