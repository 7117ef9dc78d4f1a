// The dispatch connector service: adapts a script object (anything with IDispatch) to a vtable
// interface described by type information, so native code can call script objects through the
// interfaces it already knows (message filters, idle handlers, ...).
//
// How it is built. The runtime knows no engine interface, so the adapter is generic: from the
// FUNCDESCs of the wanted interface (and of its bases up to IUnknown or IDispatch) it builds a
// vtable whose slots are small thunks. A thunk knows its slot and how many machine words its
// arguments take (each thunk is instantiated per slot and argument-word count, so a stdcall
// callee pops exactly what the caller pushed on x86); it copies those words into an array and
// hands them to the connector, which decodes them with the parameter descriptions and calls the
// script object's member of the same name through IDispatchEx::InvokeEx (or IDispatch::Invoke).
// Methods must return HRESULT and take integers, booleans, strings, interface pointers or
// pointers; floating-point and structure arguments by value are refused at connection time (on
// x64 they would travel in other registers).
//
// What the script receives and how it answers:
//   - integers and booleans as numbers and booleans; strings as strings; interface pointers as
//     objects;
//   - a pointer to a record (e.g. tagMSG) as an object with one property per field, nested
//     records as nested objects (msg.pt.x), handles and pointer-sized fields as numbers;
//   - an [in] or [in, out] pointer to a value as that value; [out]-only parameters are not
//     passed, and their targets are cleared before the call.
//   The script's answer goes to the method's last [out] parameter (the retval, or e.g.
//   PreTranslateMessage's bProcessed): a return value other than undefined is converted to that
//   parameter's type (true/false become 1/0 for integer targets). When the script returns
//   nothing, every [out] parameter whose name the script set as a property of a record argument
//   takes that value (msg.bProcessed = true). Otherwise the targets keep their values.
//   The method's result is the script call's: a thrown exception or a missing member fails the
//   call. A script object without the member but callable itself (a plain function) is called.
//
// The adapter answers IObjectIdentity: it is "equal" to its script object (and to any other
// adapter of the same script object), so removing the script object later finds the adapter.
#include <dispex.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/bstr.h"
#include "script_record.h"
#include "services.h"

namespace vmrt {
namespace {

constexpr size_t kMaxSlots = 24;     // vtable slots of an adaptable interface, IUnknown's included
constexpr size_t kMaxArgWords = 10;  // machine words of one method's arguments
constexpr size_t kWord = sizeof(uintptr_t);

// How one parameter travels.
enum class ParamKind {
  kValue,       // a scalar passed by value
  kString,      // BSTR or LPWSTR by value
  kInterface,   // an interface pointer
  kRecord,      // a pointer to a record
  kValueRef,    // a pointer to a scalar or string
  kInterfaceRef,// a pointer to an interface pointer
  kOpaque,      // any other pointer: handed over as its numeric value
};

struct ParamPlan {
  std::wstring name;
  ParamKind kind = ParamKind::kValue;
  VARTYPE vt = VT_EMPTY;  // scalar type (the pointee's for the *Ref kinds)
  IID iid = IID_IUnknown;  // for the interface kinds
  velmor::ComPtr<ITypeInfo> record;
  USHORT flags = 0;       // PARAMFLAG_*
  unsigned firstWord = 0;
  unsigned words = 1;
  bool In() const { return (flags & PARAMFLAG_FIN) != 0 || (flags & PARAMFLAG_FOUT) == 0; }
  bool Out() const { return (flags & PARAMFLAG_FOUT) != 0; }
};

struct MethodPlan {
  bool present = false;
  std::wstring name;
  INVOKEKIND invoke = INVOKE_FUNC;
  std::vector<ParamPlan> params;
  unsigned words = 0;
  int answerParam = -1;  // the last [out] parameter
};

struct InterfacePlan {
  IID iid{};
  size_t slots = 0;
  bool dispatchBase = false;  // slots 3 to 6 are IDispatch's
  std::array<MethodPlan, kMaxSlots> methods;
};

size_t ScalarSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: case VT_HRESULT: return 4;
    case VT_I8: case VT_UI8: return 8;
    case VT_R4: return 4;
    case VT_R8: return 8;
    case VT_BSTR: case VT_LPWSTR: case VT_INT_PTR: case VT_UINT_PTR: return kWord;
    default: return 0;
  }
}

