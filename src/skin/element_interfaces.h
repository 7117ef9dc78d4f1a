// The interface tables of the script-visible element classes: where the dispatch bridge finds an
// element's native members, in lookup order (the first interface that knows a name wins, and its
// position in the table rides in the top four bits of the member's dispatch identifier).
#pragma once
#include <windows.h>

#include "script/dispatch_bridge.h"

namespace velmor {

// The widget element: the component it hosts, whose own members scripts reach after the
// wrapper's (the last entry of the widget's table).
class scIWrappedComponentSource {
 public:
  // The component's IDispatch; S_FALSE and null while the widget wraps nothing.
  virtual HRESULT GetWrappedDispatch(IDispatch** out) = 0;

 protected:
  ~scIWrappedComponentSource() = default;
};

}  // namespace velmor

namespace velmor::element_interfaces {

extern const DispInterfaceTable kWindow;  // the root "window" element
extern const DispInterfaceTable kImage;
extern const DispInterfaceTable kSubWindow;
extern const DispInterfaceTable kButton;
extern const DispInterfaceTable kCheckBox;  // check boxes and radios
extern const DispInterfaceTable kMenuPopup;
extern const DispInterfaceTable kMenuItem;  // menu items and separators
extern const DispInterfaceTable kSplitter;
extern const DispInterfaceTable kLabel;
extern const DispInterfaceTable kWidgetWrapper;
extern const DispInterfaceTable kTextBox;
extern const DispInterfaceTable kDateTimePicker;  // date and time pickers
extern const DispInterfaceTable kKeySet;
extern const DispInterfaceTable kKey;

}  // namespace velmor::element_interfaces
