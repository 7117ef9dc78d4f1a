// Texts handed to the platform are bounded. Window titles, tooltips, message boxes and native
// controls draw their text in one piece, and under Wine a window title goes to the X server in
// one request: a title of millions of characters ends the process with an X error. Nothing
// longer than a screen can show is useful there, so longer texts are cut before they are passed
// on; the engine keeps the full text where scripts read it back.
#pragma once
#include <cstddef>
#include <string>

namespace velmor {

// The most UTF-16 units of one text the engine hands to the platform.
constexpr size_t kMaxPlatformText = 32767;

// 'text' (of 'length' units) cut to at most 'limit' units, never inside a surrogate pair.
inline std::wstring BoundedText(const wchar_t* text, size_t length,
                                size_t limit = kMaxPlatformText) {
  if (text == nullptr) return std::wstring();
  if (length <= limit) return std::wstring(text, length);
  size_t cut = limit;
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return std::wstring(text, cut);
}

inline std::wstring BoundedText(const std::wstring& text, size_t limit = kMaxPlatformText) {
  return BoundedText(text.c_str(), text.size(), limit);
}

}  // namespace velmor