// Follows aliases and enums; 'owner' ends as the type information the result belongs to.
[[nodiscard]] HRESULT Resolve(ITypeInfo* info, TYPEDESC type, velmor::ComPtr<ITypeInfo>& owner, TYPEDESC& out,
                TYPEKIND& userKind) {
  owner = info;
  userKind = TKIND_MAX;
  for (int depth = 0; depth < 16; ++depth) {
    if (type.vt != VT_USERDEFINED) break;
    velmor::ComPtr<ITypeInfo> ref;
    RETURN_IF_FAILED(owner->GetRefTypeInfo(type.hreftype, &ref));
    TYPEATTR* attr = nullptr;
    RETURN_IF_FAILED(ref->GetTypeAttr(&attr));
    const TYPEKIND kind = attr->typekind;
    const TYPEDESC aliased = attr->tdescAlias;
    ref->ReleaseTypeAttr(attr);
    if (kind == TKIND_ALIAS) {
      owner = ref;
      type = aliased;
      continue;
    }
    if (kind == TKIND_ENUM) {
      type.vt = VT_I4;
      break;
    }
    userKind = kind;
    owner = ref;  // the record or interface itself
    break;
  }
  out = type;
  return S_OK;
}

[[nodiscard]] HRESULT GuidOf(ITypeInfo* info, IID* iid) {
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(info->GetTypeAttr(&attr));
  *iid = attr->guid;
  info->ReleaseTypeAttr(attr);
  return S_OK;
}

// Describes how one parameter travels; E_NOTIMPL for what cannot be forwarded.
[[nodiscard]] HRESULT PlanParam(ITypeInfo* info, const ELEMDESC& elem, ParamPlan& param) {
  param.flags = elem.paramdesc.wParamFlags;
  velmor::ComPtr<ITypeInfo> owner;
  TYPEDESC type{};
  TYPEKIND userKind = TKIND_MAX;
  RETURN_IF_FAILED(Resolve(info, elem.tdesc, owner, type, userKind));
  if (type.vt == VT_UNKNOWN || type.vt == VT_DISPATCH) {
    param.kind = ParamKind::kInterface;
    param.iid = type.vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
    return S_OK;
  }
  if (type.vt == VT_BSTR || type.vt == VT_LPWSTR) {
    param.kind = ParamKind::kString;
    param.vt = type.vt;
    return S_OK;
  }
  if (type.vt != VT_PTR) {
    const size_t size = ScalarSize(type.vt);
    if (size == 0 || type.vt == VT_R4 || type.vt == VT_R8) return E_NOTIMPL;
    param.kind = ParamKind::kValue;
    param.vt = type.vt;
    param.words = static_cast<unsigned>((size + kWord - 1) / kWord);
    return S_OK;
  }
  // A pointer: look at what it points to.
  velmor::ComPtr<ITypeInfo> pointeeOwner;
  TYPEDESC pointee{};
  RETURN_IF_FAILED(Resolve(owner.Get(), *type.lptdesc, pointeeOwner, pointee, userKind));
  if (pointee.vt == VT_USERDEFINED) {
    if (userKind == TKIND_RECORD) {
      param.kind = ParamKind::kRecord;
      param.record = pointeeOwner;
      return S_OK;
    }
    if (userKind == TKIND_INTERFACE || userKind == TKIND_DISPATCH) {
      param.kind = ParamKind::kInterface;
      return GuidOf(pointeeOwner.Get(), &param.iid);
    }
    param.kind = ParamKind::kOpaque;
    return S_OK;
  }
  if (pointee.vt == VT_UNKNOWN || pointee.vt == VT_DISPATCH) {
    param.kind = ParamKind::kInterfaceRef;
    param.iid = pointee.vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
    return S_OK;
  }
  if (pointee.vt == VT_PTR) {
    velmor::ComPtr<ITypeInfo> innerOwner;
    TYPEDESC inner{};
    RETURN_IF_FAILED(Resolve(pointeeOwner.Get(), *pointee.lptdesc, innerOwner, inner, userKind));
    if (inner.vt == VT_USERDEFINED && (userKind == TKIND_INTERFACE || userKind == TKIND_DISPATCH)) {
      param.kind = ParamKind::kInterfaceRef;
      return GuidOf(innerOwner.Get(), &param.iid);
    }
    param.kind = ParamKind::kOpaque;
    return S_OK;
  }
  if (ScalarSize(pointee.vt) != 0) {
    param.kind = ParamKind::kValueRef;
    param.vt = pointee.vt;
    return S_OK;
  }
  param.kind = ParamKind::kOpaque;
  return S_OK;
}

