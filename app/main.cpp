// Velmor.exe: hands its WinMain arguments to the engine and nothing else.
#include <windows.h>

extern "C" __declspec(dllimport) void WINAPI RD_XXXX(HINSTANCE hInstance, HINSTANCE hPrevInstance,
                                                     LPSTR lpCmdLine, int nShowCmd);

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
  RD_XXXX(hInstance, hPrevInstance, lpCmdLine, nShowCmd);
  return 0;
}
