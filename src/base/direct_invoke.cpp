#include "base/direct_invoke.h"

#include <oleauto.h>

#include <atomic>
#include <cstring>

namespace velmor {
namespace {

std::atomic<bool> g_enabled{true};

// Value types a parameter may have to be passed through untouched.
bool IsPlainValue(VARTYPE vt) {
  switch (vt) {
    case VT_I4:
    case VT_BSTR:
    case VT_BOOL:
    case VT_R8:
    case VT_VARIANT:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return true;
    default:
      return false;
  }
}

// The variant type an interface pointer declared by name is returned as: what the platform
// makes of it (a dispatchable interface is an IDispatch, others an IUnknown); VT_EMPTY for a
// name that is no interface.
VARTYPE InterfaceResultType(ITypeInfo* info, HREFTYPE ref) {
  ITypeInfo* named = nullptr;
  if (FAILED(info->GetRefTypeInfo(ref, &named)) || named == nullptr) return VT_EMPTY;
  VARTYPE vt = VT_EMPTY;
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(named->GetTypeAttr(&attr))) {
    if (attr->typekind == TKIND_INTERFACE)
      vt = (attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
    else if (attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_COCLASS)
      vt = VT_DISPATCH;
    named->ReleaseTypeAttr(attr);
  }
  named->Release();
  return vt;
}

// The [out, retval] type as a variant type, VT_EMPTY when it is not one the table handles.
VARTYPE ResultType(ITypeInfo* info, const TYPEDESC& desc) {
  if (desc.vt != VT_PTR || desc.lptdesc == nullptr) return VT_EMPTY;
  const TYPEDESC& pointed = *desc.lptdesc;
  if (IsPlainValue(pointed.vt)) return pointed.vt;
  if (pointed.vt == VT_PTR && pointed.lptdesc != nullptr && pointed.lptdesc->vt == VT_USERDEFINED)
    return InterfaceResultType(info, pointed.lptdesc->hreftype);
  return VT_EMPTY;
}

// The vtable face of a dual interface (the platform invokes through it), with a reference.
ITypeInfo* VtableFace(ITypeInfo* info, bool* restricted) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return nullptr;
  const TYPEKIND kind = attr->typekind;
  const bool dual = (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0;
  *restricted = (attr->wTypeFlags & TYPEFLAG_FRESTRICTED) != 0;
  const bool plainBase = IsEqualGUID(attr->guid, IID_IDispatch) || IsEqualGUID(attr->guid, IID_IUnknown);
  info->ReleaseTypeAttr(attr);
  if (plainBase) return nullptr;  // their members are not script members
  if (kind == TKIND_INTERFACE) {
    info->AddRef();
    return info;
  }
  if (kind != TKIND_DISPATCH || !dual) return nullptr;
  HREFTYPE ref = 0;
  ITypeInfo* face = nullptr;
  if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) ||
      FAILED(info->GetRefTypeInfo(ref, &face)))
    return nullptr;
  return face;
}