[[nodiscard]] HRESULT PlanMethod(ITypeInfo* info, const FUNCDESC& func, MethodPlan& method) {
  if (func.funckind != FUNC_PUREVIRTUAL && func.funckind != FUNC_VIRTUAL) return E_NOTIMPL;
  if (func.elemdescFunc.tdesc.vt != VT_HRESULT) return E_NOTIMPL;
  if (func.cParamsOpt != 0 && func.cParamsOpt != -1) return E_NOTIMPL;
  std::vector<velmor::UniqueBstr> names(static_cast<size_t>(func.cParams) + 1);
  std::vector<BSTR> raw(names.size(), nullptr);
  UINT got = 0;
  RETURN_IF_FAILED(info->GetNames(func.memid, raw.data(), static_cast<UINT>(raw.size()), &got));
  for (size_t i = 0; i < raw.size(); ++i) names[i] = velmor::UniqueBstr::Attach(raw[i]);
  RETURN_HR_IF(E_NOTIMPL, got == 0 || names[0].Get() == nullptr);
  method.present = true;
  method.name.assign(names[0].View());
  method.invoke = func.invkind;
  method.params.resize(static_cast<size_t>(func.cParams));
  unsigned word = 0;
  for (SHORT i = 0; i < func.cParams; ++i) {
    ParamPlan& param = method.params[static_cast<size_t>(i)];
    if (static_cast<UINT>(i) + 1 < got) param.name.assign(names[static_cast<size_t>(i) + 1].View());
    RETURN_IF_FAILED(PlanParam(info, func.lprgelemdescParam[i], param));
    param.firstWord = word;
    word += param.words;
    if (param.Out()) method.answerParam = i;
  }
  RETURN_HR_IF(E_NOTIMPL, word > kMaxArgWords);
  method.words = word;
  return S_OK;
}

// Adds the methods of 'info' (an interface) and of its bases to the plan.
[[nodiscard]] HRESULT PlanInterface(ITypeInfo* info, InterfacePlan& plan, int depth) {
  RETURN_HR_IF(E_NOTIMPL, depth > 8);
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(info->GetTypeAttr(&attr));
  const IID iid = attr->guid;
  const TYPEKIND kind = attr->typekind;
  const WORD funcs = attr->cFuncs;
  const WORD impls = attr->cImplTypes;
  info->ReleaseTypeAttr(attr);
  if (IsEqualIID(iid, IID_IUnknown)) return S_OK;
  if (IsEqualIID(iid, IID_IDispatch)) {
    plan.dispatchBase = true;
    return S_OK;
  }
  RETURN_HR_IF(E_NOTIMPL, kind != TKIND_INTERFACE || impls != 1);
  HREFTYPE baseRef = 0;
  RETURN_IF_FAILED(info->GetRefTypeOfImplType(0, &baseRef));
  velmor::ComPtr<ITypeInfo> base;
  RETURN_IF_FAILED(info->GetRefTypeInfo(baseRef, &base));
  RETURN_IF_FAILED(PlanInterface(base.Get(), plan, depth + 1));
  for (WORD i = 0; i < funcs; ++i) {
    FUNCDESC* func = nullptr;
    RETURN_IF_FAILED(info->GetFuncDesc(i, &func));
    const size_t slot = static_cast<size_t>(func->oVft) / kWord;
    HRESULT hr = slot >= 3 && slot < kMaxSlots && !plan.methods[slot].present ? S_OK : E_NOTIMPL;
    if (SUCCEEDED(hr)) hr = PlanMethod(info, *func, plan.methods[slot]);
    info->ReleaseFuncDesc(func);
    RETURN_IF_FAILED(hr);
    if (slot + 1 > plan.slots) plan.slots = slot + 1;
  }
  return S_OK;
}

