#include "events_fixture.h"

namespace velmor::events_test {
namespace {


}  // namespace

const char kRecorderScript[] =
    "var trace = [];"
    "function log(s) { trace.push(s); }"
    "var ids = ['W', 'A', 'B', 'P', 'C', 'D', 'E', 'G', 'X', 'Y', 'S', 'K'];"
    "function nameOf(el) {"
    "  for (var i = 0; i &lt; ids.length; i++)"
    "    if (document.getElementById(ids[i]) == el) return ids[i];"
    "  return '?';"
    "}"
    "function rec(e) {"
    "  var s = nameOf(e.target) + '.' + e.type;"
    "  if (e.relatedTarget) s += '&lt;' + nameOf(e.relatedTarget);"
    "  if (e.button) s += '/b' + e.button;"
    "  trace.push(s);"
    "}";

void EventsTest::SetUp() {
  m_baseline = LiveObjects<scDocument>::Count();
  m_tables = LiveObjects<scEventListenerManagerImp>::Count();
  m_events = LiveObjects<scDOMEventInst>::Count();
  m_mouseEvents = LiveObjects<scDOMMouseEventInst>::Count();
  m_dir = test::MakeTempDir(L"events");
}

void EventsTest::TearDown() {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  EXPECT_EQ(LiveObjects<scDocument>::Count(), m_baseline) << "documents leaked";
  EXPECT_EQ(LiveObjects<scEventListenerManagerImp>::Count(), m_tables) << "listener tables leaked";
  EXPECT_EQ(LiveObjects<scDOMEventInst>::Count(), m_events) << "event objects leaked";
  EXPECT_EQ(LiveObjects<scDOMMouseEventInst>::Count(), m_mouseEvents) << "mouse events leaked";
}

HRESULT EventsTest::LoadSkin(const std::string& xml) {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  const std::wstring path = m_dir + L"\\skin" + std::to_wstring(++m_files) + L".xml";
  if (!test::WriteFileBytes(path, xml)) return E_FAIL;
  if (FAILED(scDocument::CreateObject(&m_document))) return E_FAIL;
  RETURN_IF_FAILED(m_document->Load(m_dir.c_str(), path.c_str()));
  ::SetWindowPos(Window(), nullptr, 0, 0, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

ComPtr<scIScriptContext> EventsTest::Context() {
  return ComPtr<scIScriptContext>(m_document != nullptr ? m_document->ScriptContext() : nullptr);
}

std::wstring EventsTest::Eval(const wchar_t* expression) {
  ComPtr<scIScriptContext> context = Context();
  if (!context) return L"<no context>";
  UniqueVariant result;
  if (FAILED(context->EvaluateString(expression, nullptr, result.Put()))) return L"<failed>";
  if (FAILED(::VariantChangeType(&result, &result, 0, VT_BSTR))) return L"<type>";
  return std::wstring(result.bstrVal ? result.bstrVal : L"");
}

std::wstring EventsTest::TakeTrace() {
  std::wstring trace = Eval(L"trace.join(' ')");
  Eval(L"trace = []");
  return trace;
}

ULONG EventsTest::State(const wchar_t* id) {
  ULONG state = 0xFFFFFFFF;
  EXPECT_EQ(m_document->GetContentState(Element(id), &state), S_OK);
  return state;
}

void EventsTest::Pump(DWORD ms) {
  const DWORD end = ::GetTickCount() + ms;
  while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

ComPtr<scIEventListenerManager> EventsTest::Listeners(const wchar_t* id) {
  ComPtr<scIEventListenerManager> manager;
  scIContent* element = Element(id);
  if (element != nullptr) element->GetListenerManager(TRUE, &manager);
  return manager;
}

}  // namespace velmor::events_test
