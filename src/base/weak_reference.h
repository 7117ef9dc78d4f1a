// Non-owning references to COM objects that read null once the object has revoked them. A window
// holds the window that opened it this way: a closed opener is neither kept alive by the windows
// it opened nor reached through them afterwards. Used on one thread only.
#pragma once
#include <unknwn.h>

#include <memory>
#include <new>

namespace velmor {

class WeakReference {
 public:
  // Whether a reference was ever given (it may read null by now).
  bool IsSet() const { return m_slot != nullptr; }
  // The object (no reference added), or null once it has revoked its references.
  IUnknown* Get() const { return m_slot ? *m_slot : nullptr; }
  void Reset() { m_slot.reset(); }

 private:
  friend class WeakReferenceSource;
  std::shared_ptr<IUnknown*> m_slot;
};

// Held by the object that hands out weak references to itself.
class WeakReferenceSource {
 public:
  WeakReferenceSource() = default;
  WeakReferenceSource(const WeakReferenceSource&) = delete;
  WeakReferenceSource& operator=(const WeakReferenceSource&) = delete;
  ~WeakReferenceSource() { Revoke(); }

  // Makes 'reference' refer to 'self' until the next Revoke.
  HRESULT GiveReference(IUnknown* self, WeakReference& reference) {
    if (!m_slot) {
      try {
        m_slot = std::make_shared<IUnknown*>(self);
      } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
      }
    }
    reference.m_slot = m_slot;
    return S_OK;
  }
  // Every reference given so far reads null from now on; later ones refer to the object again.
  void Revoke() {
    if (!m_slot) return;
    *m_slot = nullptr;
    m_slot.reset();
  }

 private:
  std::shared_ptr<IUnknown*> m_slot;
};

}  // namespace velmor