[[nodiscard]] HRESULT BuildPlan(ITypeInfo* described, REFIID iid, InterfacePlan& plan) {
  velmor::ComPtr<ITypeInfo> info = described;
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(info->GetTypeAttr(&attr));
  const bool dualDispatch = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
  const IID described_iid = attr->guid;
  info->ReleaseTypeAttr(attr);
  RETURN_HR_IF(E_INVALIDARG, !IsEqualIID(described_iid, iid));
  if (dualDispatch) {
    // The vtable half of a dual interface.
    HREFTYPE ref = 0;
    RETURN_IF_FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
    velmor::ComPtr<ITypeInfo> vtable;
    RETURN_IF_FAILED(info->GetRefTypeInfo(ref, &vtable));
    info = vtable;
  }
  plan.iid = iid;
  plan.slots = 3;
  RETURN_IF_FAILED(PlanInterface(info.Get(), plan, 0));
  const size_t firstOwn = plan.dispatchBase ? 7 : 3;
  for (size_t slot = firstOwn; slot < plan.slots; ++slot)
    RETURN_HR_IF(E_NOTIMPL, !plan.methods[slot].present);  // a gap would leave a bad slot
  if (plan.dispatchBase && plan.slots < 7) plan.slots = 7;
  return S_OK;
}

class CConnector;

// The interface face handed out: a vtable pointer followed by its owner.
struct Face {
  void* const* vtable;
  CConnector* owner;
};

// Private: lets one adapter recognise another.
// {8d2b4c1e-5a7f-4e1b-9c3d-2f6a8b0e4d71}
constexpr IID kIidConnectorSelf = {
    0x8d2b4c1e, 0x5a7f, 0x4e1b, {0x9c, 0x3d, 0x2f, 0x6a, 0x8b, 0x0e, 0x4d, 0x71}};

class CConnector final : public velmor::ComObject<CConnector, IObjectIdentity> {
 public:
  CConnector(std::unique_ptr<InterfacePlan> plan, IDispatch* target, IUnknown* identity);

  [[nodiscard]] HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) noexcept;
  STDMETHODIMP IsEqualObject(IUnknown* other) override;

  // Called by the thunks.
  [[nodiscard]] HRESULT Forward(size_t slot, const uintptr_t* words) noexcept;
  IDispatch* Target() const { return m_target.Get(); }
  IUnknown* Identity() const { return m_identity.Get(); }

 private:
  [[nodiscard]] HRESULT Call(const MethodPlan& method, const uintptr_t* words);
  [[nodiscard]] HRESULT FindMember(const MethodPlan& method, DISPID* id);

  std::unique_ptr<InterfacePlan> m_plan;
  velmor::ComPtr<IDispatch> m_target;
  velmor::ComPtr<IDispatchEx> m_targetEx;
  velmor::ComPtr<IUnknown> m_identity;
  std::vector<void*> m_vtable;
  Face m_face{};
};

// ---- thunks ---------------------------------------------------------------------------------

template <size_t>
using Word = uintptr_t;

template <size_t Slot, class Sequence>
struct Thunk;

template <size_t Slot, size_t... I>
struct Thunk<Slot, std::index_sequence<I...>> {
  static HRESULT STDMETHODCALLTYPE Call(Face* self, Word<I>... words) {
    const uintptr_t array[sizeof...(I) + 1] = {words..., 0};
    return self->owner->Forward(Slot, array);
  }
};

using ThunkTable = std::array<std::array<void*, kMaxArgWords + 1>, kMaxSlots>;

template <size_t Slot, size_t... Words>
void FillRow(ThunkTable& table, std::index_sequence<Words...>) {
  ((table[Slot][Words] =
        reinterpret_cast<void*>(&Thunk<Slot, std::make_index_sequence<Words>>::Call)),
   ...);
}

template <size_t... Slots>
void FillTable(ThunkTable& table, std::index_sequence<Slots...>) {
  (FillRow<Slots>(table, std::make_index_sequence<kMaxArgWords + 1>()), ...);
}

