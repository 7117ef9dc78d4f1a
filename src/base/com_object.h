// The small COM object base: atomic reference count, an interface table walked by
// QueryInterface, optional aggregation, a second-stage initialisation and a live-object count
// per class so tests can prove that nothing leaks.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "base/hresult.h"

namespace velmor {

using Microsoft::WRL::ComPtr;

// Number of live objects of class T (incremented on construction, decremented on destruction).
template <class T>
struct LiveObjects {
  static inline std::atomic<long> s_count{0};
  static long Count() { return s_count.load(); }
};

template <class T>
class LiveObjectCounter {
 public:
  LiveObjectCounter() { ++LiveObjects<T>::s_count; }
  LiveObjectCounter(const LiveObjectCounter&) { ++LiveObjects<T>::s_count; }
  ~LiveObjectCounter() { --LiveObjects<T>::s_count; }
};

// Lists interfaces that an object answers beyond those it derives from, e.g. the IDispatch base
// of a dual interface: ComObject<Impl, IMessageManager, Also<IDispatch, IMessageManager>>.
template <class Answered, class Through>
struct Also {};

namespace detail {

// A base listed in a ComObject may be an implementation mix-in of an interface; such a mix-in
// names the interface it implements as 'ComInterface'.
template <class I, class = void>
struct InterfaceOf {
  using type = I;
};
template <class I>
struct InterfaceOf<I, std::void_t<typename I::ComInterface>> {
  using type = typename I::ComInterface;
};

template <class I>
struct InterfaceEntry {
  template <class Self>
  static bool Query(Self* self, REFIID riid, void** ppv) {
    using Interface = typename InterfaceOf<I>::type;
    if (!IsEqualIID(riid, __uuidof(Interface))) return false;
    *ppv = static_cast<Interface*>(static_cast<I*>(self));
    return true;
  }
};

template <class Answered, class Through>
struct InterfaceEntry<Also<Answered, Through>> {
  template <class Self>
  static bool Query(Self* self, REFIID riid, void** ppv) {
    if (!IsEqualIID(riid, __uuidof(Answered))) return false;
    *ppv = static_cast<Answered*>(static_cast<Through*>(self));
    return true;
  }
};

template <class I>
struct BaseOf {
  using type = I;
};
template <class A, class T>
struct BaseOf<Also<A, T>> {
  struct type {};
};

template <class First, class... Rest>
struct FirstOf {
  using type = First;
};

}  // namespace detail

// Derive as: class CFoo : public ComObject<CFoo, IFoo, IBar> { ... };
// The first listed interface gives the object's IUnknown identity. A class may define
//   HRESULT QueryInterfaceExtra(REFIID, void**) noexcept   (interfaces answered by delegation)
//   HRESULT FinalConstruct()                               (second-stage initialisation)
//   void    FinalRelease()                                 (runs before destruction)
template <class Derived, class... Interfaces>
class ComObject : public detail::BaseOf<Interfaces>::type..., private LiveObjectCounter<Derived> {
  using Identity = typename detail::FirstOf<Interfaces...>::type;

 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(static_cast<Identity*>(this));
    } else if (!(detail::InterfaceEntry<Interfaces>::Query(this, riid, ppv) || ...)) {
      const HRESULT hr = static_cast<Derived*>(this)->QueryInterfaceExtra(riid, ppv);
      if (FAILED(hr)) *ppv = nullptr;
      return hr;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(++m_refs); }
  STDMETHODIMP_(ULONG) Release() noexcept override {
    const long left = --m_refs;
    if (left == 0) {
      m_refs = 1;  // guards against re-entrant release during teardown
      static_cast<Derived*>(this)->FinalRelease();
      delete static_cast<Derived*>(this);
    }
    return static_cast<ULONG>(left);
  }

  // The object's identity IUnknown (no reference added).
  IUnknown* GetUnknown() { return static_cast<IUnknown*>(static_cast<Identity*>(this)); }

