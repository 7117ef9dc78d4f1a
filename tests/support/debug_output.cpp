#include "support/debug_output.h"

#include <windows.h>

#include <mutex>

namespace velmor::test {
namespace {

constexpr DWORD kPrintNarrow = 0x40010006;  // DBG_PRINTEXCEPTION_C
constexpr DWORD kPrintWide = 0x4001000A;    // DBG_PRINTEXCEPTION_WIDE_C

std::mutex g_lock;
std::vector<std::string>* g_lines = nullptr;

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* r = info->ExceptionRecord;
  if ((r->ExceptionCode != kPrintNarrow && r->ExceptionCode != kPrintWide) ||
      r->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  std::string text;
  if (r->ExceptionCode == kPrintWide) {
    const auto* w = reinterpret_cast<const wchar_t*>(r->ExceptionInformation[1]);
    for (; w && *w; ++w) text.push_back(*w < 128 ? static_cast<char>(*w) : '?');
  } else {
    const auto* a = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
    if (a) text = a;
  }
  std::lock_guard<std::mutex> lock(g_lock);
  if (g_lines) g_lines->push_back(text);
  // Let the narrow exception that Windows raises after the wide one reach the same handler.
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
  std::lock_guard<std::mutex> lock(g_lock);
  g_lines = new std::vector<std::string>();
  m_handler = ::AddVectoredExceptionHandler(1, &OnException);
}

DebugOutputCapture::~DebugOutputCapture() {
  ::RemoveVectoredExceptionHandler(m_handler);
  std::lock_guard<std::mutex> lock(g_lock);
  delete g_lines;
  g_lines = nullptr;
}

std::vector<std::string> DebugOutputCapture::Lines() const {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_lines ? *g_lines : std::vector<std::string>{};
}

}  // namespace velmor::test