const ThunkTable& Thunks() {
  static const ThunkTable s_table = [] {
    ThunkTable table{};
    FillTable(table, std::make_index_sequence<kMaxSlots>());
    return table;
  }();
  return s_table;
}

HRESULT STDMETHODCALLTYPE FaceQueryInterface(Face* self, REFIID iid, void** ppv) {
  return self->owner->QueryInterface(iid, ppv);
}
ULONG STDMETHODCALLTYPE FaceAddRef(Face* self) { return self->owner->AddRef(); }
ULONG STDMETHODCALLTYPE FaceRelease(Face* self) { return self->owner->Release(); }

// A dual interface's IDispatch part is the script object's own.
HRESULT STDMETHODCALLTYPE FaceGetTypeInfoCount(Face* self, UINT* count) {
  return self->owner->Target()->GetTypeInfoCount(count);
}
HRESULT STDMETHODCALLTYPE FaceGetTypeInfo(Face* self, UINT index, LCID lcid, ITypeInfo** info) {
  return self->owner->Target()->GetTypeInfo(index, lcid, info);
}
HRESULT STDMETHODCALLTYPE FaceGetIDsOfNames(Face* self, REFIID iid, LPOLESTR* names, UINT count,
                                            LCID lcid, DISPID* ids) {
  return self->owner->Target()->GetIDsOfNames(iid, names, count, lcid, ids);
}
HRESULT STDMETHODCALLTYPE FaceInvoke(Face* self, DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argErr) {
  return self->owner->Target()->Invoke(id, iid, lcid, flags, params, result, excep, argErr);
}

// ---- argument conversion --------------------------------------------------------------------

template <class T>
T ReadWord(const uintptr_t* words, unsigned first) {
  T value{};
  std::memcpy(&value, &words[first], sizeof(T));  // little-endian: the low bytes come first
  return value;
}

// A scalar of type 'vt' stored at 'p' as a script value.
[[nodiscard]] HRESULT ScalarToVariant(VARTYPE vt, const void* p, VARIANT* out) {
  ::VariantInit(out);
  const BYTE* b = static_cast<const BYTE*>(p);
  auto read = [b](auto sample) {
    decltype(sample) value{};
    std::memcpy(&value, b, sizeof(value));
    return value;
  };
  switch (vt) {
    case VT_I1: MakeScriptNumber(read(static_cast<signed char>(0)), out); return S_OK;
    case VT_UI1: MakeScriptUnsigned(read(static_cast<unsigned char>(0)), out); return S_OK;
    case VT_I2: MakeScriptNumber(read(static_cast<short>(0)), out); return S_OK;
    case VT_UI2: MakeScriptUnsigned(read(static_cast<unsigned short>(0)), out); return S_OK;
    case VT_I4: case VT_INT: case VT_ERROR: case VT_HRESULT:
      MakeScriptNumber(read(static_cast<LONG>(0)), out); return S_OK;
    case VT_UI4: case VT_UINT: MakeScriptUnsigned(read(static_cast<ULONG>(0)), out); return S_OK;
    case VT_I8: case VT_INT_PTR: MakeScriptNumber(read(0LL), out); return S_OK;
    case VT_UI8: case VT_UINT_PTR: MakeScriptUnsigned(read(0ULL), out); return S_OK;
    case VT_BOOL: out->vt = VT_BOOL; out->boolVal = read(static_cast<VARIANT_BOOL>(0)); return S_OK;
    case VT_R4: out->vt = VT_R8; out->dblVal = read(0.0f); return S_OK;
    case VT_R8: out->vt = VT_R8; out->dblVal = read(0.0); return S_OK;
    case VT_BSTR: {
      const BSTR text = read(static_cast<BSTR>(nullptr));
      out->vt = VT_BSTR;
      out->bstrVal = ::SysAllocStringLen(text, ::SysStringLen(text));
      return out->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    case VT_LPWSTR: {
      const wchar_t* text = read(static_cast<const wchar_t*>(nullptr));
      out->vt = VT_BSTR;
      out->bstrVal = ::SysAllocString(text ? text : L"");
      return out->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    default:
      return S_OK;  // undefined
  }
}

void InterfaceToVariant(IUnknown* object, VARIANT* out) {
  ::VariantInit(out);
  out->vt = VT_DISPATCH;
  out->pdispVal = nullptr;
  if (object == nullptr) return;
  // Scripts can only use objects through IDispatch; hand out IUnknown otherwise.
  if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&out->pdispVal)))) return;
  out->vt = VT_UNKNOWN;
  out->punkVal = object;
  object->AddRef();
}

