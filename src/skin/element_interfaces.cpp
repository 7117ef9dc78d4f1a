#include "skin/element_interfaces.h"

#include "skin/element_classes.h"
#include "ui_h.h"

namespace velmor::element_interfaces {
namespace {

// The component a widget wraps, reached after the wrapper's own interfaces.
[[nodiscard]] HRESULT WrappedComponent(IUnknown* identity, IDispatch** out) {
  // The identity of every element is its shared content implementation.
  auto* wrapper =
      dynamic_cast<scIWrappedComponentSource*>(static_cast<scITextBaseContent*>(identity));
  if (wrapper == nullptr) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  return wrapper->GetWrappedDispatch(out);
}

template <size_t N>
constexpr DispInterfaceTable Table(const DispInterfaceEntry (&entries)[N]) {
  static_assert(N <= 14, "the top four bits of a dispatch identifier name at most 14 interfaces");
  return DispInterfaceTable{entries, N};
}

const DispInterfaceEntry kNodeAmbientEntries[] = {{&IID_IDOMNode, nullptr},
                                                  {&IID_IDOMAmbient, nullptr}};
const DispInterfaceEntry kImageEntries[] = {{&IID_IDOMImage, nullptr}, {&IID_IDOMAmbient, nullptr}};
const DispInterfaceEntry kSubWindowEntries[] = {{&IID_IDOMAmbient, nullptr},
                                                {&IID_IDOMNode, nullptr}};
const DispInterfaceEntry kButtonEntries[] = {{&IID_IDOMButton, nullptr},
                                             {&IID_IDOMAmbient, nullptr}};
const DispInterfaceEntry kCheckBoxEntries[] = {{&IID_IDOMAmbient, nullptr},
                                               {&IID_IDOMButton, nullptr}};
const DispInterfaceEntry kMenuPopupEntries[] = {{&IID_IDOMAmbient, nullptr},
                                                {&IID_IDOMMenuPopup, nullptr}};
const DispInterfaceEntry kMenuItemEntries[] = {{&IID_IDOMMenuItem, nullptr},
                                               {&IID_IDOMAmbient, nullptr}};
const DispInterfaceEntry kSplitterEntries[] = {{&IID_IDOMAmbient, nullptr},
                                               {&IID_IDOMSplitter, nullptr}};
const DispInterfaceEntry kLabelEntries[] = {{&IID_IDOMLabel, nullptr}, {&IID_IDOMAmbient, nullptr}};
const DispInterfaceEntry kWidgetWrapperEntries[] = {
    {&IID_IDOMWidgetWrapper, nullptr}, {&IID_IDOMAmbient, nullptr}, {nullptr, &WrappedComponent}};
const DispInterfaceEntry kTextBoxEntries[] = {
    {&IID_IDOMAmbient, nullptr}, {&IID_IDOMTextBox, nullptr}, {&IID_IDOMFocusableNode, nullptr}};
const DispInterfaceEntry kDateTimePickerEntries[] = {{&IID_IDOMAmbient, nullptr},
                                                     {&IID_IDOMDateTimePicker, nullptr}};
const DispInterfaceEntry kKeyEntries[] = {{&IID_IDOMKeyShortcut, nullptr},
                                          {&IID_IDOMAmbient, nullptr}};

}  // namespace

const DispInterfaceTable kWindow = Table(kNodeAmbientEntries);
const DispInterfaceTable kImage = Table(kImageEntries);
const DispInterfaceTable kSubWindow = Table(kSubWindowEntries);
const DispInterfaceTable kButton = Table(kButtonEntries);
const DispInterfaceTable kCheckBox = Table(kCheckBoxEntries);
const DispInterfaceTable kMenuPopup = Table(kMenuPopupEntries);
const DispInterfaceTable kMenuItem = Table(kMenuItemEntries);
const DispInterfaceTable kSplitter = Table(kSplitterEntries);
const DispInterfaceTable kLabel = Table(kLabelEntries);
const DispInterfaceTable kWidgetWrapper = Table(kWidgetWrapperEntries);
const DispInterfaceTable kTextBox = Table(kTextBoxEntries);
const DispInterfaceTable kDateTimePicker = Table(kDateTimePickerEntries);
const DispInterfaceTable kKeySet = Table(kNodeAmbientEntries);
const DispInterfaceTable kKey = Table(kKeyEntries);

}  // namespace velmor::element_interfaces
