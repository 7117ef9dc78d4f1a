// The list widget (VMRT_VENDOR_PREFIX "/widgets/list;1"): a component with a window of its own
// that a skin hosts in a "widget" element. Its window is a plain container holding a native list
// box that fills it; choosing a line, with the mouse or through selectedIndex, raises the
// "select" event (the line's index and text) at every connected sink of ListWidgetEvents.
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

#include "base/bstr.h"
#include "base/module_instance.h"
#include "services.h"
#include "typeinfo_dispatch.h"

namespace vmrt {
namespace {

constexpr wchar_t kWindowClass[] = L"VelmorListWidget";
constexpr int kListId = 100;
constexpr DISPID kSelectEvent = 1;

class CListWidget final
    : public velmor::ComObject<CListWidget, TypeInfoDispatch<IListWidget>,
                               velmor::Also<IDispatch, IListWidget>, IWidgetWindow,
                               IProvideClassInfo2, velmor::Also<IProvideClassInfo, IProvideClassInfo2>,
                               IConnectionPointContainer, IConnectionPoint> {
 public:
  void FinalRelease() { Destroy(); }

  // IListWidget
  STDMETHODIMP addItem(BSTR text, LONG* index) override {
    if (index == nullptr) return E_POINTER;
    try {
      m_items.emplace_back(text != nullptr ? text : L"", ::SysStringLen(text));
    }
    VELMOR_CATCH_RETURN()
    *index = static_cast<LONG>(m_items.size() - 1);
    if (m_list != nullptr)
      ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_items.back().c_str()));
    return S_OK;
  }
  STDMETHODIMP clear() override {
    m_items.clear();
    m_selected = -1;
    if (m_list != nullptr) ::SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    return S_OK;
  }
  STDMETHODIMP get_count(LONG* count) override {
    return GiveValue(static_cast<LONG>(m_items.size()), count);
  }
  STDMETHODIMP item(LONG index, BSTR* text) override {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return E_INVALIDARG;
    *text = ::SysAllocStringLen(m_items[index].data(), static_cast<UINT>(m_items[index].size()));
    return *text != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP get_selectedIndex(LONG* index) override { return GiveValue(m_selected, index); }
  STDMETHODIMP put_selectedIndex(LONG index) override {
    if (index < -1 || index >= static_cast<LONG>(m_items.size())) return E_INVALIDARG;
    if (m_list != nullptr) ::SendMessageW(m_list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Select(index);
    return S_OK;
  }

  // IWidgetWindow
  STDMETHODIMP_(HWND) Create(HWND parent, LONG_PTR) override {
    if (m_window != nullptr) return m_window;
    if (!RegisterWindowClass()) return nullptr;
    // Without a parent the window starts as a popup of its own (a shared service may be shown
    // before any skin hosts it).
    const DWORD style = (parent != nullptr ? WS_CHILD : WS_POPUP | WS_BORDER) | WS_CLIPCHILDREN;
    ::CreateWindowExW(0, kWindowClass, L"", style, 0, 0, 160, 120, parent, nullptr,
                      velmor::GetModuleInstance(), this);
    return m_window;
  }
  STDMETHODIMP Destroy() override {
    if (m_window != nullptr) ::DestroyWindow(m_window);  // WM_NCDESTROY forgets the handles
    return S_OK;
  }
  STDMETHODIMP_(HWND) GetWindow() override { return m_window; }

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    return GetRuntimeTypeInfo(CLSID_ListWidget, info);
  }
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
      *guid = GUID_NULL;
      return E_INVALIDARG;
    }
    *guid = DIID_ListWidgetEvents;
    return S_OK;
  }

  // IConnectionPointContainer: the one connection point is the object itself.
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, DIID_ListWidgetEvents)) return CONNECT_E_NOCONNECTION;
    *point = this;
    AddRef();
    return S_OK;
  }

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    if (iid == nullptr) return E_POINTER;
    *iid = DIID_ListWidgetEvents;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
    if (container == nullptr) return E_POINTER;
    *container = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    velmor::ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(DIID_ListWidgetEvents,
                                    reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch))))
      return CONNECT_E_CANNOTCONNECT;
    try {
      m_sinks.emplace_back(++m_lastCookie, std::move(dispatch));
    }
    VELMOR_CATCH_RETURN()
    *cookie = m_lastCookie;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
      if (it->first != cookie) continue;
      velmor::ComPtr<IDispatch> gone = std::move(it->second);  // released after the erase
      m_sinks.erase(it);
      return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
  }
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override {
    if (connections != nullptr) *connections = nullptr;
    return E_NOTIMPL;
  }

 private:
  static bool RegisterWindowClass() {
    static const bool s_registered = [] {
      WNDCLASSEXW wc{sizeof(wc)};
      wc.lpfnWndProc = &CListWidget::WindowProc;
      wc.hInstance = velmor::GetModuleInstance();
      wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = kWindowClass;
      return ::RegisterClassExW(&wc) != 0 ||
             ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return s_registered;
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<CListWidget*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->m_window = window;
    }
    auto* self = reinterpret_cast<CListWidget*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
      LRESULT result = 0;
      if (self->OnMessage(message, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
      case WM_CREATE:
        CreateList();
        return false;
      case WM_SIZE:
        if (m_list != nullptr)
          ::MoveWindow(m_list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return false;
      case WM_COMMAND:
        if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
          Select(static_cast<LONG>(::SendMessageW(m_list, LB_GETCURSEL, 0, 0)));
          return true;
        }
        return false;
      case WM_NCDESTROY:
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        m_window = nullptr;
        m_list = nullptr;
        return false;
      default:
        return false;
    }
  }

  void CreateList() {
    RECT client{};
    ::GetClientRect(m_window, &client);
    m_list = ::CreateWindowExW(0, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY |
                                   LBS_NOINTEGRALHEIGHT,
                               0, 0, client.right, client.bottom, m_window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                               velmor::GetModuleInstance(), nullptr);
    if (m_list == nullptr) return;
    ::SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    for (const std::wstring& line : m_items)
      ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (m_selected >= 0) ::SendMessageW(m_list, LB_SETCURSEL, static_cast<WPARAM>(m_selected), 0);
  }

  // Remembers the selection and tells the sinks: select(index, text).
  void Select(LONG index) {
    m_selected = index;
    velmor::UniqueBstr text(index >= 0 && static_cast<size_t>(index) < m_items.size()
                                ? std::wstring_view(m_items[index])
                                : std::wstring_view());
    VARIANT args[2];  // reversed, as DISPPARAMS carries them
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = text.Get();
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = index;
    DISPPARAMS params{args, nullptr, 2, 0};
    // A sink may disconnect (or release this object) from inside its call.
    velmor::ComPtr<IListWidget> keep(this);
    std::vector<velmor::ComPtr<IDispatch>> sinks;
    for (const auto& entry : m_sinks) sinks.push_back(entry.second);
    for (const auto& sink : sinks)
      (void)sink->Invoke(kSelectEvent, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                         nullptr, nullptr, nullptr);
  }

  std::vector<std::wstring> m_items;
  LONG m_selected = -1;
  HWND m_window = nullptr;
  HWND m_list = nullptr;
  std::vector<std::pair<DWORD, velmor::ComPtr<IDispatch>>> m_sinks;
  DWORD m_lastCookie = 0;
};

}  // namespace

HRESULT CreateListWidget(REFIID iid, void** object) {
  // CreateObject: the class's own Create is IWidgetWindow's.
  CListWidget* widget = nullptr;
  RETURN_IF_FAILED(CListWidget::CreateObject(&widget));
  const HRESULT hr = widget->QueryInterface(iid, object);
  widget->Release();
  return hr;
}

}  // namespace vmrt
