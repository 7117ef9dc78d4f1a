#include "window/element_class_table.h"

#include "controls/button_content.h"
#include "controls/check_box_content.h"
#include "controls/date_time_picker_content.h"
#include "controls/image_content.h"
#include "controls/label_content.h"
#include "controls/subwindow_content.h"
#include "controls/text_box_content.h"
#include "window/window_content.h"

namespace velmor {
namespace {

const ElementClass kClasses[] = {
    {L"window", NewElement<scWindowContent>},
    {L"image", NewElement<scImageContent>},
    {L"subwindow", NewElement<scSubWindowContent>},
    {L"button", NewElement<scButtonContent>},
    {L"menubar", NewElement<scMenuBar>},
    {L"menu", NewElement<scMenu>},
    {L"menupopup", NewElement<scMenuPopup>},
    {L"menuitem", NewElement<scMenuItem>},
    {L"menuseparator", NewElement<scMenuItem>},
    {L"splitter", NewElement<scSplitter>},
    {L"splitterbar", NewElement<scSplitterBar>},
    {L"label", NewElement<scLabelContent>},
    {L"widget", NewElement<scWidgetWrapper>},
    {L"textbox", NewElement<scTextBoxContent>},
    {L"datepicker", NewElement<scDatePickerContent>},
    {L"timepicker", NewElement<scTimePickerContent>},
    {L"checkbox", NewElement<scCheckBoxContent>},
    {L"radio", NewElement<scRadioContent>},
    {L"keyset", NewElement<scKeySetContent>},
    {L"key", NewElement<scKeyContent>},
};
const ElementClassTable kTable{kClasses, static_cast<int>(sizeof(kClasses) / sizeof(kClasses[0]))};

}  // namespace

const ElementClassTable& EngineElementClasses() { return kTable; }

}  // namespace velmor
