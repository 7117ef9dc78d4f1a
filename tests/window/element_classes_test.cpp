// The engine's element classes in the content tree: every tag built as its class, the window
// element's native window and its invalidations, and the default actions of the classes that
// have their own.
#include <windows.h>

#include "content_fixture.h"
#include "controls/button_content.h"
#include "controls/check_box_content.h"
#include "controls/date_time_picker_content.h"
#include "controls/image_content.h"
#include "controls/label_content.h"
#include "controls/subwindow_content.h"
#include "controls/text_box_content.h"
#include "window/element_class_table.h"
#include "window/window_content.h"

namespace velmor {

inline std::ostream& operator<<(std::ostream& out, const scRect& r) {
  return out << "{" << r.x << "," << r.y << "," << r.width << "," << r.height << "}";
}

namespace skin_test {
namespace {

class EngineClassesTest : public ContentTest {
 protected:
  void SetUp() override {
    m_classes = &EngineElementClasses();
    ContentTest::SetUp();
  }
};

TEST_F(EngineClassesTest, FactoryMapsEveryTagToItsClass) {
  struct Case {
    const wchar_t* tag;
    const wchar_t* nodeName;   // what IDOMNode.nodeName answers; null: not a script node
    const char* className;
    bool (*isClass)(scIContent*);
  };
#define VELMOR_IS(T) [](scIContent* c) { return dynamic_cast<T*>(c) != nullptr; }
  static const Case kCases[] = {
      {L"window", L"window", "scWindowContent", VELMOR_IS(scWindowContent)},
      {L"image", L"image", "scImageContent", VELMOR_IS(scImageContent)},
      {L"subwindow", L"subwindow", "scSubWindowContent", VELMOR_IS(scSubWindowContent)},
      {L"button", L"button", "scButtonContent", VELMOR_IS(scButtonContent)},
      {L"menubar", nullptr, "scMenuBar", VELMOR_IS(scMenuBar)},
      {L"menu", nullptr, "scMenu", VELMOR_IS(scMenu)},
      {L"menupopup", L"menupopup", "scMenuPopup", VELMOR_IS(scMenuPopup)},
      {L"menuitem", L"menuitem", "scMenuItem", VELMOR_IS(scMenuItem)},
      {L"menuseparator", L"menuitem", "scMenuItem", VELMOR_IS(scMenuItem)},
      {L"splitter", L"splitter", "scSplitter", VELMOR_IS(scSplitter)},
      {L"splitterbar", nullptr, "scSplitterBar", VELMOR_IS(scSplitterBar)},
      {L"label", L"label", "scLabelContent", VELMOR_IS(scLabelContent)},
      {L"widget", L"widget", "scWidgetWrapper", VELMOR_IS(scWidgetWrapper)},
      {L"textbox", L"textbox", "scTextBoxContent", VELMOR_IS(scTextBoxContent)},
      {L"datepicker", L"datepicker", "scDatePickerContent", VELMOR_IS(scDatePickerContent)},
      {L"timepicker", L"timepicker", "scTimePickerContent", VELMOR_IS(scTimePickerContent)},
      {L"checkbox", L"checkbox", "scCheckBoxContent", VELMOR_IS(scCheckBoxContent)},
      {L"radio", L"radio", "scRadioContent", VELMOR_IS(scRadioContent)},
      {L"keyset", L"keyset", "scKeySetContent", VELMOR_IS(scKeySetContent)},
      {L"key", L"key", "scKeyContent", VELMOR_IS(scKeyContent)},
  };
#undef VELMOR_IS
  int tagCount = 0;
  const wchar_t* const* tags = ElementTags(&tagCount);
  ASSERT_EQ(tagCount, 20);
  for (int i = 0; i < tagCount; ++i) {
    const Case& c = kCases[i];
    EXPECT_STREQ(tags[i], c.tag) << "factory order";
    ComPtr<scIContent> element = Create(Prototype(c.tag));
    ASSERT_TRUE(element) << c.tag;
    EXPECT_TRUE(c.isClass(element.Get())) << c.className;
    ComPtr<IDOMNode> node;
    const HRESULT hr = element.As(&node);
    if (c.nodeName == nullptr) {
      EXPECT_EQ(hr, E_NOINTERFACE) << c.tag;
      continue;
    }
    ASSERT_EQ(hr, S_OK) << c.tag;
    UniqueBstr name;
    EXPECT_EQ(node->get_nodeName(name.Put()), S_OK);
    EXPECT_EQ(name.View(), c.nodeName) << c.tag;
    EXPECT_EQ(node->get_nodeName(nullptr), E_POINTER);
    // One identity whichever interface is asked.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(element.As(&dispatch), S_OK);
    EXPECT_TRUE(IsSameObject(dispatch.Get(), element.Get()));
    ComPtr<scINode> asNode;
    EXPECT_EQ(element.As(&asNode), S_OK);
    ComPtr<scIPDOMEventTarget> target;
    EXPECT_EQ(element.As(&target), S_OK);
    EXPECT_EQ(target->GetTargetContent(), element.Get());
    element->Destroy();
  }
}


TEST_F(EngineClassesTest, WindowElementAsksTheDocumentForItsWindowOnce) {
  ASSERT_EQ(Load("<window/>"), S_OK);
  ComPtr<scIWidget> widget;
  ASSERT_EQ(Root()->QueryInterface(IID_PPV_ARGS(&widget)), S_OK);
  HWND window = reinterpret_cast<HWND>(1);
  EXPECT_EQ(widget->GetWindow(&window), E_FAIL) << "no window yet";
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(widget->GetWindow(nullptr), E_POINTER);
  const HWND desktop = ::GetDesktopWindow();
  m_document->SetWindow(desktop);
  EXPECT_EQ(widget->GetWindow(&window), S_OK);
  EXPECT_EQ(window, desktop);
  const int queries = m_document->windowQueries;
  EXPECT_EQ(widget->GetWindow(&window), S_OK);
  EXPECT_EQ(m_document->windowQueries, queries) << "the answer is kept";
  ComPtr<scIWidget> none;
  EXPECT_EQ(ById(L"x"), nullptr);
}


TEST_F(EngineClassesTest, DefaultActionsAndStoredValue) {
  struct Case {
    const wchar_t* tag;
    HRESULT post;
  };
  static const Case kCases[] = {{L"window", E_FAIL}, {L"image", E_FAIL}, {L"button", S_OK},
                                {L"label", S_OK},    {L"menubar", S_OK}, {L"key", S_OK}};
  for (const Case& c : kCases) {
    ComPtr<scIContent> e = Create(Prototype(c.tag));
    LONG status = 0;
    EXPECT_EQ(e->PostHandleEvent(nullptr, &status), c.post) << c.tag;
    EXPECT_EQ(e->GetStoredValue(), 0);
    e->Destroy();
  }
}


// A shown popup window whose update region the tests read back.
class NativeWindow {
 public:
  NativeWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmorGeometryTest";
    ::RegisterClassW(&wc);
    m_window = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                 WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    if (m_window != nullptr) ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
    Validate();
  }
  ~NativeWindow() {
    if (m_window != nullptr) ::DestroyWindow(m_window);
  }
  HWND Get() const { return m_window; }
  void Validate() {
    test::PumpFor(20);
    ::ValidateRect(m_window, nullptr);
  }
  // The bounds of the pending update region (all zero when nothing is invalid).
  scRect Update() const {
    RECT rect = {};
    ::GetUpdateRect(m_window, &rect, FALSE);
    return scRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  }