// Writes a script value to a target of scalar type 'vt'.
[[nodiscard]] HRESULT WriteScalar(VARTYPE vt, const VARIANT& value, void* target, bool releaseOld) {
  velmor::UniqueVariant converted;
  if (vt == VT_BSTR || vt == VT_LPWSTR) {
    if (vt == VT_LPWSTR) return E_NOTIMPL;  // nobody could free it
    RETURN_IF_FAILED(::VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR));
    BSTR* slot = static_cast<BSTR*>(target);
    if (releaseOld && *slot) ::SysFreeString(*slot);
    *slot = converted.bstrVal;
    converted.vt = VT_EMPTY;
    return S_OK;
  }
  if (vt == VT_BOOL) {
    RETURN_IF_FAILED(::VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_BOOL));
    std::memcpy(target, &converted.boolVal, sizeof(VARIANT_BOOL));
    return S_OK;
  }
  if (vt == VT_R4 || vt == VT_R8) {
    RETURN_IF_FAILED(::VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_R8));
    if (vt == VT_R8) {
      std::memcpy(target, &converted.dblVal, sizeof(double));
    } else {
      const float f = static_cast<float>(converted.dblVal);
      std::memcpy(target, &f, sizeof(float));
    }
    return S_OK;
  }
  const size_t size = ScalarSize(vt);
  if (size == 0) return E_NOTIMPL;
  long long number = 0;
  if (value.vt == VT_BOOL) {
    number = value.boolVal != VARIANT_FALSE ? 1 : 0;  // C truth values for integer targets
  } else {
    RETURN_IF_FAILED(::VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_I8));
    number = converted.llVal;
  }
  std::memcpy(target, &number, size);  // little-endian: the low bytes
  return S_OK;
}

[[nodiscard]] HRESULT WriteInterface(REFIID iid, const VARIANT& value, IUnknown** target, bool releaseOld) {
  IUnknown* object = nullptr;
  if (value.vt == VT_UNKNOWN || value.vt == VT_DISPATCH) {
    if (value.punkVal != nullptr)
      RETURN_IF_FAILED(value.punkVal->QueryInterface(iid, reinterpret_cast<void**>(&object)));
  } else if (value.vt != VT_NULL && value.vt != VT_EMPTY) {
    return DISP_E_TYPEMISMATCH;
  }
  if (releaseOld && *target) (*target)->Release();
  *target = object;
  return S_OK;
}

// ---- the connector --------------------------------------------------------------------------

CConnector::CConnector(std::unique_ptr<InterfacePlan> plan, IDispatch* target, IUnknown* identity)
    : m_plan(std::move(plan)), m_target(target), m_identity(identity) {
  target->QueryInterface(IID_PPV_ARGS(&m_targetEx));
  const ThunkTable& thunks = Thunks();
  m_vtable.assign(m_plan->slots, nullptr);
  m_vtable[0] = reinterpret_cast<void*>(&FaceQueryInterface);
  m_vtable[1] = reinterpret_cast<void*>(&FaceAddRef);
  m_vtable[2] = reinterpret_cast<void*>(&FaceRelease);
  if (m_plan->dispatchBase) {
    m_vtable[3] = reinterpret_cast<void*>(&FaceGetTypeInfoCount);
    m_vtable[4] = reinterpret_cast<void*>(&FaceGetTypeInfo);
    m_vtable[5] = reinterpret_cast<void*>(&FaceGetIDsOfNames);
    m_vtable[6] = reinterpret_cast<void*>(&FaceInvoke);
  }
  for (size_t slot = 3; slot < m_plan->slots; ++slot) {
    const MethodPlan& method = m_plan->methods[slot];
    if (method.present) m_vtable[slot] = thunks[slot][method.words];
  }
  m_face.vtable = m_vtable.data();
  m_face.owner = this;
}

