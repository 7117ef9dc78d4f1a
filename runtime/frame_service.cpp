// The application frame service: records the resizer commands it is sent.
#include "services.h"
#include "typeinfo_dispatch.h"

namespace vmrt {
namespace {

class CFrameService final
    : public velmor::ComObject<CFrameService, TypeInfoDispatch<IFrameService>,
                               velmor::Also<IDispatch, IFrameService>> {
 public:
  STDMETHODIMP ResizerCommand(LONG command, LONG argument) override {
    ++m_count;
    m_command = command;
    m_argument = argument;
    return S_OK;
  }
  STDMETHODIMP get_commandCount(LONG* v) override { return GiveValue(m_count, v); }
  STDMETHODIMP get_lastCommand(LONG* v) override { return GiveValue(m_command, v); }
  STDMETHODIMP get_lastArgument(LONG* v) override { return GiveValue(m_argument, v); }

 private:
  LONG m_count = 0;
  LONG m_command = 0;
  LONG m_argument = 0;
};

}  // namespace

[[nodiscard]] HRESULT CreateFrameService(REFIID iid, void** object) {
  velmor::ComPtr<IFrameService> service;
  RETURN_IF_FAILED(CFrameService::Create(service));
  return service->QueryInterface(iid, object);
}

}  // namespace vmrt
