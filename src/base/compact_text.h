// scCompactText: a text kept where thousands of objects each hold one, mostly empty: one
// pointer wide, no heap block while empty, one block of exactly the characters otherwise
// (a std::wstring is four pointers wide before its characters outgrow it).
#pragma once
#include <cstring>
#include <cwchar>
#include <memory>
#include <string_view>

namespace velmor {

class scCompactText {
 public:
  scCompactText() = default;
  scCompactText(const scCompactText&) = delete;
  scCompactText& operator=(const scCompactText&) = delete;

  // Replaces the text (throws std::bad_alloc; the old text then stays).
  void Assign(std::wstring_view text) {
    std::unique_ptr<wchar_t[]> copy;
    if (!text.empty()) {
      copy.reset(new wchar_t[text.size() + 1]);
      std::memcpy(copy.get(), text.data(), text.size() * sizeof(wchar_t));
      copy[text.size()] = L'\0';
    }
    m_text = std::move(copy);
  }
  void Clear() { m_text.reset(); }

  bool Empty() const { return m_text == nullptr; }
  const wchar_t* CStr() const { return m_text ? m_text.get() : L""; }
  std::wstring_view View() const { return m_text ? std::wstring_view(m_text.get()) : std::wstring_view(); }

 private:
  std::unique_ptr<wchar_t[]> m_text;
};

}  // namespace velmor
