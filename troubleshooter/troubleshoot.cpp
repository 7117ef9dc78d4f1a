// The troubleshooter window: one per process, owned by the main window, listing the engine's
// version, the program and skin folders and the preferences in force, as selectable text a user
// can copy into a report.
#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace {

constexpr wchar_t kClassName[] = L"VelmorTroubleShooter";
constexpr wchar_t kTitle[] = L"Velmor troubleshooter";
constexpr int kTextId = 100;

HMODULE s_module = nullptr;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  ::PathRemoveFileSpecW(path);
  return path;
}

// The version resource of the engine: the loaded ui.dll, or the one beside the program.
std::wstring EngineVersion() {
  wchar_t path[MAX_PATH] = L"";
  HMODULE engine = ::GetModuleHandleW(L"ui.dll");
  if (engine != nullptr) {
    ::GetModuleFileNameW(engine, path, MAX_PATH);
  } else {
    const std::wstring folder = ProgramFolder();
    if (folder.size() >= MAX_PATH) return L"unknown";
    ::lstrcpynW(path, folder.c_str(), MAX_PATH);
    ::PathAppendW(path, L"ui.dll");
  }
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return L"unknown (no version information)";
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!::GetFileVersionInfoW(path, 0, size, data.data()) ||
      !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
      info == nullptr)
    return L"unknown";
  return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." +
         std::to_wstring(LOWORD(info->dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
         std::to_wstring(LOWORD(info->dwFileVersionLS));
}

// The skin folder the next start uses: "skins\<Skin>" beside the program, "default" unless the
// user chose another.
std::wstring SkinFolder() {
  wchar_t name[MAX_PATH] = L"default";
  DWORD bytes = sizeof(name);
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Velmor\\Skin", L"Skin",
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, name,
                     &bytes) != ERROR_SUCCESS)
    ::lstrcpyW(name, L"default");
  return ProgramFolder() + L"\\skins\\" + name;
}

std::wstring ValueText(DWORD type, const BYTE* data, DWORD bytes) {
  switch (type) {
    case REG_DWORD: return std::to_wstring(*reinterpret_cast<const DWORD*>(data));
    case REG_SZ:
    case REG_EXPAND_SZ:
      return L"\"" + std::wstring(reinterpret_cast<const wchar_t*>(data),
                                  ::wcsnlen(reinterpret_cast<const wchar_t*>(data),
                                            bytes / sizeof(wchar_t))) + L"\"";
    default: return L"(" + std::to_wstring(bytes) + L" bytes)";
  }
}

// Every value under a key of the current user and its subkeys, one "  name = value" line each.
void ListValues(const std::wstring& keyPath, const std::wstring& prefix, std::wstring& out,
                int depth = 0) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    BYTE data[512];
    DWORD nameLength = 256, bytes = sizeof(data), type = 0;
    const LSTATUS st = ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &bytes);
    if (st == ERROR_NO_MORE_ITEMS) break;
    if (st != ERROR_SUCCESS) continue;
    out += L"  " + prefix + name + L" = " + ValueText(type, data, bytes) + L"\r\n";
  }
  for (DWORD i = 0; depth < 4; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    ListValues(keyPath + L"\\" + name, prefix + name + L"\\", out, depth + 1);
  }
  ::RegCloseKey(key);
}

std::wstring Report() {
  std::wstring text = L"Engine version: " + EngineVersion() + L"\r\n";
  text += L"Program folder: " + ProgramFolder() + L"\r\n";
  text += L"Skin folder: " + SkinFolder() + L"\r\n";
  text += L"Preferences in force:\r\n";
  const size_t before = text.size();
  ListValues(L"Software\\Velmor\\Config", L"", text);
  ListValues(L"Software\\Velmor\\Prefs", L"", text);
  if (text.size() == before) text += L"  (none set: every preference has its default)\r\n";
  return text;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND text = ::CreateWindowExW(
          WS_EX_CLIENTEDGE, L"EDIT", Report().c_str(),
          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
          0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), s_module, nullptr);
      if (text == nullptr) return -1;
      ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
      return 0;
    }
    case WM_SIZE:
      ::MoveWindow(::GetDlgItem(window, kTextId), 8, 8, LOWORD(lParam) - 16, HIWORD(lParam) - 16,
                   TRUE);
      return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

bool RegisterWindowClass() {
  WNDCLASSEXW wc{sizeof(wc)};
  if (::GetClassInfoExW(s_module, kClassName, &wc)) return true;
  wc = WNDCLASSEXW{sizeof(wc)};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = s_module;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  return ::RegisterClassExW(&wc) != 0;
}

}  // namespace

// Shows the troubleshooter over 'owner' (the main window), or brings the open one forward.
// Answers 1 when a window shows, 0 when it could not be made.
extern "C" int WINAPI ShowTroubleShooter(HWND owner, int /*reserved*/) {
  HWND window = ::FindWindowW(kClassName, nullptr);
  if (window == nullptr) {
    if (!RegisterWindowClass()) return 0;
    window = ::CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 520, 340, owner, nullptr, s_module, nullptr);
    if (window == nullptr) return 0;
  }
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::SetForegroundWindow(window);
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    s_module = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