// Calls the vtable slot. On x64 every argument the table allows except a double travels as one
// 64-bit integer (a VARIANT by value as a pointer to a copy), so the call is made here without
// the platform's general thunk, which allocates on every call; elsewhere the thunk makes it.
HRESULT CallSlot(void* self, UINT offset, UINT count, const VARTYPE* types, VARIANTARG** args,
                 HRESULT* member) {
#if defined(_WIN64)
  UINT_PTR words[DirectInvokeTable::kMaxArgs + 1] = {};
  bool integers = true;
  for (UINT i = 0; i < count && integers; ++i) {
    const VARIANTARG& a = *args[i];
    switch (types[i]) {
      case VT_I4: words[i] = static_cast<ULONG>(a.lVal); break;
      case VT_BOOL: words[i] = static_cast<USHORT>(a.boolVal); break;
      case VT_BSTR: words[i] = reinterpret_cast<UINT_PTR>(a.bstrVal); break;
      case VT_DISPATCH:
      case VT_UNKNOWN: words[i] = reinterpret_cast<UINT_PTR>(a.punkVal); break;
      case VT_VARIANT: words[i] = reinterpret_cast<UINT_PTR>(&a); break;
      default:
        if (types[i] & VT_BYREF) words[i] = reinterpret_cast<UINT_PTR>(a.byref);
        else integers = false;  // a double goes in a floating-point register
    }
  }
  if (integers) {
    using W = UINT_PTR;
    void* slot = (*static_cast<void***>(self))[offset / sizeof(void*)];
    switch (count) {
      case 0: *member = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*)>(slot)(self); return S_OK;
      case 1: *member = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W)>(slot)(self, words[0]); return S_OK;
      case 2:
        *member = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W)>(slot)(self, words[0], words[1]);
        return S_OK;
      case 3:
        *member = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W, W)>(slot)(
            self, words[0], words[1], words[2]);
        return S_OK;
      case 4:
        *member = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W, W, W)>(slot)(
            self, words[0], words[1], words[2], words[3]);
        return S_OK;
      case 5:
        *member = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W, W, W, W)>(slot)(
            self, words[0], words[1], words[2], words[3], words[4]);
        return S_OK;
      default: break;
    }
  }
#endif
  VARIANT returned;
  ::VariantInit(&returned);
  const HRESULT called = ::DispCallFunc(self, offset, CC_STDCALL, VT_ERROR, count,
                                        const_cast<VARTYPE*>(types), args, &returned);
  *member = returned.scode;
  return called;
}

}  // namespace

void DirectInvokeTable::SetEnabled(bool enabled) { g_enabled.store(enabled); }
bool DirectInvokeTable::Enabled() { return g_enabled.load(std::memory_order_relaxed); }

DirectInvokeTable::DirectInvokeTable(ITypeInfo* info) {
  if (info == nullptr) return;
  try {
    AddMembers(info, 0);
  } catch (...) {
    m_members.clear();  // without memory every call goes to the platform
  }
}

size_t DirectInvokeTable::DirectCount() const {
  size_t count = 0;
  for (const Member& m : m_members) count += m.direct ? 1 : 0;
  return count;
}

// Own members first, then the base interface's: the order the platform searches in.
void DirectInvokeTable::AddMembers(ITypeInfo* described, int depth) {
  if (depth > 16) return;
  bool restricted = false;
  ITypeInfo* info = VtableFace(described, &restricted);
  if (info == nullptr) return;
  if (restricted) {  // the platform finds nothing in a restricted interface
    info->Release();
    return;
  }
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) {
    info->Release();
    return;
  }
  const UINT funcs = attr->cFuncs;
  const UINT bases = attr->cImplTypes;
  info->ReleaseTypeAttr(attr);

  for (UINT i = 0; i < funcs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    if ((f->wFuncFlags & FUNCFLAG_FRESTRICTED) && f->memid >= 0) {  // never found by the platform
      info->ReleaseFuncDesc(f);
      continue;
    }
    Member m{};
    m.id = f->memid;
    m.kind = f->invkind;
    m.vtableOffset = static_cast<UINT>(f->oVft) & 0xFFFC;
    m.resultType = VT_EMPTY;
    bool direct = (f->funckind == FUNC_PUREVIRTUAL || f->funckind == FUNC_VIRTUAL) &&
                  f->callconv == CC_STDCALL && f->elemdescFunc.tdesc.vt == VT_HRESULT &&
                  f->cParamsOpt == 0;
    for (SHORT p = 0; direct && p < f->cParams; ++p) {
      const ELEMDESC& e = f->lprgelemdescParam[p];
      const USHORT pf = e.paramdesc.wParamFlags;
      if (pf & PARAMFLAG_FRETVAL) {
        m.resultType = ResultType(info, e.tdesc);
        direct = p == f->cParams - 1 && m.resultType != VT_EMPTY;
      } else {
        direct = (pf & ~PARAMFLAG_FIN) == 0 && IsPlainValue(e.tdesc.vt) && m.argCount < kMaxArgs;
        if (direct) m.argTypes[m.argCount++] = e.tdesc.vt;
      }
    }
    // A put takes exactly its value.
    if ((m.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) && m.argCount != 1) direct = false;
    m.direct = direct;
    info->ReleaseFuncDesc(f);
    m_members.push_back(m);
  }

  HREFTYPE ref = 0;
  ITypeInfo* base = nullptr;
  if (bases > 0 && SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) &&
      SUCCEEDED(info->GetRefTypeInfo(ref, &base)) && base != nullptr) {
    AddMembers(base, depth + 1);
    base->Release();
  }
  info->Release();
}