 private:
  HWND m_window = nullptr;
};

TEST_F(EngineClassesTest, RootElementInvalidatesItsDocumentWindow) {
  NativeWindow window;
  ASSERT_NE(window.Get(), nullptr);
  ASSERT_EQ(Load("<window width=\"400\" height=\"300\">"
                 "<image id=\"panel\" left=\"100\" top=\"50\" width=\"200\" height=\"200\">"
                 "<button id=\"b\" left=\"10\" top=\"20\" width=\"30\" height=\"40\"/>"
                 "</image></window>"),
            S_OK);
  ComPtr<IDOMAmbient> button;
  ASSERT_EQ(ById(L"b")->QueryInterface(IID_PPV_ARGS(&button)), S_OK);
  // No window yet: nothing happens and nothing breaks.
  EXPECT_EQ(button->lock(1), S_OK);
  EXPECT_EQ(button->unlock(1), S_OK);

  m_document->SetWindow(window.Get());
  EXPECT_EQ(window.Update(), (scRect{})) << "nothing invalid after validation";
  EXPECT_EQ(button->lock(1), S_OK);
  EXPECT_EQ(window.Update(), (scRect{})) << "locking does not repaint";
  EXPECT_EQ(button->unlock(1), S_OK);
  EXPECT_EQ(window.Update(), (scRect{110, 70, 30, 40})) << "the button in window coordinates";

  window.Validate();
  EXPECT_EQ(button->moveTo(0, 0, 0), S_OK);
  EXPECT_EQ(window.Update(), (scRect{100, 50, 40, 60})) << "old and new rectangles";

  // Resizing the root relays the tree out; the root has no parent to repaint it.
  window.Validate();
  Root()->MoveSize(0, 0, 400, 300);
  EXPECT_EQ(window.Update(), (scRect{100, 50, 200, 200})) << "the panel's rectangle, twice";
}

}  // namespace
}  // namespace skin_test
}  // namespace velmor
