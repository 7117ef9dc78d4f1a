// A network-tools library for the entry tests: its start-up export records the argument it was
// called with in the process environment.
#include <windows.h>

#include <cwchar>

extern "C" __declspec(dllexport) int WINAPI VmNetStartup(int argument) {
  wchar_t text[16];
  swprintf(text, 16, L"%d", argument);
  ::SetEnvironmentVariableW(L"VELMOR_TEST_VMNET", text);
  return 0;
}