HRESULT CConnector::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  if (IsEqualIID(riid, m_plan->iid) || (m_plan->dispatchBase && IsEqualIID(riid, IID_IDispatch))) {
    *ppv = &m_face;
    AddRef();
    return S_OK;
  }
  if (IsEqualIID(riid, kIidConnectorSelf)) {
    *ppv = this;
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP CConnector::IsEqualObject(IUnknown* other) {
  if (other == nullptr) return E_POINTER;
  if (velmor::IsSameObject(other, m_identity.Get())) return S_OK;
  CConnector* peer = nullptr;
  if (SUCCEEDED(other->QueryInterface(kIidConnectorSelf, reinterpret_cast<void**>(&peer)))) {
    const bool same = peer->Identity() == m_identity.Get();
    peer->Release();
    return same ? S_OK : S_FALSE;
  }
  return S_FALSE;
}

HRESULT CConnector::Forward(size_t slot, const uintptr_t* words) noexcept {
  if (slot >= m_plan->slots || !m_plan->methods[slot].present) return E_NOTIMPL;
  velmor::ComPtr<IObjectIdentity> keepAlive(this);  // the script may drop its last reference
  try {
    return Call(m_plan->methods[slot], words);
  }
  VELMOR_CATCH_RETURN()
}

HRESULT CConnector::FindMember(const MethodPlan& method, DISPID* id) {
  velmor::UniqueBstr name(method.name);
  RETURN_IF_NULL_ALLOC(name.Get());
  if (m_targetEx) return m_targetEx->GetDispID(name.Get(), fdexNameCaseSensitive, id);
  LPOLESTR names[] = {name.Get()};
  return m_target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT CConnector::Call(const MethodPlan& method, const uintptr_t* words) {
  const size_t count = method.params.size();
  // Arguments for script, in order; DISPPARAMS wants them reversed.
  std::vector<velmor::UniqueVariant> args(count);
  std::vector<bool> passed(count, false);
  std::vector<velmor::ComPtr<IDispatchEx>> records;  // CScriptRecord objects
  for (size_t i = 0; i < count; ++i) {
    const ParamPlan& p = method.params[i];
    VARIANT* arg = &args[i];
    const bool in = p.In();
    const void* pointer = ReadWord<const void*>(words, p.firstWord);
    switch (p.kind) {
      case ParamKind::kValue:
        RETURN_IF_FAILED(ScalarToVariant(p.vt, &words[p.firstWord], arg));
        break;
      case ParamKind::kString:
        RETURN_IF_FAILED(ScalarToVariant(p.vt, &words[p.firstWord], arg));
        break;
      case ParamKind::kInterface:
        InterfaceToVariant(static_cast<IUnknown*>(const_cast<void*>(pointer)), arg);
        break;
      case ParamKind::kRecord:
        if (pointer == nullptr) {
          arg->vt = VT_NULL;
        } else {
          CScriptRecord* record = nullptr;
          RETURN_IF_FAILED(CScriptRecord::FromRecord(p.record.Get(), pointer, &record));
          records.push_back(velmor::AdoptRef<IDispatchEx>(record));
          arg->vt = VT_DISPATCH;
          arg->pdispVal = record;
          arg->pdispVal->AddRef();
        }
        break;
      case ParamKind::kValueRef:
        if (!in && pointer != nullptr) {
          // [out] only: the target starts cleared.
          if (p.vt == VT_BSTR || p.vt == VT_LPWSTR)
            *static_cast<void**>(const_cast<void*>(pointer)) = nullptr;
          else
            std::memset(const_cast<void*>(pointer), 0, ScalarSize(p.vt));
        } else if (pointer != nullptr) {
          RETURN_IF_FAILED(ScalarToVariant(p.vt, pointer, arg));
        }
        break;
      case ParamKind::kInterfaceRef:
        if (pointer == nullptr) break;
        if (!in)
          *static_cast<IUnknown**>(const_cast<void*>(pointer)) = nullptr;
        else
          InterfaceToVariant(*static_cast<IUnknown* const*>(pointer), arg);
        break;
      case ParamKind::kOpaque:
        MakeScriptUnsigned(reinterpret_cast<uintptr_t>(pointer), arg);
        break;
    }
    passed[i] = in;
  }

  std::vector<VARIANT> reversed;
  for (size_t i = count; i-- > 0;)
    if (passed[i]) reversed.push_back(args[i]);  // shallow copies: 'args' keeps ownership
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  WORD flags = DISPATCH_METHOD;
  DISPID putId = DISPID_PROPERTYPUT;
  if (method.invoke == INVOKE_PROPERTYGET) flags = DISPATCH_PROPERTYGET;
  if (method.invoke & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) {
    flags = method.invoke == INVOKE_PROPERTYPUT ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYPUTREF;
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }

  DISPID id = DISPID_UNKNOWN;
  if (FAILED(FindMember(method, &id))) {
    // A plain function stands for a one-method interface.
    if (method.invoke != INVOKE_FUNC) return DISP_E_MEMBERNOTFOUND;
    id = DISPID_VALUE;
  }
  velmor::UniqueVariant answer;
  EXCEPINFO excep{};
  HRESULT hr = m_targetEx ? m_targetEx->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params,
                                                 answer.Put(), &excep, nullptr)
                          : m_target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                             answer.Put(), &excep, nullptr);
  ::SysFreeString(excep.bstrSource);
  ::SysFreeString(excep.bstrDescription);
  ::SysFreeString(excep.bstrHelpFile);
  if (FAILED(hr)) return hr;

  // The answer: the returned value for the last [out] parameter, else properties the script
  // set on a record argument under an [out] parameter's name.
  for (size_t i = 0; i < count; ++i) {
    const ParamPlan& p = method.params[i];
    if (!p.Out()) continue;
    void* target = const_cast<void*>(ReadWord<const void*>(words, p.firstWord));
    if (target == nullptr) continue;
    velmor::UniqueVariant value;
    bool have = false;
    if (static_cast<int>(i) == method.answerParam && answer.vt != VT_EMPTY) {
      have = SUCCEEDED(value.CopyFrom(answer));
    } else {
      for (const auto& record : records) {
        auto* snapshot = static_cast<CScriptRecord*>(record.Get());
        if (snapshot->GetProperty(p.name.c_str(), value.Put()) && value.vt != VT_EMPTY) {
          have = true;
          break;
        }
      }
    }
    if (!have) continue;
    if (p.kind == ParamKind::kValueRef) {
      RETURN_IF_FAILED(WriteScalar(p.vt, value, target, p.In()));
    } else if (p.kind == ParamKind::kInterfaceRef) {
      RETURN_IF_FAILED(WriteInterface(p.iid, value, static_cast<IUnknown**>(target), p.In()));
    }
  }
  return hr;
}

