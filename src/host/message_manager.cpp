#include "host/message_manager.h"

#include "components/component_manager.h"
#include "typelib/type_library.h"

namespace velmor {

[[nodiscard]] HRESULT QueryOrConnect(IUnknown* object, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (object == nullptr) return E_POINTER;
  if (SUCCEEDED(object->QueryInterface(iid, out)) && *out != nullptr) return S_OK;
  *out = nullptr;
  // A script object: the individual failures below all mean "no such interface".
  ComPtr<ITypeInfo> info;
  ComPtr<IDispatchConnector> connector;
  if (SUCCEEDED(GetEngineTypeInfo(iid, &info)) &&
      SUCCEEDED(components::GetService(contracts::kDispatchConnector, connector)) &&
      SUCCEEDED(connector->ConnectDispatch(object, info.Get(), iid, out)) && *out != nullptr)
    return S_OK;
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CMessageManager::AddMsgFilter(IUnknown* spFilter) {
  if (spFilter == nullptr) return E_POINTER;
  ComPtr<IMsgFilter> filter;
  RETURN_IF_FAILED(QueryOrConnect(spFilter, IID_PPV_ARGS(&filter)));
  return m_loop.AddScriptFilter(filter.Get());
}

STDMETHODIMP CMessageManager::RemoveMsgFilter(IUnknown* spFilter) {
  if (spFilter == nullptr) return S_FALSE;
  return m_loop.RemoveScriptFilter(spFilter);
}

STDMETHODIMP CMessageManager::AddIdleHandler(IUnknown* spIdleHandler) {
  if (spIdleHandler == nullptr) return E_POINTER;
  ComPtr<IIdleHandler> handler;
  RETURN_IF_FAILED(QueryOrConnect(spIdleHandler, IID_PPV_ARGS(&handler)));
  return m_loop.AddScriptIdleHandler(handler.Get());
}

STDMETHODIMP CMessageManager::RemoveIdleHandler(IUnknown* spIdleHandler) {
  if (spIdleHandler == nullptr) return S_FALSE;
  return m_loop.RemoveScriptIdleHandler(spIdleHandler);
}

STDMETHODIMP CMessageManager::Quit(BOOL /*bAttempt*/) {
  m_loop.Quit();
  return S_OK;
}

[[nodiscard]] HRESULT CreateMessageManager(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<IAppMessageManager> manager;
  RETURN_IF_FAILED(CMessageManager::Create(manager));
  return manager->QueryInterface(iid, object);
}

}  // namespace velmor
