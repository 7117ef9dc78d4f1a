// scDatePickerContent and scTimePickerContent: the "datepicker" (a short date with a drop-down
// calendar) and "timepicker" (a time with an up-down control) elements, native date-time picker
// controls. Scripts read and set the shown moment as `dateValue`, an automation date; the control
// is the store of it, and until a picker that waits to be seen has its control, the element
// keeps what a script set (a new picker shows the current moment) and hands it to the control.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "controls/native_content.h"

namespace velmor {

template <class Derived>
class scDateTimePickerContent
    : public scINativeContent<Derived, element_interfaces::kDateTimePicker,
                              IDOMNodeImpl<Derived, IDOMDateTimePicker>> {
  using NativeBase = scINativeContent<Derived, element_interfaces::kDateTimePicker,
                                      IDOMNodeImpl<Derived, IDOMDateTimePicker>>;

 public:
  // A picker may make its drop-down calendar window with itself, and a time picker its up-down
  // control as well: they count against the window's bound on control windows.
  static constexpr int kPlatformWindows = 2;

  // IDOMDateTimePicker. Without a control, and none to come, there is no value: E_UNEXPECTED
  // and 0.
  STDMETHODIMP get_dateValue(DATE* value) override {
    if (value == nullptr) return E_POINTER;
    *value = 0;
    if (this->m_hWnd == nullptr && this->ControlWaiting()) {
      SYSTEMTIME now{};
      if (!m_hasWaitingDate) ::GetLocalTime(&now);
      *value = m_hasWaitingDate ? m_waitingDate : 0;
      return m_hasWaitingDate || ::SystemTimeToVariantTime(&now, value) ? S_OK : E_FAIL;
    }
    if (this->m_hWnd == nullptr) return E_UNEXPECTED;
    SYSTEMTIME time{};
    if (::SendMessageW(this->m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) !=
            GDT_VALID ||
        !::SystemTimeToVariantTime(&time, value))
      return E_FAIL;
    return S_OK;
  }
  // A date the platform cannot hold is ignored.
  STDMETHODIMP put_dateValue(DATE value) override {
    SYSTEMTIME time{};
    if (!::VariantTimeToSystemTime(value, &time)) return S_OK;
    if (this->m_hWnd != nullptr) {
      ::SendMessageW(this->m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    } else if (this->ControlWaiting()) {
      m_waitingDate = value;
      m_hasWaitingDate = true;
    }
    return S_OK;
  }

 protected:
  friend NativeBase;
  HRESULT CreateControl() {
    const HRESULT created = NativeBase::CreateControl();
    if (created != S_OK || !m_hasWaitingDate) return created;
    m_hasWaitingDate = false;
    return put_dateValue(m_waitingDate);
  }

 private:
  DATE m_waitingDate = 0;  // set by a script before the control was made
  bool m_hasWaitingDate = false;
};

class scDatePickerContent : public scDateTimePickerContent<scDatePickerContent> {
 public:
  static const WindowClassInfo& GetWndClassInfo() {
    static const WindowClassInfo s_info{L"Velmor.DatePick", 0, nullptr, nullptr,
                                        DATETIMEPICK_CLASSW};
    return s_info;
  }
  const wchar_t* NodeName() const override { return L"datepicker"; }
  // The short date format is the picker's default.
  DWORD ControlStyle() const { return 0; }
};

class scTimePickerContent : public scDateTimePickerContent<scTimePickerContent> {
 public:
  static const WindowClassInfo& GetWndClassInfo() {
    static const WindowClassInfo s_info{L"Velmor.TimePick", 0, nullptr, nullptr,
                                        DATETIMEPICK_CLASSW};
    return s_info;
  }
  const wchar_t* NodeName() const override { return L"timepicker"; }
  DWORD ControlStyle() const { return DTS_TIMEFORMAT; }
  static constexpr int kPlatformWindows = 3;
};

}  // namespace velmor
