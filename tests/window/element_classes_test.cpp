// The engine's element classes in a real document window: every tag built as its class, the
// classes' own default actions, and the root element's invalidations reaching the window.
#include <windows.h>

#include "controls/button_content.h"
#include "controls/check_box_content.h"
#include "controls/date_time_picker_content.h"
#include "controls/image_content.h"
#include "controls/label_content.h"
#include "controls/splitter.h"
#include "controls/subwindow_content.h"
#include "controls/text_box_content.h"
#include "controls/widget_wrapper.h"
#include "menus/key_content.h"
#include "menus/menu_content.h"
#include "skin/element_classes.h"
#include "skin/element_factory.h"
#include "support/document_fixture.h"
#include "window/window_content.h"

namespace velmor::window_test {
namespace {

using test::DocumentTest;

// The classes that are not script nodes are found by the tree (menubar > menu, splitter >
// splitterbar); the others by id.
TEST_F(DocumentTest, EveryTagIsBuiltAsItsClassInTheFactoryOrder) {
  ASSERT_EQ(Load("<window id='window'><image id='image'/><subwindow id='subwindow'/>"
                 "<button id='button'/><menubar id='menubar'><menu id='menu'>"
                 "<menupopup id='menupopup'><menuitem id='menuitem'/>"
                 "<menuseparator id='menuseparator'/></menupopup></menu></menubar>"
                 "<splitter id='splitter'><splitterbar id='splitterbar'/></splitter>"
                 "<label id='label'/><widget id='widget'/><textbox id='textbox'/>"
                 "<datepicker id='datepicker'/><timepicker id='timepicker'/>"
                 "<checkbox id='checkbox'/><radio id='radio'/><keyset id='keyset'>"
                 "<key id='key'/></keyset></window>"),
            S_OK);
#define VELMOR_IS(T) [](scIContent* c) { return dynamic_cast<T*>(c) != nullptr; }
  const struct {
    bool (*isClass)(scIContent*);
    bool scriptNode;
  } classes[] = {
      {VELMOR_IS(scWindowContent), true},      {VELMOR_IS(scImageContent), true},
      {VELMOR_IS(scSubWindowContent), true},   {VELMOR_IS(scButtonContent), true},
      {VELMOR_IS(scMenuBar), false},           {VELMOR_IS(scMenu), false},
      {VELMOR_IS(scMenuPopup), true},          {VELMOR_IS(scMenuItem), true},
      {VELMOR_IS(scMenuItem), true},           {VELMOR_IS(scSplitter), true},
      {VELMOR_IS(scSplitterBar), false},       {VELMOR_IS(scLabelContent), true},
      {VELMOR_IS(scWidgetWrapper), true},      {VELMOR_IS(scTextBoxContent), true},
      {VELMOR_IS(scDatePickerContent), true},  {VELMOR_IS(scTimePickerContent), true},
      {VELMOR_IS(scCheckBoxContent), true},    {VELMOR_IS(scRadioContent), true},
      {VELMOR_IS(scKeySetContent), true},      {VELMOR_IS(scKeyContent), true},
  };
#undef VELMOR_IS
  int count = 0;
  const wchar_t* const* tags = ElementTags(&count);
  ASSERT_EQ(count, static_cast<int>(std::size(classes)));
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(testing::Message() << tags[i]);
    scIContent* element = Element(tags[i]);
    ASSERT_NE(element, nullptr);
    EXPECT_TRUE(classes[i].isClass(element));
    ComPtr<IDOMNode> node;
    EXPECT_EQ(SUCCEEDED(element->QueryInterface(IID_PPV_ARGS(&node))), classes[i].scriptNode);
    ComPtr<scIPDOMEventTarget> target;
    ASSERT_EQ(element->QueryInterface(IID_PPV_ARGS(&target)), S_OK);
    EXPECT_EQ(target->GetTargetContent(), element);
  }
  // The window and the image have no default action of their own.
  for (const wchar_t* id : {L"window", L"image"}) {
    LONG status = 0;
    EXPECT_EQ(Element(id)->PostHandleEvent(nullptr, &status), E_FAIL) << id;
  }
}

// Elements invalidate through the root into the document window, in window coordinates.
TEST_F(DocumentTest, ElementInvalidationsReachTheWindow) {
  // The background gives the shown window its shape.
  ASSERT_EQ(LoadBody("<subwindow width=\"400\" height=\"300\" backgroundColor=\"#808080\"/>"
                     "<image id=\"panel\" left=\"100\" top=\"50\" width=\"200\" height=\"200\">"
                     "<button id=\"b\" left=\"10\" top=\"20\" width=\"30\" height=\"40\"/></image>",
                     400, 300),
            S_OK);
  ShowAt(0, 0);
  auto update = [&] {
    RECT r{};
    ::GetUpdateRect(Window(), &r, FALSE);
    ::ValidateRect(Window(), nullptr);
    return r;
  };
  update();
  ComPtr<IDOMAmbient> button;
  ASSERT_EQ(Element(L"b")->QueryInterface(IID_PPV_ARGS(&button)), S_OK);
  EXPECT_EQ(button->lock(1), S_OK);
  EXPECT_EQ(update(), (RECT{0, 0, 0, 0})) << "locking does not repaint";
  EXPECT_EQ(button->unlock(1), S_OK);
  EXPECT_EQ(update(), (RECT{110, 70, 140, 110}));
  EXPECT_EQ(button->moveTo(0, 0, 0), S_OK);
  EXPECT_EQ(update(), (RECT{100, 50, 140, 110})) << "old and new rectangles";
}

}  // namespace
}  // namespace velmor::window_test
