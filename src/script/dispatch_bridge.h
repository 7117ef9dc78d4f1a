// The dispatch bridge: how scripts reach every native object. Each scriptable class has an
// interface table of script interfaces; names are looked up in its expandos first, then in the
// interfaces in table order, and the interface's position rides in the top four bits of the
// dispatch ID. Scripts may add expandos to native objects and define accessor properties
// (IJSObject) whose getters and setters are script functions called with the object as 'this'.
#pragma once
#include <windows.h>
#include <dispex.h>

#include <map>
#include <memory>
#include <string>

#include "base/com_object.h"
#include "ui_h.h"

namespace velmor {

// One entry of an interface table: an interface of the object itself, found by QueryInterface
// on its identity, or a dispatch pointer the object holds (which may be absent).
struct DispInterfaceEntry {
  const IID* iid;  // null only for a held pointer without an interface identifier
  HRESULT (*held)(IUnknown* identity, IDispatch** out);  // null: the object's own interface
};

struct DispInterfaceTable {
  const DispInterfaceEntry* entries;
  size_t count;  // at most 14
};

inline constexpr DISPID kDispIdGetOwnProperty = 1;
inline constexpr DISPID kDispIdDefineOwnProperty = 2;
inline constexpr DISPID kFirstExpandoId = 3;

// IJSObject with the bridge's own virtual operations after it.
struct scIJSObject : public IJSObject {
  virtual HRESULT STDMETHODCALLTYPE CallGetter(BSTR name, VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE CallSetter(BSTR name, VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE BeforeExpandoSet(BSTR name, VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE AfterExpandoSet(BSTR name, VARIANT* value) = 0;
};

// The state and common code every scriptable native object embeds.
class IDispatchExImplBase {
 public:
  explicit IDispatchExImplBase(const DispInterfaceTable& table) : m_table(table) {}
  IDispatchExImplBase(const IDispatchExImplBase&) = delete;
  IDispatchExImplBase& operator=(const IDispatchExImplBase&) = delete;
  ~IDispatchExImplBase();

  // The object this state belongs to: its identity (passed to script functions as 'this') and
  // its IJSObject face. Neither is owned, and only the face is kept: the identity is what the
  // face answers for IUnknown (every scriptable object embeds a bridge, so a pointer less
  // counts).
  void Bind(IUnknown* identity, scIJSObject* self) { m_self = identity != nullptr ? self : nullptr; }

  // IDispatch / IDispatchEx
  [[nodiscard]] HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
  [[nodiscard]] HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* excep, UINT* argErr);
  [[nodiscard]] HRESULT GetDispID(BSTR name, DWORD grfdex, DISPID* id);
  [[nodiscard]] HRESULT InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep, IServiceProvider* caller);
  [[nodiscard]] HRESULT DeleteMemberByName(BSTR name, DWORD grfdex);
  [[nodiscard]] HRESULT DeleteMemberByDispID(DISPID id);
  [[nodiscard]] HRESULT GetMemberName(DISPID id, BSTR* name);

  // IJSObject
  [[nodiscard]] HRESULT GetOwnProperty(BSTR name, IDispatch** desc);
  [[nodiscard]] HRESULT DefineOwnProperty(BSTR name, IDispatch* desc, VARIANT_BOOL shouldThrow);
  [[nodiscard]] HRESULT CallGetter(BSTR name, VARIANT* result);
  [[nodiscard]] HRESULT CallSetter(BSTR name, VARIANT* value);

  // Type information of a face: the IJSObject face is described by IJSObject, the IDispatchEx
  // face by the first interface of the table (IJSObject when the table is empty).
  [[nodiscard]] HRESULT GetTypeInfo(UINT index, bool jsObjectFace, ITypeInfo** info);

  // The expando identifier of a name, created when missing.
  [[nodiscard]] HRESULT EnsureExpando(const std::wstring& name, DISPID* id);
  // Drops every expando and defined property (identifiers are still never reused). Owners call
  // it when their native object is torn down: a script function stored on the object that
  // refers back to it would otherwise keep both alive for good.
  void ForgetExpandos();

 private:
  [[nodiscard]] HRESULT LookupName(const wchar_t* name, DISPID* id);
  [[nodiscard]] HRESULT ResolveEntry(size_t position, IDispatch** out);
  [[nodiscard]] HRESULT InvokeNative(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* excep, UINT* argErr);
  [[nodiscard]] HRESULT InvokeExpando(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep);
  [[nodiscard]] HRESULT CallWithThis(IDispatch* function, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excep);
  // The "get" or "set" function of a name's property descriptor, as VT_DISPATCH.
  [[nodiscard]] HRESULT GetAccessor(BSTR name, const wchar_t* which, VARIANT* function);
  const std::wstring* NameOf(DISPID id) const;

  // What scripts added to the object. Most objects never get an expando, so the tables are
  // made on the first one.
  struct Expandos {
    std::map<std::wstring, DISPID, std::less<>> names;  // found by any string, unconverted
    std::map<DISPID, VARIANT> values;
    std::map<DISPID, ComPtr<IDispatch>> defined;
    DISPID next = kFirstExpandoId;  // identifiers are never reused
  };
  // The tables, made when missing (throws std::bad_alloc).
  Expandos& MakeExpandos();

  const DispInterfaceTable& m_table;
  // The identity, with a reference (null when unbound).
  [[nodiscard]] ComPtr<IUnknown> Identity() const;

  scIJSObject* m_self = nullptr;
  std::unique_ptr<Expandos> m_expandos;

  friend HRESULT CallFunctionWithThis(IDispatch*, IUnknown*, DISPPARAMS*, VARIANT*, EXCEPINFO*);
};

// Calls a function object with 'self' as 'this' (script functions answer IDispatchEx); a plain
// IDispatch function is called without it.
[[nodiscard]] HRESULT CallFunctionWithThis(IDispatch* function, IUnknown* self, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* excep);

// The IDispatch part shared by both faces of a scriptable class: everything goes to the
// bridge, except that each face describes itself with its own type information. Derived
// provides IDispatchExImplBase& Bridge().
template <class Derived, class Face, bool kJSObjectFace>
class BridgeDispatch : public Face {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    return B().GetTypeInfo(index, kJSObjectFace, info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override {
    return B().GetIDsOfNames(riid, names, count, lcid, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    return B().Invoke(id, riid, lcid, flags, params, result, excep, argErr);
  }

 protected:
  IDispatchExImplBase& B() { return static_cast<Derived*>(this)->Bridge(); }
};

// The IDispatchEx face of a scriptable class.
template <class Derived>
class IDispatchExImpl : public BridgeDispatch<Derived, IDispatchEx, false> {
  using Base = BridgeDispatch<Derived, IDispatchEx, false>;

 public:
  using ComInterface = IDispatchEx;

  STDMETHODIMP GetDispID(BSTR name, DWORD grfdex, DISPID* id) override {
    return Base::B().GetDispID(name, grfdex, id);
  }
  STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, IServiceProvider* caller) override {
    return Base::B().InvokeEx(id, lcid, flags, params, result, excep, caller);
  }
  STDMETHODIMP DeleteMemberByName(BSTR name, DWORD grfdex) override {
    return Base::B().DeleteMemberByName(name, grfdex);
  }
  STDMETHODIMP DeleteMemberByDispID(DISPID id) override {
    return Base::B().DeleteMemberByDispID(id);
  }
  STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberName(DISPID id, BSTR* name) override {
    return Base::B().GetMemberName(id, name);
  }
  STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }
};

// The IJSObject face (property descriptors) of a scriptable class.
template <class Derived>
class IDispatchImplEx : public BridgeDispatch<Derived, scIJSObject, true> {
  using Base = BridgeDispatch<Derived, scIJSObject, true>;