// ---- the service ----------------------------------------------------------------------------

class CDispatchConnector final : public velmor::ComObject<CDispatchConnector, IDispatchConnector> {
 public:
  STDMETHODIMP ConnectDispatch(IUnknown* scriptObject, ITypeInfo* typeInfo, REFIID iid,
                               void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (scriptObject == nullptr || typeInfo == nullptr) return E_POINTER;
    try {
      velmor::ComPtr<IDispatch> target;
      RETURN_IF_FAILED(scriptObject->QueryInterface(IID_PPV_ARGS(&target)));
      velmor::ComPtr<IUnknown> identity;
      RETURN_IF_FAILED(scriptObject->QueryInterface(IID_PPV_ARGS(&identity)));
      auto plan = std::make_unique<InterfacePlan>();
      RETURN_IF_FAILED(BuildPlan(typeInfo, iid, *plan));
      velmor::ComPtr<IObjectIdentity> connector;
      RETURN_IF_FAILED(CConnector::Create(connector, std::move(plan), target.Get(), identity.Get()));
      return connector->QueryInterface(iid, object);
    }
    VELMOR_CATCH_RETURN()
  }
};

}  // namespace

[[nodiscard]] HRESULT CreateDispatchConnector(REFIID iid, void** object) {
  velmor::ComPtr<IDispatchConnector> service;
  RETURN_IF_FAILED(CDispatchConnector::Create(service));
  return service->QueryInterface(iid, object);
}

}  // namespace vmrt
