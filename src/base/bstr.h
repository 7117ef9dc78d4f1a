// Owning holders for BSTR and VARIANT values.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace velmor {

class UniqueBstr {
 public:
  UniqueBstr() = default;
  // Copies the text; check Get() for null to detect an allocation failure.
  explicit UniqueBstr(std::wstring_view text)
      : m_bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  explicit UniqueBstr(const wchar_t* text) : UniqueBstr(std::wstring_view(text ? text : L"")) {}
  // Takes ownership of an allocated BSTR.
  static UniqueBstr Attach(BSTR owned) {
    UniqueBstr b;
    b.m_bstr = owned;
    return b;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  UniqueBstr(UniqueBstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_bstr, nullptr));
    return *this;
  }
  ~UniqueBstr() { Reset(); }

  BSTR Get() const { return m_bstr; }
  BSTR* Put() {
    Reset();
    return &m_bstr;
  }
  BSTR Release() { return std::exchange(m_bstr, nullptr); }
  void Reset(BSTR value = nullptr) {
    if (m_bstr != nullptr) ::SysFreeString(m_bstr);
    m_bstr = value;
  }
  UINT Length() const { return ::SysStringLen(m_bstr); }
  std::wstring_view View() const { return {m_bstr ? m_bstr : L"", Length()}; }

 private:
  BSTR m_bstr = nullptr;
};

class UniqueVariant : public VARIANT {
 public:
  UniqueVariant() { ::VariantInit(this); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { ::VariantClear(this); }

  VARIANT* Put() {
    ::VariantClear(this);
    return this;
  }
  void Clear() { ::VariantClear(this); }
  [[nodiscard]] HRESULT CopyFrom(const VARIANT& source) {
    return ::VariantCopy(this, const_cast<VARIANT*>(&source));
  }
  // Hands the value over to 'target', which must be empty or initialised; this becomes empty.
  void Detach(VARIANT* target) {
    *target = *static_cast<VARIANT*>(this);
    ::VariantInit(this);
  }
};

}  // namespace velmor
