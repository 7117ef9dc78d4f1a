#include "host/command_line.h"

#include "base/bstr.h"
#include "components/component_manager.h"

namespace velmor {

void HandCommandLine(const wchar_t* commandLine, LONG remote) {
  ComPtr<ICommandLineService> service;
  if (FAILED(components::GetService(contracts::kCommandLine, service))) return;
  UniqueBstr text(commandLine ? commandLine : L"");
  if (text.Get() == nullptr) return;  // out of memory: the line is dropped
  if (SUCCEEDED(service->ParseCommandLine(text.Get(), remote))) service->ProcessCommandLine();
}

}  // namespace velmor