 public:
  using ComInterface = IJSObject;

  STDMETHODIMP GetOwnProperty(BSTR name, IDispatch** desc) override {
    return Base::B().GetOwnProperty(name, desc);
  }
  STDMETHODIMP DefineOwnProperty(BSTR name, IDispatch* desc, VARIANT_BOOL shouldThrow) override {
    return Base::B().DefineOwnProperty(name, desc, shouldThrow);
  }
  HRESULT STDMETHODCALLTYPE CallGetter(BSTR name, VARIANT* result) override {
    return Base::B().CallGetter(name, result);
  }
  HRESULT STDMETHODCALLTYPE CallSetter(BSTR name, VARIANT* value) override {
    return Base::B().CallSetter(name, value);
  }
  HRESULT STDMETHODCALLTYPE BeforeExpandoSet(BSTR, VARIANT*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE AfterExpandoSet(BSTR, VARIANT*) override { return S_OK; }
};

// A plain scriptable object with no native members: everything on it is an expando. Used as a
// property descriptor.
class CEmptyDispatchEx final
    : public ComObject<CEmptyDispatchEx, IDispatchExImpl<CEmptyDispatchEx>,
                       Also<IDispatch, IDispatchExImpl<CEmptyDispatchEx>>,
                       IDispatchImplEx<CEmptyDispatchEx>> {
 public:
  CEmptyDispatchEx();
  IDispatchExImplBase& Bridge() { return m_bridge; }

 private:
  IDispatchExImplBase m_bridge;
};

// A function object standing for one native method or property accessor of an interface. It
// is called with its target object as the first argument (directly or through "call").
class CDispFunction final : public ComObject<CDispFunction, IDispatch> {
 public:
  static constexpr WORD kMethod = DISPATCH_METHOD;
  static constexpr WORD kGet = DISPATCH_PROPERTYGET;
  static constexpr WORD kPut = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;

  CDispFunction(WORD kind, const IID& iid, std::wstring name)
      : m_kind(kind), m_iid(iid), m_name(std::move(name)) {}

  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

 private:
  WORD m_kind;
  IID m_iid;
  std::wstring m_name;
};

}  // namespace velmor
