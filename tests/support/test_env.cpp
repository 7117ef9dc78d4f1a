#include "support/test_env.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace velmor::test {

std::wstring TestBinDir() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  ::PathRemoveFileSpecW(path);
  return path;
}

std::wstring DistDir() {
  wchar_t path[MAX_PATH];
  wcscpy(path, TestBinDir().c_str());
  ::PathRemoveFileSpecW(path);
  ::PathAppendW(path, L"dist");
  return path;
}

std::wstring MakeTempDir(const wchar_t* tag) {
  wchar_t base[MAX_PATH];
  ::GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + L"velmor-" + tag + L"-" +
                     std::to_wstring(::GetCurrentProcessId()) + L"-" +
                     std::to_wstring(::GetTickCount());
  ::CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return done();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

void SendMouseButton(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(input));
}

void SendKeys(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) add(m, false);
  add(key, false);
  add(key, true);
  for (WORD m : modifiers) add(m, true);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

namespace {

// A real mouse event, then a pause for the platform to take it.
void Step(DWORD flags) {
  SendMouseButton(flags);
  ::Sleep(40);
}

}  // namespace

void MouseAt(POINT at, bool click) {
  // The platform takes the pointer's new place asynchronously: the pauses keep the button from
  // arriving before it.
  ::SetCursorPos(at.x, at.y);
  ::Sleep(100);
  Step(MOUSEEVENTF_MOVE);  // a real move message at the new place
  if (!click) return;
  Step(MOUSEEVENTF_LEFTDOWN);
  Step(MOUSEEVENTF_LEFTUP);
}

void MouseWithRealInput(POINT from, POINT to, bool doubleClick) {
  ::SetCursorPos(from.x, from.y);
  ::Sleep(150);
  if (doubleClick) {
    Step(MOUSEEVENTF_LEFTDOWN);
    Step(MOUSEEVENTF_LEFTUP);
  }
  Step(MOUSEEVENTF_LEFTDOWN);
  ::Sleep(150);
  for (int i = 1; i <= 6; ++i) {
    ::SetCursorPos(from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6);
    ::Sleep(60);
  }
  ::Sleep(100);
  Step(MOUSEEVENTF_LEFTUP);
  ::Sleep(150);
}

ScopedRegistryValue::ScopedRegistryValue(const wchar_t* subkey, const wchar_t* name)
    : m_subkey(subkey), m_name(name) {
  DWORD bytes = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type, nullptr,
                     &bytes) == ERROR_SUCCESS) {
    m_data.resize(bytes);
    m_existed = ::RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY | RRF_NOEXPAND, &m_type,
                               m_data.data(), &bytes) == ERROR_SUCCESS;
    m_data.resize(bytes);
  }
}

ScopedRegistryValue::~ScopedRegistryValue() {
  if (m_existed)
    SetRaw(m_type, m_data.data(), static_cast<DWORD>(m_data.size()));
  else
    Delete();
}

void ScopedRegistryValue::SetDword(DWORD value) { SetRaw(REG_DWORD, &value, sizeof(value)); }

void ScopedRegistryValue::SetRaw(DWORD type, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExW(key, m_name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
  ::RegCloseKey(key);
}

void ScopedRegistryValue::Delete() {
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_subkey.c_str(), m_name.c_str());
}

HANDLE StartProcess(const std::wstring& commandLine, const std::wstring& directory) {
  STARTUPINFOW si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back(L'\0');
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &si, &pi))
    return nullptr;
  ::CloseHandle(pi.hThread);
  return pi.hProcess;
}

std::optional<DWORD> WaitProcess(HANDLE process, DWORD timeoutMs) {
  if (::WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return code;
}

std::string ReadFileText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

std::string Utf16Bytes(std::wstring_view text, bool mark) {
  std::string bytes = mark ? std::string("\xFF\xFE", 2) : std::string();
  for (wchar_t c : text) bytes.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  return bytes;
}

std::wstring Escaped(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'\'' || c == L'"') out += L'\\';
    out += c;
  }
  return out;
}

std::wstring FixturePath(const wchar_t* relative) {
  // The fixtures folder is a Unix path; Wine maps the Unix root to drive Z:.
  std::wstring path = L"Z:";
  for (const char* c = VELMOR_FIXTURES; *c != 0; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  return path + L"\\" + relative;
}

HWND FindListener() {
  return ::FindWindowExW(HWND_MESSAGE, nullptr, L"VelmorMessageWindow", nullptr);
}

}  // namespace velmor::test
