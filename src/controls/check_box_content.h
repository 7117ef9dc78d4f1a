// scCheckBoxContent and scRadioContent: the "checkbox" and "radio" elements, native auto check
// boxes and auto radio buttons. Windows toggles the mark on a click (and, for radios, clears the
// other radios among the control's sibling windows: every radio of one window is one group),
// then the control's BN_CLICKED comes back reflected and the element fires "click", so a handler
// reads the new state from `checked`. "backgroundColor" colours the control's background;
// a radio also paints it into the document under the control.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/handles.h"
#include "controls/native_content.h"

namespace velmor {

class scCheckBoxContent
    : public scINativeContent<scCheckBoxContent, element_interfaces::kCheckBox,
                              IDOMNodeImpl<scCheckBoxContent, IDOMButton>> {
  using NativeBase = scINativeContent<scCheckBoxContent, element_interfaces::kCheckBox,
                                      IDOMNodeImpl<scCheckBoxContent, IDOMButton>>;

 public:
  static const WindowClassInfo& GetWndClassInfo();

  const wchar_t* NodeName() const override { return L"checkbox"; }
  // The button style the class adds to the base style.
  virtual DWORD ControlStyle() const { return BS_AUTOCHECKBOX; }
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;

  // IDOMButton: the control's mark while it exists, else the element's checked state bit.
  STDMETHODIMP get_checked(BOOL* value) override;
  // Only true (-1) checks; every other value, 1 included, unchecks.
  STDMETHODIMP put_checked(BOOL value) override;

  BEGIN_MSG_MAP(scCheckBoxContent)
    MESSAGE_HANDLER(BM_SETCHECK, OnSetCheck)
    MESSAGE_HANDLER(kReflectedBase + WM_COMMAND, OnReflectedCommand)
    MESSAGE_HANDLER(kReflectedBase + WM_CTLCOLORSTATIC, OnReflectedColor)
    MESSAGE_HANDLER(kReflectedBase + WM_CTLCOLORBTN, OnReflectedColor)
    CHAIN_MSG_MAP(NativeBase)
  END_MSG_MAP()

 protected:
  friend NativeBase;
  HRESULT CreateControl();

  bool m_hasBackground = false;
  uint32_t m_background = 0;  // 0xAARRGGBB

 private:
  // Every change of the mark, by a click, by the group rule or by script, passes here: the
  // element's checked bit follows the control.
  LRESULT OnSetCheck(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  LRESULT OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  LRESULT OnReflectedColor(UINT, WPARAM wParam, LPARAM, BOOL& handled);
  // A click on a radio unchecks the host's other radios; those whose controls wait to be seen
  // lose their mark here, as the platform's do.
  void UncheckWaitingRadios();

  UniqueHBrush m_brush;
};

class scRadioContent : public scCheckBoxContent {
 public:
  const wchar_t* NodeName() const override { return L"radio"; }
  DWORD ControlStyle() const override { return BS_AUTORADIOBUTTON; }
  // Fills the box with "backgroundColor" before the control covers it.
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
};

}  // namespace velmor
