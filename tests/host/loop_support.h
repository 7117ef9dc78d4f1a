// Shared pieces of the message-loop tests: a message-only window that records what reaches it,
// ui.dll as the engine's module (its file carries the type library) and queue clean-up.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/handles.h"

namespace velmor::test {

// A message-only window; every message at or above WM_USER, key and mouse messages are
// appended to the log as "window:<message>:<wParam>". 'onMessage' runs for each of them.
class RecordingWindow {
 public:
  explicit RecordingWindow(std::vector<std::string>& log);
  ~RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND Get() const { return m_hwnd; }
  std::function<void(UINT message, WPARAM wParam)> onMessage;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  std::vector<std::string>& m_log;
  HWND m_hwnd = nullptr;
};

// Makes ui.dll the engine's module for the lifetime of the object, so the engine's type
// library is found, and drops the type information cached before and after.
class ScopedEngineModule {
 public:
  ScopedEngineModule();
  ~ScopedEngineModule();
  ScopedEngineModule(const ScopedEngineModule&) = delete;
  ScopedEngineModule& operator=(const ScopedEngineModule&) = delete;
  bool Loaded() const { return static_cast<bool>(m_ui); }

 private:
  UniqueModule m_ui;
  HINSTANCE m_previous = nullptr;
};

// Removes every message left in this thread's queue (a WM_QUIT included).
void DrainQueue();

std::string MessageEntry(const char* who, UINT message, WPARAM wParam);

}  // namespace velmor::test