bool DirectInvokeTable::TryInvoke(void* self, DISPID id, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* excep, HRESULT* hr) const {
  if (params == nullptr || !Enabled()) return false;
  const Member* found = nullptr;
  for (const Member& m : m_members) {
    if (m.id == id && (flags & m.kind)) {
      found = &m;
      break;
    }
  }
  if (found == nullptr || !found->direct) return false;
  const Member& m = *found;

  // The arguments exactly as declared, or the platform coerces them (or reports the error).
  if (params->cArgs != m.argCount) return false;
  if (m.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) {
    if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return false;
  } else if (params->cNamedArgs != 0) {
    return false;
  }
  VARIANTARG values[kMaxArgs + 1];
  VARIANTARG* pointers[kMaxArgs + 1];
  VARTYPE types[kMaxArgs + 1];
  for (UINT i = 0; i < m.argCount; ++i) {
    // Arguments come last first.
    const VARIANTARG& given = params->rgvarg[m.argCount - 1 - i];
    if (m.argTypes[i] == VT_VARIANT) {
      if ((given.vt & (VT_BYREF | VT_ARRAY)) != 0 || given.vt == VT_RECORD) return false;
      // Passed by value: the member reads the caller's variant and owns nothing of it.
      values[i] = given;
      types[i] = VT_VARIANT;
    } else {
      if (given.vt != m.argTypes[i]) return false;
      values[i] = given;
      types[i] = given.vt;
    }
    pointers[i] = &values[i];
  }

  VARIANT answer;
  std::memset(&answer, 0, sizeof(answer));
  UINT count = m.argCount;
  if (m.resultType != VT_EMPTY) {
    types[count] = static_cast<VARTYPE>(VT_BYREF | m.resultType);
    values[count].vt = types[count];
    values[count].byref = m.resultType == VT_VARIANT ? static_cast<void*>(&answer)
                                                      : static_cast<void*>(&answer.llVal);
    pointers[count] = &values[count];
    ++count;
  }
  HRESULT member = S_OK;
  const HRESULT called = CallSlot(self, m.vtableOffset, count, types, pointers, &member);
  if (FAILED(called)) {
    *hr = called;
    return true;
  }
  if (m.resultType != VT_EMPTY) {
    if (m.resultType != VT_VARIANT) answer.vt = m.resultType;
    if (result != nullptr) {
      ::VariantInit(result);
      if (answer.vt & VT_BYREF) {
        (void)::VariantCopyInd(result, &answer);
        ::VariantClear(&answer);
      } else {
        *result = answer;  // the reference moves to the caller
      }
    } else {
      ::VariantClear(&answer);
    }
  }
  *hr = S_OK;
  if (FAILED(member)) {
    // A failed member is an exception with its code, described by its error object if it set one.
    *hr = DISP_E_EXCEPTION;
    if (excep != nullptr) {
      excep->scode = member;
      IErrorInfo* error = nullptr;
      if (::GetErrorInfo(0, &error) == S_OK && error != nullptr) {
        (void)error->GetDescription(&excep->bstrDescription);
        (void)error->GetHelpFile(&excep->bstrHelpFile);
        (void)error->GetSource(&excep->bstrSource);
        (void)error->GetHelpContext(&excep->dwHelpContext);
        error->Release();
      }
    }
  }
  return true;
}

}  // namespace velmor
