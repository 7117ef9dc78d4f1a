// The engine's real start-up parts. A part whose subsystem is not in this build answers
// E_NOTIMPL, so the run ends with that failure instead of pretending to start.
#include "host/app_parts.h"
#include "host/message_manager.h"
#include "host/module.h"
#include "images/image_manager.h"
#include "screens/screen_manager.h"
#include "script/js_script.h"
#include "mainframe/main_frame.h"

namespace velmor {
namespace {

class CEngineParts final : public AppParts {
 public:
  [[nodiscard]] HRESULT CreateMessageManager(IAppMessageManager** manager) override {
    return velmor::CreateMessageManager(IID_PPV_ARGS(manager));
  }
  [[nodiscard]] HRESULT CreateScriptHost(IScriptControl** host) override {
    return CreateApplicationScriptHost(host);
  }
  [[nodiscard]] HRESULT CreateMainWindow(IAppMainWindow** window) override {
    return CMainFrame::CreateInstance(window);
  }
  void EmptyImageCache() override { velmor::EmptyImageCache(); }
  void ShowMessage(const wchar_t* text, UINT icon) override {
    ::MessageBoxW(nullptr, text, L"Velmor", icon);
  }
};

const ObjectMapEntry kObjectMap[] = {
    {&CLSID_MessageManager, &CreateMessageManager},
    {nullptr, nullptr},
};

const nsModuleComponentInfo kComponents[] = {kScreenManagerComponent};

}  // namespace

AppParts& EngineParts() {
  static CEngineParts s_parts;
  return s_parts;
}

const ObjectMapEntry* EngineObjectMap() { return kObjectMap; }

const nsModuleComponentInfo* EngineComponents(size_t* count) {
  *count = sizeof(kComponents) / sizeof(kComponents[0]);
  return kComponents;
}

}  // namespace velmor
