// scTextBoxContent: the "textbox" element, a native edit control. Single-line by default;
// "multiline" makes it take several lines (and Enter), "wordWrap" with it wraps them; "type"
// "password" hides the characters, "number" takes digits only; "emptyText" is the grey hint
// shown while the field is empty and unfocused (single-line boxes only). While the control exists
// `value` is its text: setting it changes what the box shows, not the skin's attribute (a value
// set while the box waits to be seen is kept for its control, with the same effect). Its
// colours come from the label's colour attributes, answered to the control's reflected colour
// requests.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/handles.h"
#include "controls/native_content.h"

namespace velmor {

class scTextBoxContent
    : public scINativeContent<scTextBoxContent, element_interfaces::kTextBox,
                              IDOMNodeImpl<scTextBoxContent, IDOMTextBox>,
                              DualDispatchImpl<IDOMFocusableNode>> {
  using NativeBase = scINativeContent<scTextBoxContent, element_interfaces::kTextBox,
                                      IDOMNodeImpl<scTextBoxContent, IDOMTextBox>,
                                      DualDispatchImpl<IDOMFocusableNode>>;

 public:
  static const WindowClassInfo& GetWndClassInfo();

  const wchar_t* NodeName() const override { return L"textbox"; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;

  // IDOMTextBox
  STDMETHODIMP get_value(BSTR* value) override;
  STDMETHODIMP put_value(BSTR value) override;
  STDMETHODIMP get_clickSelectsAll(VARIANT_BOOL* value) override;
  STDMETHODIMP put_clickSelectsAll(VARIANT_BOOL value) override;
  STDMETHODIMP get_emptyText(BSTR* value) override;
  STDMETHODIMP put_emptyText(BSTR value) override;
  STDMETHODIMP get_readOnly(VARIANT_BOOL* value) override;
  STDMETHODIMP put_readOnly(VARIANT_BOOL value) override;
  STDMETHODIMP select() override;
  // IDOMFocusableNode
  STDMETHODIMP focus() override;
  STDMETHODIMP blur() override { return S_OK; }

  BEGIN_MSG_MAP(scTextBoxContent)
    MESSAGE_HANDLER(kReflectedBase + WM_CTLCOLOREDIT, OnReflectedColor)
    MESSAGE_HANDLER(kReflectedBase + WM_CTLCOLORSTATIC, OnReflectedColor)
    CHAIN_MSG_MAP(NativeBase)
  END_MSG_MAP()

 private:
  friend NativeBase;
  HRESULT CreateControl();
  // The edit styles the attributes ask for.
  DWORD EditStyle();
  // Read-only and disabled boxes ask with WM_CTLCOLORSTATIC, the others with WM_CTLCOLOREDIT.
  LRESULT OnReflectedColor(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  bool Flag(const wchar_t* name);
  // A colour attribute, its disabled variant first while the box is disabled.
  bool StateColor(const wchar_t* name, const wchar_t* disabledName, uint32_t& argb);

  UniqueHBrush m_brush;
  uint32_t m_background = 0;  // 0xAARRGGBB of the brush
  bool m_clickSelectsAll = false;
  std::optional<std::wstring> m_waitingValue;  // `value` set before the control was made
};

}  // namespace velmor
