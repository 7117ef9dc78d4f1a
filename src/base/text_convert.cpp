#include "base/text_convert.h"

#include <array>
#include <vector>

namespace velmor {
namespace {

constexpr size_t kInlineBytes = 128;

// Converts with 'convert(buffer, capacity)' → units written (0 on failure), growing once.
template <class Unit, class Convert>
bool ConvertWithRetry(size_t firstGuess, Convert convert, std::basic_string<Unit>& out) {
  std::array<Unit, kInlineBytes / sizeof(Unit)> inlineBuffer;
  std::vector<Unit> heap;
  Unit* buffer = inlineBuffer.data();
  if (firstGuess > inlineBuffer.size()) {
    heap.resize(firstGuess);
    buffer = heap.data();
  }
  int written = convert(buffer, static_cast<int>(firstGuess));
  if (written == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int needed = convert(nullptr, 0);
    if (needed <= 0) return false;
    heap.assign(static_cast<size_t>(needed), Unit());
    buffer = heap.data();
    written = convert(buffer, needed);
  }
  if (written <= 0) return false;
  out.assign(buffer, static_cast<size_t>(written));
  return true;
}

size_t UnitsOf(const wchar_t* text, int length) {
  return length < 0 ? wcslen(text) + 1 : static_cast<size_t>(length);
}

}  // namespace

bool WideToMultiByte(UINT codePage, const wchar_t* text, int length, std::string& out) {
  out.clear();
  if (text == nullptr) return false;
  const size_t units = UnitsOf(text, length);
  if (units == 0) return true;
  return ConvertWithRetry<char>(units * 4, [&](char* buf, int cap) {
    return ::WideCharToMultiByte(codePage, 0, text, length, buf, cap, nullptr, nullptr);
  }, out);
}

bool MultiByteToWide(UINT codePage, const char* text, int length, std::wstring& out) {
  out.clear();
  if (text == nullptr) return false;
  const size_t units = length < 0 ? strlen(text) + 1 : static_cast<size_t>(length);
  if (units == 0) return true;
  return ConvertWithRetry<wchar_t>(units, [&](wchar_t* buf, int cap) {
    return ::MultiByteToWideChar(codePage, 0, text, length, buf, cap);
  }, out);
}

}  // namespace velmor
