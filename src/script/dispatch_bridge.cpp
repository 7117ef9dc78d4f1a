#include "script/dispatch_bridge.h"

#include <cwchar>
#include <new>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/bstr.h"
#include "base/platform.h"
#include "typelib/type_library.h"

namespace velmor {
namespace {

constexpr LCID kLocale = 0x400;
constexpr DISPID kTopBits = static_cast<DISPID>(0xF0000000);
constexpr DISPID kLowBits = 0x0FFFFFFF;

bool IsPropertyAccess(WORD flags) {
  return (flags & (DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
}
bool IsPut(WORD flags) { return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
bool IsObject(const VARIANT& v) {
  return (v.vt == VT_DISPATCH && v.pdispVal != nullptr) || (v.vt == VT_UNKNOWN && v.punkVal);
}

// The function kind a native member has, from the interface's type information.
bool MemberIsMethod(ITypeInfo* info, MEMBERID member) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return false;
  bool method = false;
  for (UINT i = 0; i < attr->cFuncs && !method; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    method = f->memid == member && f->invkind == INVOKE_FUNC;
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  return method;
}

// The native names each interface table has resolved, by exact spelling: scripts read the same
// members over and over, and asking the interfaces' type information each time dominates the
// cost of a property read. Tables are static, and the dispatch identifiers of an interface
// never change, so entries are never dropped. UI thread only, like the bridge.
class NativeNameCache {
 public:
  static bool Find(const DispInterfaceTable& table, const wchar_t* name, DISPID* id) {
    auto& names = Names();
    auto perTable = names.find(&table);
    if (perTable == names.end()) return false;
    auto it = perTable->second.find(std::wstring_view(name));
    if (it == perTable->second.end()) return false;
    *id = it->second;
    return true;
  }
  static void Remember(const DispInterfaceTable& table, const wchar_t* name, DISPID id) {
    try {
      Names()[&table].emplace(name, id);
    } catch (...) {
      // Without memory the next read asks the interfaces again.
    }
  }

 private:
  // Found by the caller's string as it is: scripts ask for the same few names millions of times.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::wstring_view name) const { return std::hash<std::wstring_view>{}(name); }
  };
  using NameMap = std::unordered_map<std::wstring, DISPID, NameHash, std::equal_to<>>;
  static std::unordered_map<const DispInterfaceTable*, NameMap>& Names() {
    static auto* s_names = new std::unordered_map<const DispInterfaceTable*, NameMap>();
    return *s_names;  // outlives every static destructor, like the objects that use it
  }
};

}  // namespace

IDispatchExImplBase::~IDispatchExImplBase() {
  if (m_expandos) {
    for (auto& [id, value] : m_expandos->values) ::VariantClear(&value);
  }
}

IDispatchExImplBase::Expandos& IDispatchExImplBase::MakeExpandos() {
  if (!m_expandos) m_expandos = std::make_unique<Expandos>();
  return *m_expandos;
}

const std::wstring* IDispatchExImplBase::NameOf(DISPID id) const {
  if (!m_expandos) return nullptr;
  for (const auto& [name, nameId] : m_expandos->names)
    if (nameId == id) return &name;
  return nullptr;
}

ComPtr<IUnknown> IDispatchExImplBase::Identity() const {
  ComPtr<IUnknown> identity;
  if (m_self != nullptr) (void)m_self->QueryInterface(IID_PPV_ARGS(&identity));
  return identity;
}

HRESULT IDispatchExImplBase::ResolveEntry(size_t position, IDispatch** out) {
  *out = nullptr;
  if (position >= m_table.count || m_self == nullptr) return DISP_E_MEMBERNOTFOUND;
  const DispInterfaceEntry& e = m_table.entries[position];
  if (e.held != nullptr) {
    const ComPtr<IUnknown> identity = Identity();
    RETURN_HR_IF_NULL(DISP_E_MEMBERNOTFOUND, identity);
    return e.held(identity.Get(), out);
  }
  // Any interface of an object answers for all of its interfaces.
  return m_self->QueryInterface(*e.iid, reinterpret_cast<void**>(out));
}

HRESULT IDispatchExImplBase::LookupName(const wchar_t* name, DISPID* id) {
  try {
    // Letter-case-blind comparison is slow on the platform: only names of the length are compared.
    const size_t length = wcslen(name);
    if (length == 14 && _wcsicmp(name, L"GetOwnProperty") == 0) {
      *id = kDispIdGetOwnProperty;
      return S_OK;
    }
    if (length == 17 && _wcsicmp(name, L"DefineOwnProperty") == 0) {
      *id = kDispIdDefineOwnProperty;
      return S_OK;
    }
    if (m_expandos && !m_expandos->names.empty()) {
      auto it = m_expandos->names.find(std::wstring_view(name));
      if (it != m_expandos->names.end()) {
        *id = it->second;
        return S_OK;
      }
    }
    if (NativeNameCache::Find(m_table, name, id)) return S_OK;
    // Only interfaces named by identifier answer the same for every object of a class; once a
    // held pointer has been asked, the answer may differ from object to object.
    bool sameForEveryObject = true;
    for (size_t i = 0; i < m_table.count; ++i) {
      sameForEveryObject = sameForEveryObject && m_table.entries[i].iid != nullptr;
      ComPtr<IDispatch> face;
      if (FAILED(ResolveEntry(i, &face)) || !face) continue;
      LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
      DISPID member = DISPID_UNKNOWN;
      if (SUCCEEDED(face->GetIDsOfNames(IID_NULL, names, 1, kLocale, &member)) && member >= 0 &&
          member < 0x10000000) {
        *id = member | static_cast<DISPID>((i + 1) << 28);
        if (sameForEveryObject) NativeNameCache::Remember(m_table, name, *id);
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                           DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (count == 0 || names == nullptr || names[0] == nullptr) return E_INVALIDARG;
  if (ids == nullptr) return E_POINTER;
  for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return LookupName(names[0], &ids[0]);
}

HRESULT IDispatchExImplBase::EnsureExpando(const std::wstring& name, DISPID* id) {
  if (m_expandos) {
    auto it = m_expandos->names.find(name);
    if (it != m_expandos->names.end()) {
      *id = it->second;
      return S_OK;
    }
  }
  try {
    Expandos& expandos = MakeExpandos();
    if (((expandos.next + 1) & kTopBits) != 0) return DISP_E_OVERFLOW;
    expandos.names.emplace(name, expandos.next);
    VARIANT empty;
    ::VariantInit(&empty);
    expandos.values.emplace(expandos.next, empty);
    *id = expandos.next++;
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

void IDispatchExImplBase::ForgetExpandos() {
  // The values go after the tables are gone from the object: releasing a script function may
  // run script code that reaches this object again.
  std::unique_ptr<Expandos> gone = std::move(m_expandos);
  if (!gone) return;
  // Identifiers are never reused: an empty table carries the numbering on (the old one, once
  // emptied, when no new one can be made).
  m_expandos.reset(new (std::nothrow) Expandos());
  if (m_expandos) m_expandos->next = gone->next;
  for (auto& [id, value] : gone->values) ::VariantClear(&value);
  gone->defined.clear();
  if (!m_expandos) {
    gone->names.clear();
    gone->values.clear();
    m_expandos = std::move(gone);
  }
}

HRESULT IDispatchExImplBase::GetDispID(BSTR name, DWORD grfdex, DISPID* id) {
  if (name == nullptr || id == nullptr) return E_POINTER;
  LPOLESTR names[1] = {name};
  const HRESULT hr = GetIDsOfNames(IID_NULL, names, 1, kLocale, id);
  if (SUCCEEDED(hr) || !(grfdex & fdexNameEnsure)) return hr;
  try {
    return EnsureExpando(std::wstring(name, ::SysStringLen(name)), id);
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO* excep, IServiceProvider*) {
  if (flags == DISPATCH_CONSTRUCT) return S_OK;  // constructing a native object does nothing
  if ((flags & DISPATCH_METHOD) && params != nullptr && params->cNamedArgs > 0 &&
      params->rgdispidNamedArgs != nullptr && params->rgdispidNamedArgs[0] == DISPID_THIS)
    return DISP_E_BADPARAMCOUNT;
  return Invoke(id, IID_NULL, kLocale, flags, params, result, excep, nullptr);
}

HRESULT IDispatchExImplBase::DeleteMemberByName(BSTR name, DWORD) {
  try {
    if (name == nullptr || !m_expandos) return S_OK;
    auto& names = m_expandos->names;
    auto& values = m_expandos->values;
    auto it = names.find(std::wstring(name, ::SysStringLen(name)));
    if (it == names.end()) return S_OK;
    auto value = values.find(it->second);
    if (value != values.end()) {
      ::VariantClear(&value->second);
      values.erase(value);
    }
    names.erase(it);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::DeleteMemberByDispID(DISPID id) {
  if (!m_expandos) return S_FALSE;
  auto& names = m_expandos->names;
  auto& values = m_expandos->values;
  auto value = values.find(id);
  if (value == values.end()) return S_FALSE;
  ::VariantClear(&value->second);
  values.erase(value);
  for (auto it = names.begin(); it != names.end(); ++it) {
    if (it->second == id) {
      names.erase(it);
      break;
    }
  }
  return S_OK;
}

HRESULT IDispatchExImplBase::GetMemberName(DISPID id, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  const std::wstring* n = NameOf(id);
  if (n == nullptr) return E_FAIL;
  *name = ::SysAllocStringLen(n->data(), static_cast<UINT>(n->size()));
  return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT IDispatchExImplBase::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                    UINT* argErr) {
  if (m_self == nullptr) return E_INVALIDARG;
  const size_t position = static_cast<size_t>((static_cast<ULONG>(id) >> 28) & 0xF);
  if (position >= 1 && position <= m_table.count)
    return InvokeNative(id, riid, lcid, flags, params, result, excep, argErr);
  if (id == kDispIdGetOwnProperty || id == kDispIdDefineOwnProperty) {
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(GetEngineTypeInfo(__uuidof(IJSObject), &info));
    return ::DispInvoke(static_cast<IJSObject*>(m_self), info.Get(), id, flags, params, result,
                        excep, argErr);
  }
  return InvokeExpando(id, riid, flags, params, result, excep);
}

HRESULT IDispatchExImplBase::InvokeNative(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                          UINT* argErr) {
  try {
    const size_t position = static_cast<size_t>((static_cast<ULONG>(id) >> 28) & 0xF) - 1;
    const DISPID member = id & kLowBits;
    ComPtr<IDispatch> face;
    const HRESULT resolved = ResolveEntry(position, &face);
    if (FAILED(resolved) || !face) return FAILED(resolved) ? resolved : DISP_E_MEMBERNOTFOUND;
    const HRESULT hr = face->Invoke(member, riid, lcid, flags, params, result, excep, argErr);
    if (hr != DISP_E_MEMBERNOTFOUND || !IsPropertyAccess(flags)) return hr;

    // A method read as a value, or a value written to something that cannot be written.
    ComPtr<ITypeInfo> info;
    if (FAILED(face->GetTypeInfo(0, kLocale, &info)) || !info) return hr;
    UniqueBstr name;
    if (FAILED(info->GetDocumentation(member, name.Put(), nullptr, nullptr, nullptr)) ||
        !name.Get())
      return hr;
    const IID* iid = m_table.entries[position].iid;
    if ((flags & DISPATCH_PROPERTYGET) && MemberIsMethod(info.Get(), member)) {
      if (result == nullptr || iid == nullptr) return hr;
      ComPtr<IDispatch> function;
      RETURN_IF_FAILED(CDispFunction::Create(function, CDispFunction::kMethod, *iid,
                                             std::wstring(name.View())));
      ::VariantInit(result);
      result->vt = VT_DISPATCH;
      result->pdispVal = function.Detach();
      return S_OK;
    }
    if (IsPut(flags)) {
      DISPID expando = 0;
      RETURN_IF_FAILED(EnsureExpando(std::wstring(name.View()), &expando));
      return Invoke(expando, riid, lcid, flags, params, result, excep, argErr);
    }
    return hr;
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::InvokeExpando(DISPID id, REFIID riid, WORD flags,
                                           DISPPARAMS* params, VARIANT* result,
                                           EXCEPINFO* excep) {
  try {
    if (params == nullptr) return E_INVALIDARG;
    if (result != nullptr) ::VariantInit(result);
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;

    const bool accessor = m_expandos && m_expandos->defined.count(id) != 0;
    const bool methodCall = (flags & DISPATCH_METHOD) != 0;
    UniqueVariant current;
    if (accessor) {
      if (!IsPut(flags)) {
        const std::wstring* name = NameOf(id);
        if (name == nullptr) return DISP_E_MEMBERNOTFOUND;
        UniqueBstr bname(*name);
        RETURN_IF_FAILED(m_self->CallGetter(bname.Get(), current.Put()));
      }
    } else {
      if (!m_expandos) return DISP_E_MEMBERNOTFOUND;
      auto it = m_expandos->values.find(id);
      if (it == m_expandos->values.end()) return DISP_E_MEMBERNOTFOUND;
      RETURN_IF_FAILED(current.CopyFrom(it->second));
    }
    if (IsPut(flags)) result = nullptr;

    // Assigning an object to an expando that holds an object assigns to its default property.
    // The assigned object is restored before any plain store below, so that store keeps the object.
    if (!accessor && flags == DISPATCH_PROPERTYPUT && params->cArgs >= 1 &&
        IsObject(params->rgvarg[0]) && params->rgvarg[0].vt == VT_DISPATCH) {
      VARIANT saved = params->rgvarg[0];
      UniqueVariant defaultValue;
      DISPPARAMS none{nullptr, nullptr, 0, 0};
      const HRESULT got = saved.pdispVal->Invoke(DISPID_VALUE, IID_NULL, kLocale,
                                                 DISPATCH_PROPERTYGET, &none, defaultValue.Put(),
                                                 nullptr, nullptr);
      if (SUCCEEDED(got) && current.vt == VT_DISPATCH && current.pdispVal != nullptr) {
        params->rgvarg[0] = defaultValue;
        const HRESULT put = current.pdispVal->Invoke(DISPID_VALUE, IID_NULL, kLocale, flags, params,
                                                     nullptr, excep, nullptr);
        params->rgvarg[0] = saved;
        if (put != DISP_E_MEMBERNOTFOUND) return put;
      }
    }

    if ((flags & DISPATCH_PROPERTYGET) && !methodCall) {
      if (current.vt == VT_EMPTY) return DISP_E_BADPARAMCOUNT;
      if (result == nullptr) return DISP_E_PARAMNOTOPTIONAL;
    }
    if (methodCall && !IsObject(current)) return DISP_E_BADPARAMCOUNT;

    // A method call reads the function first, then calls it with the caller's arguments.
    UniqueVariant value;
    const UINT argc = methodCall ? 0 : params->cArgs;
    if (argc == 0) {
      RETURN_IF_FAILED(value.CopyFrom(current));
    } else if (argc == 1) {
      const std::wstring* name = NameOf(id);
      if (name == nullptr) return DISP_E_MEMBERNOTFOUND;
      UniqueBstr bname(*name);
      if (accessor) {
        RETURN_IF_FAILED(m_self->CallSetter(bname.Get(), &params->rgvarg[0]));
      } else {
        RETURN_IF_FAILED(m_self->BeforeExpandoSet(bname.Get(), &params->rgvarg[0]));
        VARIANT& stored = MakeExpandos().values[id];
        RETURN_IF_FAILED(::VariantCopy(&stored, &params->rgvarg[0]));
        RETURN_IF_FAILED(m_self->AfterExpandoSet(bname.Get(), &params->rgvarg[0]));
      }
    } else if (IsPut(flags)) {
      return DISP_E_BADPARAMCOUNT;
    }

    if (methodCall) {
      if (!IsObject(value)) return DISP_E_TYPEMISMATCH;
      ComPtr<IDispatch> function;
      if (value.vt == VT_DISPATCH)
        function = value.pdispVal;
      else
        RETURN_IF_FAILED(value.punkVal->QueryInterface(IID_PPV_ARGS(&function)));
      UniqueVariant temp;
      return CallWithThis(function.Get(), params, result ? result : temp.Put(), excep);
    }
    if (result != nullptr && argc == 0) value.Detach(result);
    return S_OK;
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::CallWithThis(IDispatch* function, DISPPARAMS* params,
                                          VARIANT* result, EXCEPINFO* excep) {
  return CallFunctionWithThis(function, Identity().Get(), params, result, excep);
}

[[nodiscard]] HRESULT CallFunctionWithThis(IDispatch* function, IUnknown* self, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* excep) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (params == nullptr) params = &none;
  ComPtr<IDispatchEx> ex;
  if (FAILED(function->QueryInterface(IID_PPV_ARGS(&ex)))) {
    return function->Invoke(DISPID_VALUE, IID_NULL, kLocale, DISPATCH_METHOD, params, result,
                            excep, nullptr);
  }
  try {
    // 'this' goes in front (position 0) as the first named argument. Windows' JScript takes it
    // as VT_UNKNOWN; Wine's only honours a VT_DISPATCH 'this', so there it is handed as one.
    std::vector<VARIANT> args(params->cArgs + 1);
    std::vector<DISPID> named(params->cNamedArgs + 1);
    ComPtr<IDispatch> selfDispatch;
    if (RunningOnWine() && SUCCEEDED(self->QueryInterface(IID_PPV_ARGS(&selfDispatch)))) {
      args[0].vt = VT_DISPATCH;
      args[0].pdispVal = selfDispatch.Get();
    } else {
      args[0].vt = VT_UNKNOWN;
      args[0].punkVal = self;
    }
    for (UINT i = 0; i < params->cArgs; ++i) args[i + 1] = params->rgvarg[i];
    named[0] = DISPID_THIS;
    for (UINT i = 0; i < params->cNamedArgs; ++i) named[i + 1] = params->rgdispidNamedArgs[i];
    DISPPARAMS withThis{args.data(), named.data(), params->cArgs + 1, params->cNamedArgs + 1};
    return ex->InvokeEx(DISPID_VALUE, kLocale, DISPATCH_METHOD, &withThis, result, excep,
                        nullptr);
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::GetOwnProperty(BSTR name, IDispatch** desc) {
  try {
    if (desc == nullptr) return E_POINTER;
    *desc = nullptr;
    if (name == nullptr) return E_INVALIDARG;
    const std::wstring key(name, ::SysStringLen(name));
    if (m_expandos) {
      auto named = m_expandos->names.find(key);
      if (named != m_expandos->names.end()) {
        auto defined = m_expandos->defined.find(named->second);
        if (defined != m_expandos->defined.end()) return defined->second.CopyTo(desc);
      }
    }
    DISPID id = 0;
    if (FAILED(LookupName(key.c_str(), &id))) return S_OK;
    const size_t position = static_cast<size_t>((static_cast<ULONG>(id) >> 28) & 0xF);
    if (position < 1 || position > m_table.count || m_table.entries[position - 1].iid == nullptr)
      return S_OK;
    const IID& iid = *m_table.entries[position - 1].iid;

    // A native descriptor: an empty object whose get and set are function objects.
    ComPtr<IDispatchEx> descriptor;
    RETURN_IF_FAILED(CEmptyDispatchEx::Create(descriptor));
    UniqueBstr getName(L"get"), setName(L"set");
    DISPID getId = 0, setId = 0;
    if (FAILED(descriptor->GetDispID(getName.Get(), fdexNameEnsure, &getId)) ||
        FAILED(descriptor->GetDispID(setName.Get(), fdexNameEnsure, &setId)))
      return E_FAIL;
    for (auto [slot, kind] : {std::pair{getId, CDispFunction::kGet},
                              std::pair{setId, CDispFunction::kPut}}) {
      ComPtr<IDispatch> function;
      RETURN_IF_FAILED(CDispFunction::Create(function, kind, iid, key));
      VARIANT arg;
      arg.vt = VT_DISPATCH;
      arg.pdispVal = function.Get();
      DISPID put = DISPID_PROPERTYPUT;
      DISPPARAMS p{&arg, &put, 1, 1};
      RETURN_IF_FAILED(descriptor->InvokeEx(slot, kLocale, DISPATCH_PROPERTYPUT, &p, nullptr,
                                            nullptr, nullptr));
    }
    return descriptor.CopyTo(desc);
  }
  VELMOR_CATCH_RETURN()
}

HRESULT IDispatchExImplBase::DefineOwnProperty(BSTR name, IDispatch* desc, VARIANT_BOOL) {
  if (name == nullptr || desc == nullptr) return E_INVALIDARG;
  DISPID id = 0;
  try {
    if (FAILED(EnsureExpando(std::wstring(name, ::SysStringLen(name)), &id))) return E_FAIL;
    MakeExpandos().defined[id] = desc;
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

HRESULT IDispatchExImplBase::GetAccessor(BSTR name, const wchar_t* which, VARIANT* function) {
  ComPtr<IDispatch> desc;
  if (FAILED(m_self->GetOwnProperty(name, &desc)) || !desc) return E_FAIL;
  UniqueBstr member(which);
  LPOLESTR names[1] = {member.Get()};
  DISPID id = 0;
  RETURN_IF_FAILED(desc->GetIDsOfNames(IID_NULL, names, 1, kLocale, &id));
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  RETURN_IF_FAILED(desc->Invoke(id, IID_NULL, kLocale, DISPATCH_PROPERTYGET, &none, function,
                                nullptr, nullptr));
  RETURN_IF_FAILED(::VariantChangeType(function, function, 0, VT_DISPATCH));
  return function->pdispVal != nullptr ? S_OK : E_FAIL;
}

HRESULT IDispatchExImplBase::CallGetter(BSTR name, VARIANT* result) {
  UniqueVariant getter;
  RETURN_IF_FAILED(GetAccessor(name, L"get", getter.Put()));
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return CallWithThis(getter.pdispVal, &none, result, nullptr);
}

HRESULT IDispatchExImplBase::CallSetter(BSTR name, VARIANT* value) {
  UniqueVariant setter;
  RETURN_IF_FAILED(GetAccessor(name, L"set", setter.Put()));
  DISPPARAMS one{value, nullptr, 1, 0};
  UniqueVariant ignored;
  return CallWithThis(setter.pdispVal, &one, &ignored, nullptr);
}

HRESULT IDispatchExImplBase::GetTypeInfo(UINT index, bool jsObjectFace, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  const IID* iid = &__uuidof(IJSObject);
  if (!jsObjectFace && m_table.count > 0 && m_table.entries[0].iid != nullptr)
    iid = m_table.entries[0].iid;
  return GetEngineTypeInfo(*iid, info);
}

namespace {
const DispInterfaceTable kEmptyTable{nullptr, 0};
}

CEmptyDispatchEx::CEmptyDispatchEx() : m_bridge(kEmptyTable) {
  m_bridge.Bind(GetUnknown(), static_cast<scIJSObject*>(this));
}

HRESULT CDispFunction::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    if (names[i] != nullptr && _wcsicmp(names[i], L"call") == 0) {
      ids[i] = 0;
    } else {
      ids[i] = DISPID_UNKNOWN;
      hr = DISP_E_UNKNOWNNAME;
    }
  }
  return hr;
}

HRESULT CDispFunction::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
  if (params == nullptr) return E_INVALIDARG;
  if (result != nullptr) ::VariantInit(result);
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (id != 0) return DISP_E_UNKNOWNNAME;  // 0: "call", or the function itself
  if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs == 0) return E_INVALIDARG;
  // Arguments arrive last first: the target, the first in call order, is the last element.
  const VARIANT& targetArg = params->rgvarg[params->cArgs - 1];
  if (!IsObject(targetArg)) return E_INVALIDARG;
  IUnknown* target = targetArg.vt == VT_DISPATCH ? targetArg.pdispVal : targetArg.punkVal;
  ComPtr<IDispatch> face;
  RETURN_IF_FAILED(target->QueryInterface(m_iid, reinterpret_cast<void**>(face.GetAddressOf())));
  if (!face) return E_NOINTERFACE;
  LPOLESTR names[1] = {const_cast<LPOLESTR>(m_name.c_str())};
  DISPID member = 0;
  RETURN_IF_FAILED(face->GetIDsOfNames(IID_NULL, names, 1, kLocale, &member));
  DISPPARAMS rest{params->cArgs > 1 ? params->rgvarg : nullptr, nullptr, params->cArgs - 1, 0};
  if (m_kind == kPut) {
    if (rest.cArgs != 1) return E_INVALIDARG;
    DISPID put = DISPID_PROPERTYPUT;
    rest.rgdispidNamedArgs = &put;
    rest.cNamedArgs = 1;
    return face->Invoke(member, IID_NULL, kLocale, DISPATCH_PROPERTYPUT, &rest, nullptr, excep,
                        argErr);
  }
  return face->Invoke(member, IID_NULL, kLocale, m_kind, &rest, result, excep, argErr);
}

}  // namespace velmor
