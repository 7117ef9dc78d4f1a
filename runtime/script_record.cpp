#include "script_record.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace vmrt {
namespace {

// Resolves aliases: the type a field or parameter really has.
[[nodiscard]] HRESULT ResolveAlias(ITypeInfo* info, const TYPEDESC& in, velmor::ComPtr<ITypeInfo>& owner,
                     TYPEDESC& out) {
  owner = info;
  out = in;
  for (int depth = 0; depth < 16 && out.vt == VT_USERDEFINED; ++depth) {
    velmor::ComPtr<ITypeInfo> ref;
    RETURN_IF_FAILED(owner->GetRefTypeInfo(out.hreftype, &ref));
    TYPEATTR* attr = nullptr;
    RETURN_IF_FAILED(ref->GetTypeAttr(&attr));
    const bool alias = attr->typekind == TKIND_ALIAS;
    const bool isEnum = attr->typekind == TKIND_ENUM;
    const TYPEDESC aliased = attr->tdescAlias;
    ref->ReleaseTypeAttr(attr);
    if (isEnum) {
      out.vt = VT_I4;
      return S_OK;
    }
    if (!alias) return S_OK;  // a record, union or interface: the caller looks at 'owner'
    owner = ref;
    out = aliased;
  }
  return S_OK;
}

template <class T>
T Read(const BYTE* p) {
  T value;
  std::memcpy(&value, p, sizeof(T));
  return value;
}

}  // namespace

void MakeScriptNumber(long long value, VARIANT* out) {
  ::VariantInit(out);
  if (value >= INT_MIN && value <= INT_MAX) {
    out->vt = VT_I4;
    out->lVal = static_cast<LONG>(value);
  } else {
    out->vt = VT_R8;
    out->dblVal = static_cast<double>(value);
  }
}

void MakeScriptUnsigned(unsigned long long value, VARIANT* out) {
  if (value <= static_cast<unsigned long long>(INT_MAX)) {
    MakeScriptNumber(static_cast<long long>(value), out);
  } else {
    ::VariantInit(out);
    out->vt = VT_R8;
    out->dblVal = static_cast<double>(value);
  }
}

HRESULT CScriptRecord::FromRecord(ITypeInfo* info, const void* data, CScriptRecord** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (info == nullptr || data == nullptr) return E_POINTER;
  CScriptRecord* record = nullptr;
  RETURN_IF_FAILED(CreateObject(&record));
  velmor::ComPtr<IDispatchEx> holder = velmor::AdoptRef<IDispatchEx>(record);
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(info->GetTypeAttr(&attr));
  HRESULT hr = attr->typekind == TKIND_RECORD ? S_OK : E_INVALIDARG;
  for (WORD i = 0; SUCCEEDED(hr) && i < attr->cVars; ++i) {
    VARDESC* var = nullptr;
    hr = info->GetVarDesc(i, &var);
    if (FAILED(hr)) break;
    if (var->varkind == VAR_PERINSTANCE)
      hr = record->AddField(info, *var, static_cast<const BYTE*>(data) + var->oInst);
    info->ReleaseVarDesc(var);
  }
  info->ReleaseTypeAttr(attr);
  RETURN_IF_FAILED(hr);
  holder.Detach();
  *out = record;
  return S_OK;
}

HRESULT CScriptRecord::AddField(ITypeInfo* info, const VARDESC& var, const BYTE* p) {
  velmor::UniqueBstr name;
  UINT got = 0;
  RETURN_IF_FAILED(info->GetNames(var.memid, name.Put(), 1, &got));
  long index = -1;
  RETURN_IF_FAILED(Append(name.Get() ? name.Get() : L"", &index));
  VARIANT* value = &m_properties[static_cast<size_t>(index)]->value;

  velmor::ComPtr<ITypeInfo> owner;
  TYPEDESC type{};
  RETURN_IF_FAILED(ResolveAlias(info, var.elemdescVar.tdesc, owner, type));
  switch (type.vt) {
    case VT_I1: MakeScriptNumber(Read<signed char>(p), value); break;
    case VT_UI1: MakeScriptUnsigned(Read<unsigned char>(p), value); break;
    case VT_I2: MakeScriptNumber(Read<short>(p), value); break;
    case VT_UI2: MakeScriptUnsigned(Read<unsigned short>(p), value); break;
    case VT_I4: case VT_INT: case VT_ERROR: case VT_HRESULT:
      MakeScriptNumber(Read<LONG>(p), value); break;
    case VT_UI4: case VT_UINT: MakeScriptUnsigned(Read<ULONG>(p), value); break;
    case VT_I8: MakeScriptNumber(Read<long long>(p), value); break;
    case VT_UI8: MakeScriptUnsigned(Read<unsigned long long>(p), value); break;
    // Handles and other pointers reach script as their numeric value.
    case VT_PTR: case VT_INT_PTR: case VT_UINT_PTR:
      MakeScriptUnsigned(Read<uintptr_t>(p), value); break;
    case VT_R4: value->vt = VT_R8; value->dblVal = Read<float>(p); break;
    case VT_R8: value->vt = VT_R8; value->dblVal = Read<double>(p); break;
    case VT_BOOL: value->vt = VT_BOOL; value->boolVal = Read<VARIANT_BOOL>(p); break;
    case VT_BSTR: {
      const BSTR text = Read<BSTR>(p);
      value->vt = VT_BSTR;
      value->bstrVal = ::SysAllocStringLen(text, ::SysStringLen(text));
      RETURN_IF_NULL_ALLOC(value->bstrVal);
      break;
    }
    case VT_USERDEFINED: {
      velmor::ComPtr<ITypeInfo> ref;
      RETURN_IF_FAILED(owner->GetRefTypeInfo(type.hreftype, &ref));
      TYPEATTR* attr = nullptr;
      RETURN_IF_FAILED(ref->GetTypeAttr(&attr));
      const bool isRecord = attr->typekind == TKIND_RECORD;
      ref->ReleaseTypeAttr(attr);
      if (isRecord) {
        CScriptRecord* nested = nullptr;
        RETURN_IF_FAILED(FromRecord(ref.Get(), p, &nested));
        value->vt = VT_DISPATCH;
        value->pdispVal = nested;  // IDispatch through IDispatchEx; the reference moves
      }
      break;  // unions and the like stay undefined
    }
    default:
      break;  // not representable: undefined for script
  }
  return S_OK;
}