  // Creates the object, runs FinalConstruct and hands out interface I.
  template <class I, class... Args>
  [[nodiscard]] static HRESULT Create(I** out, Args&&... args) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    Derived* obj = nullptr;
    RETURN_IF_FAILED(CreateObject(&obj, std::forward<Args>(args)...));
    const HRESULT hr = obj->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
    obj->Release();
    return hr;
  }
  template <class I, class... Args>
  [[nodiscard]] static HRESULT Create(ComPtr<I>& out, Args&&... args) {
    out.Reset();
    return Create<I>(out.ReleaseAndGetAddressOf(), std::forward<Args>(args)...);
  }
  // Creates the object and hands out the implementation pointer itself (one reference). Every
  // creation goes through here: a constructor that throws, an allocation that fails and a
  // failed FinalConstruct all end in one answer and leave nothing behind.
  template <class... Args>
  [[nodiscard]] static HRESULT CreateObject(Derived** out, Args&&... args) {
    return CreateObjectOf<Derived>(out, std::forward<Args>(args)...);
  }
  // The same for a class extending this one (ComExtension).
  template <class Made, class... Args>
  [[nodiscard]] static HRESULT CreateObjectOf(Made** out, Args&&... args) {
    static_assert(std::is_base_of_v<Derived, Made>);
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    Made* obj = nullptr;
    try {
      obj = new Made(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
    obj->AddRef();
    const HRESULT hr = obj->FinalConstruct();
    if (FAILED(hr)) {
      obj->Release();
      return hr;
    }
    *out = obj;
    return S_OK;
  }

 protected:
  [[nodiscard]] HRESULT QueryInterfaceExtra(REFIID, void**) noexcept { return E_NOINTERFACE; }
  [[nodiscard]] HRESULT FinalConstruct() { return S_OK; }
  void FinalRelease() {}
  long RefCount() const { return m_refs.load(); }

 private:
  std::atomic<long> m_refs{0};
};

// An object that can be aggregated: its interfaces' IUnknown methods delegate to the outer
// object, while the owner holds the inner, non-delegating IUnknown returned by Create.
template <class Derived, class... Interfaces>
class AggregatedComObject : public Interfaces..., private LiveObjectCounter<Derived> {
 public:
  explicit AggregatedComObject(IUnknown* outer) : m_outer(outer), m_inner(this) {}
  AggregatedComObject(const AggregatedComObject&) = delete;
  AggregatedComObject& operator=(const AggregatedComObject&) = delete;
  virtual ~AggregatedComObject() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    return m_outer->QueryInterface(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return m_outer->AddRef(); }
  STDMETHODIMP_(ULONG) Release() noexcept override { return m_outer->Release(); }

  IUnknown* Outer() const { return m_outer; }

  // Creates the aggregated object for 'outer' and returns its non-delegating IUnknown.
  template <class... Args>
  [[nodiscard]] static HRESULT Create(IUnknown* outer, IUnknown** inner, Args&&... args) {
    if (outer == nullptr || inner == nullptr) return E_POINTER;
    *inner = nullptr;
    Derived* obj = nullptr;
    try {
      obj = new Derived(outer, std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
    obj->m_inner.AddRef();
    const HRESULT hr = obj->FinalConstruct();
    if (FAILED(hr)) {
      obj->m_inner.Release();
      return hr;
    }
    *inner = &obj->m_inner;
    return S_OK;
  }

 protected:
  [[nodiscard]] HRESULT FinalConstruct() { return S_OK; }

 private:
  class Inner : public IUnknown {
   public:
    explicit Inner(AggregatedComObject* self) : m_self(self) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
      if (ppv == nullptr) return E_POINTER;
      *ppv = nullptr;
      if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
      }
      if ((detail::InterfaceEntry<Interfaces>::Query(m_self, riid, ppv) || ...)) {
        m_self->AddRef();  // the outer object's count: interfaces delegate their Release to it
        return S_OK;
      }
      return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(++m_refs); }
    STDMETHODIMP_(ULONG) Release() noexcept override {
      const long left = --m_refs;
      if (left == 0) delete static_cast<Derived*>(m_self);
      return static_cast<ULONG>(left);
    }

   private:
    AggregatedComObject* m_self;
    std::atomic<long> m_refs{0};
  };

  IUnknown* m_outer;  // not owned: the outer object owns us
  Inner m_inner;
};

// A COM class extended by further interfaces: class CMore : public ComExtension<CBase, IMore>.
// The added interfaces share the base's IUnknown; the base's QueryInterfaceExtra (virtual in the
// base) answers them.
template <class Base, class... Added>
class ComExtension : public Base, public Added... {
 public:
  using Base::Base;
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    return Base::QueryInterface(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return Base::AddRef(); }
  STDMETHODIMP_(ULONG) Release() noexcept override { return Base::Release(); }
};

// A ComPtr that takes over a reference the caller already owns. MinGW's ComPtr::Attach adds a
// reference of its own (unlike the Windows SDK's), so it cannot be used for that.
template <class T>
ComPtr<T> AdoptRef(T* owned) {
  ComPtr<T> out;
  *out.GetAddressOf() = owned;
  return out;
}

// True when both pointers name the same COM object (same IUnknown identity).
inline bool IsSameObject(IUnknown* a, IUnknown* b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  ComPtr<IUnknown> ua, ub;
  if (FAILED(a->QueryInterface(IID_PPV_ARGS(&ua))) || FAILED(b->QueryInterface(IID_PPV_ARGS(&ub))))
    return false;
  return ua.Get() == ub.Get();
}

}  // namespace velmor
