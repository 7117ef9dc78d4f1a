#include "window_fixture.h"

#include <shlwapi.h>

#include <atomic>
#include <thread>

namespace velmor::window_test {


MessageCounter* MessageCounter::s_current = nullptr;

MessageCounter::MessageCounter(HWND window, UINT message) : m_window(window), m_message(message) {
  s_current = this;
  m_sent = ::SetWindowsHookExW(WH_CALLWNDPROC, &SentHook, nullptr, ::GetCurrentThreadId());
  m_queue = ::SetWindowsHookExW(WH_GETMESSAGE, &QueueHook, nullptr, ::GetCurrentThreadId());
}

MessageCounter::~MessageCounter() {
  if (m_sent != nullptr) ::UnhookWindowsHookEx(m_sent);
  if (m_queue != nullptr) ::UnhookWindowsHookEx(m_queue);
  s_current = nullptr;
}

void MessageCounter::Seen(HWND window, UINT message, WPARAM wParam) {
  if (window != m_window || message != m_message) return;
  ++m_count;
  m_lastWParam = wParam;
}

LRESULT CALLBACK MessageCounter::SentHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && s_current != nullptr) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    s_current->Seen(m->hwnd, m->message, m->wParam);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageCounter::QueueHook(int code, WPARAM wParam, LPARAM lParam) {
  // A message peeked without removal would be seen twice.
  if (code == HC_ACTION && wParam == PM_REMOVE && s_current != nullptr) {
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    s_current->Seen(m->hwnd, m->message, m->wParam);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void RealMouse(POINT from, POINT to, bool doubleClick) {
  std::atomic<bool> done{false};
  std::thread input([&] {
    test::MouseWithRealInput(from, to, doubleClick);
    done = true;
  });
  test::PumpUntil([&] { return done.load(); }, 15000);
  input.join();
  test::PumpFor(150);
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = ::GetDC(nullptr);
  const COLORREF color = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return color;
}

std::wstring DocumentTest::Eval(const wchar_t* expression) const {
  if (m_document == nullptr || m_document->ScriptContext() == nullptr) return L"(no context)";
  UniqueVariant result;
  const HRESULT hr = m_document->ScriptContext()->EvaluateString(expression, nullptr, result.Put());
  if (FAILED(hr)) return L"(failed)";
  if (FAILED(::VariantChangeType(&result, &result, 0, VT_BSTR))) return L"(not a string)";
  return result.bstrVal != nullptr ? result.bstrVal : L"";
}

void DocumentTest::Show(int x, int y, int width, int height) {
  (void)m_document->moveSizeTo(x, y, width, height, 0);
  (void)m_document->put_visible(VARIANT_TRUE);
  ::SetForegroundWindow(Window());
  test::PumpFor(150);
}

void DocumentTest::SetUpTestSuite() {
  // The window icon is looked up beside the module that carries the engine: here, the test
  // executable. Give it the product icon from the built distribution.
  const std::wstring bin = test::TestBinDir();
  const std::wstring icon = bin + L"\\skins\\default\\icon";
  ::CreateDirectoryW((bin + L"\\skins").c_str(), nullptr);
  ::CreateDirectoryW((bin + L"\\skins\\default").c_str(), nullptr);
  ::CreateDirectoryW(icon.c_str(), nullptr);
  ::CopyFileW((test::DistDir() + L"\\skins\\default\\icon\\Velmor.ico").c_str(),
              (icon + L"\\Velmor.ico").c_str(), FALSE);
}

void DocumentTest::SetUp() {
  m_baseline = LiveObjects<scDocument>::Count();
  m_dir = test::MakeTempDir(L"docwin");
}

void DocumentTest::TearDown() {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  EXPECT_EQ(LiveObjects<scDocument>::Count(), m_baseline) << "documents leaked";
}

std::wstring DocumentTest::WriteSkin(const std::string& xml) {
  const std::wstring path = m_dir + L"\\skin" + std::to_wstring(++m_files) + L".xml";
  EXPECT_TRUE(test::WriteFileBytes(path, xml));
  return path;
}

HRESULT DocumentTest::LoadNew(const std::string& xml, HWND owner) {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  const std::wstring path = WriteSkin(xml);
  if (FAILED(scDocument::CreateObject(&m_document))) return E_FAIL;
  if (owner != nullptr && FAILED(m_document->CreateOwnedWindow(owner))) return E_FAIL;
  return m_document->Load(m_dir.c_str(), path.c_str());
}

}  // namespace velmor::window_test