long CScriptRecord::Find(const wchar_t* name, bool ignoreCase) const {
  if (name == nullptr) return -1;
  for (size_t i = 0; i < m_properties.size(); ++i) {
    const wchar_t* own = m_properties[i]->name.c_str();
    if (ignoreCase ? _wcsicmp(own, name) == 0 : std::wcscmp(own, name) == 0)
      return static_cast<long>(i);
  }
  return -1;
}

HRESULT CScriptRecord::Append(const wchar_t* name, long* index) {
  try {
    auto property = std::make_unique<Property>();
    property->name = name;
    m_properties.push_back(std::move(property));
    *index = static_cast<long>(m_properties.size() - 1);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

bool CScriptRecord::GetProperty(const wchar_t* name, VARIANT* value) const {
  const long i = Find(name, false);
  if (i < 0) return false;
  ::VariantInit(value);
  return SUCCEEDED(::VariantCopy(value, &m_properties[static_cast<size_t>(i)]->value));
}

STDMETHODIMP CScriptRecord::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CScriptRecord::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CScriptRecord::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  if (count == 0) return S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  // Plain IDispatch callers look names up without regard to case; an exact match wins.
  long index = Find(names[0], false);
  if (index < 0) index = Find(names[0], true);
  if (index < 0) return DISP_E_UNKNOWNNAME;
  ids[0] = index + 1;
  return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

STDMETHODIMP CScriptRecord::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT*) {
  return InvokeEx(id, lcid, flags, params, result, excep, nullptr);
}

STDMETHODIMP CScriptRecord::GetDispID(BSTR name, DWORD flags, DISPID* id) {
  if (id == nullptr) return E_POINTER;
  *id = DISPID_UNKNOWN;
  if (name == nullptr) return E_INVALIDARG;
  long index = Find(name, (flags & fdexNameCaseInsensitive) != 0);
  if (index < 0) {
    if (!(flags & fdexNameEnsure)) return DISP_E_UNKNOWNNAME;
    RETURN_IF_FAILED(Append(name, &index));
  }
  *id = index + 1;
  return S_OK;
}

STDMETHODIMP CScriptRecord::InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, IServiceProvider*) {
  if (id < 1 || static_cast<size_t>(id) > m_properties.size()) return DISP_E_MEMBERNOTFOUND;
  VARIANT& value = m_properties[static_cast<size_t>(id - 1)]->value;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (params == nullptr || params->cArgs < 1) return DISP_E_PARAMNOTOPTIONAL;
    VARIANT* source = &params->rgvarg[0];
    if (source->vt == (VT_BYREF | VT_VARIANT)) source = source->pvarVal;
    return ::VariantCopyInd(&value, source);
  }
  if (flags & DISPATCH_PROPERTYGET) {
    if (result == nullptr) return S_OK;
    ::VariantInit(result);
    return ::VariantCopy(result, &value);
  }
  return DISP_E_MEMBERNOTFOUND;  // properties are not callable
}

STDMETHODIMP CScriptRecord::DeleteMemberByName(BSTR, DWORD) { return S_FALSE; }
STDMETHODIMP CScriptRecord::DeleteMemberByDispID(DISPID) { return S_FALSE; }

STDMETHODIMP CScriptRecord::GetMemberProperties(DISPID, DWORD, DWORD* properties) {
  if (properties != nullptr) *properties = 0;
  return E_NOTIMPL;
}

STDMETHODIMP CScriptRecord::GetMemberName(DISPID id, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  if (id < 1 || static_cast<size_t>(id) > m_properties.size()) return DISP_E_MEMBERNOTFOUND;
  *name = ::SysAllocString(m_properties[static_cast<size_t>(id - 1)]->name.c_str());
  return *name ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CScriptRecord::GetNextDispID(DWORD, DISPID id, DISPID* next) {
  if (next == nullptr) return E_POINTER;
  const DISPID candidate = id == DISPID_STARTENUM ? 1 : id + 1;
  if (candidate < 1 || static_cast<size_t>(candidate) > m_properties.size()) {
    *next = DISPID_UNKNOWN;
    return S_FALSE;
  }
  *next = candidate;
  return S_OK;
}

STDMETHODIMP CScriptRecord::GetNameSpaceParent(IUnknown** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  return E_NOTIMPL;
}

}  // namespace vmrt
