// Helpers shared by the test executables: paths of the build's dist/ folder, message pumping,
// registry values restored at the end of a test, running child processes.
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace velmor::test {

// dist/ of this build (beside the tests/ folder that holds the test executables).
std::wstring DistDir();
std::wstring TestBinDir();
// A fresh empty folder under %TEMP% for one test.
std::wstring MakeTempDir(const wchar_t* tag);

// Pumps messages until 'done' answers true or 'timeoutMs' passes; answers 'done()'.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// Real mouse input through the platform's queue: the pointer goes to 'from' (screen pixels), the
// left button goes down (twice in a row with 'doubleClick', then nothing moves), the pointer moves
// to 'to' in steps and the button goes up. Synchronous, with pauses between the steps: a window
// of this thread must have its messages handled meanwhile by another thread.
void MouseWithRealInput(POINT from, POINT to, bool doubleClick = false);
// Real mouse input from this thread: the pointer moves to a screen point and, with 'click', the
// left button goes down and up there.
void MouseAt(POINT at, bool click);
// One real mouse button event (MOUSEEVENTF_LEFTDOWN, ...) at the pointer.
void SendMouseButton(DWORD flags);
// Real key strokes: the modifiers go down, the key goes down and up, the modifiers go up.
void SendKeys(std::initializer_list<WORD> modifiers, WORD key);

// Sets or deletes an HKCU value for the lifetime of the object, restoring the previous state.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(const wchar_t* subkey, const wchar_t* name);
  ~ScopedRegistryValue();
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

  void SetDword(DWORD value);
  void SetRaw(DWORD type, const void* data, DWORD bytes);
  void Delete();

 private:
  std::wstring m_subkey, m_name;
  bool m_existed = false;
  DWORD m_type = 0;
  std::string m_data;
};

// Starts a process; answers its handle (null on failure).
HANDLE StartProcess(const std::wstring& commandLine, const std::wstring& directory = L"");
// Waits for a process to end; answers its exit code or nullopt on time-out.
std::optional<DWORD> WaitProcess(HANDLE process, DWORD timeoutMs);

std::string ReadFileText(const std::wstring& path);
// The bytes of a script file as the engine reads them: UTF-16LE, with the FF FE mark unless
// 'mark' is false.
std::string Utf16Bytes(std::wstring_view text, bool mark = true);
// Text as it is written inside a quoted script string literal (backslashes and quotes escaped).
std::wstring Escaped(std::wstring_view text);
// Windows path of a file under tests/fixtures ("images\\grad10.png").
std::wstring FixturePath(const wchar_t* relative);
// The message-only window a running instance listens on for command lines (null when none).
HWND FindListener();
// Writes the bytes as the whole file (created or truncated); false when any of it failed.
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace velmor::test

#define EXPECT_FAILED(expr) EXPECT_TRUE(FAILED(expr)) << #expr
#define EXPECT_SUCCEEDED(expr) EXPECT_TRUE(SUCCEEDED(expr)) << #expr
