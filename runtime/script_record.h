// A record (a C structure described by a type library) handed to script as a small object:
// one property per field, read from the record when the object is made. Nested records become
// nested objects. Scripts may also set properties of their own on it, which is how they answer
// through it (see dispatch_connector.cpp).
#pragma once
#include <windows.h>
#include <dispex.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"

namespace vmrt {

// A number for script: VT_I4 when it fits, else VT_R8 (JScript has no 64-bit integers).
void MakeScriptNumber(long long value, VARIANT* out);
void MakeScriptUnsigned(unsigned long long value, VARIANT* out);

class CScriptRecord final : public velmor::ComObject<CScriptRecord, IDispatchEx,
                                                     velmor::Also<IDispatch, IDispatchEx>> {
 public:
  // Snapshot of the record 'data' described by 'info' (a TKIND_RECORD type); one reference.
  [[nodiscard]] static HRESULT FromRecord(ITypeInfo* info, const void* data, CScriptRecord** out);

  // The value of a property by exact name; false when the object has none.
  bool GetProperty(const wchar_t* name, VARIANT* value) const;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override;
  // IDispatchEx
  STDMETHODIMP GetDispID(BSTR name, DWORD flags, DISPID* id) override;
  STDMETHODIMP InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, IServiceProvider*) override;
  STDMETHODIMP DeleteMemberByName(BSTR name, DWORD flags) override;
  STDMETHODIMP DeleteMemberByDispID(DISPID id) override;
  STDMETHODIMP GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) override;
  STDMETHODIMP GetMemberName(DISPID id, BSTR* name) override;
  STDMETHODIMP GetNextDispID(DWORD flags, DISPID id, DISPID* next) override;
  STDMETHODIMP GetNameSpaceParent(IUnknown** parent) override;

 private:
  struct Property {
    std::wstring name;
    velmor::UniqueVariant value;
  };
  [[nodiscard]] HRESULT AddField(ITypeInfo* info, const VARDESC& var, const BYTE* data);
  // Index of a property, -1 when absent.
  long Find(const wchar_t* name, bool ignoreCase) const;
  [[nodiscard]] HRESULT Append(const wchar_t* name, long* index);

  // DISPID = index + 1; properties are never removed, so DISPIDs stay valid.
  std::vector<std::unique_ptr<Property>> m_properties;
};

}  // namespace vmrt
