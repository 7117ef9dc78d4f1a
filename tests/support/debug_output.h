// Captures OutputDebugString text raised in this process (through a vectored exception handler,
// which sees the debug-print exception both on Windows and under Wine).
#pragma once
#include <string>
#include <vector>

namespace velmor::test {

class DebugOutputCapture {
 public:
  DebugOutputCapture();
  ~DebugOutputCapture();
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  // Every line captured so far, narrowed to ASCII ('?' for anything else).
  std::vector<std::string> Lines() const;

 private:
  void* m_handler = nullptr;
};

}  // namespace velmor::test
