#include "controls/disp_event.h"

#include "base/bstr.h"

namespace velmor {
namespace {

// The coclass type information of a component.
HRESULT ClassInfoOf(IUnknown* component, ComPtr<ITypeInfo>& info) {
  ComPtr<IProvideClassInfo> provider;
  if (SUCCEEDED(component->QueryInterface(IID_PPV_ARGS(&provider))) &&
      SUCCEEDED(provider->GetClassInfo(&info)) && info)
    return S_OK;
  // Else the class identifier, looked up in the library that describes its dispatch interface.
  ComPtr<IPersist> persist;
  ComPtr<IDispatch> dispatch;
  ComPtr<ITypeInfo> dispatchInfo;
  ComPtr<ITypeLib> library;
  CLSID id{};
  UINT index = 0;
  RETURN_IF_FAILED(component->QueryInterface(IID_PPV_ARGS(&persist)));
  RETURN_IF_FAILED(persist->GetClassID(&id));
  RETURN_IF_FAILED(component->QueryInterface(IID_PPV_ARGS(&dispatch)));
  RETURN_IF_FAILED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &dispatchInfo));
  RETURN_HR_IF_NULL(E_NOINTERFACE, dispatchInfo);
  RETURN_IF_FAILED(dispatchInfo->GetContainingTypeLib(&library, &index));
  return library->GetTypeInfoOfGuid(id, &info);
}

// The implemented interface the class flags as its default source.
HRESULT DefaultSourceOf(ITypeInfo* classInfo, ComPtr<ITypeInfo>& source) {
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(classInfo->GetTypeAttr(&attr));
  const UINT count = attr->cImplTypes;
  classInfo->ReleaseTypeAttr(attr);
  constexpr int kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
  for (UINT i = 0; i < count; ++i) {
    int flags = 0;
    HREFTYPE ref = 0;
    if (FAILED(classInfo->GetImplTypeFlags(i, &flags)) || (flags & kDefaultSource) != kDefaultSource)
      continue;
    RETURN_IF_FAILED(classInfo->GetRefTypeOfImplType(i, &ref));
    return classInfo->GetRefTypeInfo(ref, &source);
  }
  return CONNECT_E_NOCONNECTION;
}

}  // namespace

HRESULT CDispEvent::Connect(IUnknown* component, scIEventListenerManager* target,
                            ComPtr<CDispEvent>& sink) {
  sink.Reset();
  RETURN_HR_IF_NULL(E_POINTER, component);
  ComPtr<ITypeInfo> classInfo, source;
  RETURN_IF_FAILED(ClassInfoOf(component, classInfo));
  RETURN_IF_FAILED(DefaultSourceOf(classInfo.Get(), source));
  ComPtr<IConnectionPointContainer> container;
  RETURN_IF_FAILED(component->QueryInterface(IID_PPV_ARGS(&container)));

  CDispEvent* created = nullptr;
  RETURN_IF_FAILED(CreateObject(&created));
  ComPtr<CDispEvent> made = AdoptRef(created);
  RETURN_IF_FAILED(made->ReadNames(source.Get()));
  RETURN_IF_FAILED(container->FindConnectionPoint(made->m_iid, &made->m_point));
  RETURN_HR_IF_NULL(E_FAIL, made->m_point);
  const HRESULT hr = made->m_point->Advise(made->GetUnknown(), &made->m_cookie);
  if (FAILED(hr)) {
    made->m_point.Reset();
    return hr;
  }
  made->m_target = target;
  sink = std::move(made);
  return S_OK;
}

HRESULT CDispEvent::ReadNames(ITypeInfo* source) {
  TYPEATTR* attr = nullptr;
  RETURN_IF_FAILED(source->GetTypeAttr(&attr));
  m_iid = attr->guid;
  const UINT count = attr->cFuncs;
  source->ReleaseTypeAttr(attr);
  try {
    for (UINT i = 0; i < count; ++i) {
      FUNCDESC* function = nullptr;
      if (FAILED(source->GetFuncDesc(i, &function))) continue;
      const MEMBERID id = function->memid;
      source->ReleaseFuncDesc(function);
      UniqueBstr name;
      if (SUCCEEDED(source->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr)) &&
          name.Get() != nullptr)
        m_names[id] = std::wstring(name.Get(), ::SysStringLen(name.Get()));
    }
  }
  VELMOR_CATCH_RETURN()
  return S_OK;
}

void CDispEvent::Disconnect() {
  m_target.Reset();
  if (!m_point) return;
  ComPtr<IConnectionPoint> point = std::move(m_point);
  (void)point->Unadvise(m_cookie);
  m_cookie = 0;
}

HRESULT CDispEvent::QueryInterfaceExtra(REFIID riid, void** ppv) noexcept {
  if (!IsEqualIID(riid, m_iid) || IsEqualIID(riid, IID_NULL)) return E_NOINTERFACE;
  *ppv = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP CDispEvent::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP CDispEvent::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CDispEvent::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

STDMETHODIMP CDispEvent::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO*, UINT*) {
  auto name = m_names.find(id);
  if (name == m_names.end() || !m_target) return S_OK;
  // The handler may detach the widget, and this sink with it.
  ComPtr<IDispatch> keep(this);
  ComPtr<scIEventListenerManager> target = m_target;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  (void)target->FireScriptEvent(name->second.c_str(), params != nullptr ? params : &none, result);
  return S_OK;
}

}  // namespace velmor
