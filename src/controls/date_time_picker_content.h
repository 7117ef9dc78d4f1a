// scDatePickerContent and scTimePickerContent: the "datepicker" (a short date with a drop-down
// calendar) and "timepicker" (a time with an up-down control) elements, native date-time picker
// controls. Scripts read and set the shown moment as `dateValue`, an automation date; the control
// is the only store of it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "controls/native_content.h"

namespace velmor {

template <class Derived>
class scDateTimePickerContent
    : public scINativeContent<Derived, element_interfaces::kDateTimePicker,
                              IDOMNodeImpl<Derived, IDOMDateTimePicker>> {
 public:
  // A picker may make its drop-down calendar window with itself, and a time picker its up-down
  // control as well: they count against the window's bound on control windows.
  static constexpr int kPlatformWindows = 2;

  // IDOMDateTimePicker. Without a control there is no value: E_UNEXPECTED and 0.
  STDMETHODIMP get_dateValue(DATE* value) override {
    if (value == nullptr) return E_POINTER;
    *value = 0;
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
    if (this->m_hWnd == nullptr || !::VariantTimeToSystemTime(value, &time)) return S_OK;
    ::SendMessageW(this->m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    return S_OK;
  }
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
