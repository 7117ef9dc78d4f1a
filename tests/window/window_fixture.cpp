#include "window_fixture.h"

#include <shlwapi.h>

#include <atomic>
#include <thread>

#include "components/component_manager.h"
#include "screens/screen_manager.h"

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

ScreenManagerScope::ScreenManagerScope() {
  m_ready = SUCCEEDED(components::Initialize());
  if (m_ready) m_ready = SUCCEEDED(RegisterModuleFactories(&kScreenManagerComponent, 1));
}

ScreenManagerScope::~ScreenManagerScope() { (void)components::Shutdown(); }

namespace {

void SendButton(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(input));
}

// Runs 'steps' on a helper thread while this thread dispatches its messages.
template <class Steps>
void WithInputThread(Steps steps) {
  std::atomic<bool> done{false};
  std::thread input([&] {
    steps();
    done = true;
  });
  test::PumpUntil([&] { return done.load(); }, 15000);
  input.join();
  test::PumpFor(150);
}

}  // namespace

void RealDrag(POINT from, POINT to) {
  WithInputThread([from, to] {
    ::SetCursorPos(from.x, from.y);
    ::Sleep(150);
    SendButton(MOUSEEVENTF_LEFTDOWN);
    ::Sleep(200);
    constexpr int kSteps = 6;
    for (int i = 1; i <= kSteps; ++i) {
      ::SetCursorPos(from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
      ::Sleep(60);
    }
    ::Sleep(150);
    SendButton(MOUSEEVENTF_LEFTUP);
    ::Sleep(150);
  });
}

void RealDoubleClick(POINT at) {
  WithInputThread([at] {
    ::SetCursorPos(at.x, at.y);
    ::Sleep(150);
    for (int i = 0; i < 2; ++i) {
      SendButton(MOUSEEVENTF_LEFTDOWN);
      ::Sleep(30);
      SendButton(MOUSEEVENTF_LEFTUP);
      ::Sleep(30);
    }
    ::Sleep(200);
  });
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

HRESULT DocumentTest::LoadNew(const std::string& xml) {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  const std::wstring path = WriteSkin(xml);
  if (FAILED(scDocument::CreateObject(&m_document))) return E_FAIL;
  return m_document->Load(m_dir.c_str(), path.c_str());
}

}  // namespace velmor::window_test
