// Constructors of the services this runtime serves by contract.
#pragma once
#include <windows.h>

#include "base/com_object.h"
#include "vmrt.h"

namespace vmrt {

[[nodiscard]] HRESULT CreateCommandLineService(REFIID iid, void** object);
[[nodiscard]] HRESULT CreatePreferencesService(REFIID iid, void** object);
[[nodiscard]] HRESULT CreateFrameService(REFIID iid, void** object);
[[nodiscard]] HRESULT CreateTimer(REFIID iid, void** object);
[[nodiscard]] HRESULT CreateDispatchConnector(REFIID iid, void** object);
// A list of text lines in a window of its own, for skins to host (list_widget.cpp).
[[nodiscard]] HRESULT CreateListWidget(REFIID iid, void** object);

// Cancels every armed timer of the calling thread (the runtime is shutting down).
void CancelAllTimers();

// Registry key under HKEY_CURRENT_USER that backs the preferences service.
constexpr const wchar_t* kPreferencesKey = L"Software\\Velmor\\Prefs";

}  // namespace vmrt
