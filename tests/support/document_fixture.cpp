#include "support/document_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "events/dom_event.h"
#include "images/png_encoder.h"
#include "render/paint.h"
#include "render/paint_context.h"
#include "script/script_context_object.h"
#include "support/gdiplus_environment.h"
#include "support/resources.h"

namespace velmor::test {
namespace {

::testing::Environment* const g_gdiplus = AddGdiplusEnvironment();

}  // namespace

const char kRecorderScript[] =
    "var trace = [];"
    "function log(s) { trace.push(s); }"
    "function nameOf(el) {"
    "  if (el == null) return '?';"
    "  var id = el.id;"
    "  return id ? id : '?';"
    "}"
    "function rec(e) {"
    "  var s = nameOf(e.target) + '.' + e.type;"
    "  if (e.relatedTarget) s += '&lt;' + nameOf(e.relatedTarget);"
    "  if (e.button) s += '/b' + e.button;"
    "  trace.push(s);"
    "}";

int Picture::Count(const RECT& r, DWORD rgb) const {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += At(x, y) == rgb ? 1 : 0;
  return n;
}

std::string Hex(DWORD rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06lX", static_cast<unsigned long>(rgb & 0xFFFFFFu));
  return text;
}

Picture ReadScreen(const RECT& r) {
  DibCanvas canvas(r.right - r.left, r.bottom - r.top);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(canvas.DC(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  return canvas.Take();
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = ::GetDC(nullptr);
  const COLORREF color = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return color;
}

void RealMouse(POINT from, POINT to, bool doubleClick) {
  std::atomic<bool> done{false};
  std::thread input([&] {
    MouseWithRealInput(from, to, doubleClick);
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 15000);
  input.join();
  PumpFor(150);
}

MessageCounter* MessageCounter::s_current = nullptr;

MessageCounter::MessageCounter(HWND window, UINT message, Match match)
    : m_window(window), m_message(message), m_match(std::move(match)) {
  s_current = this;
  m_sent = ::SetWindowsHookExW(WH_CALLWNDPROC, &SentHook, nullptr, ::GetCurrentThreadId());
  m_queue = ::SetWindowsHookExW(WH_GETMESSAGE, &QueueHook, nullptr, ::GetCurrentThreadId());
}

MessageCounter::~MessageCounter() {
  if (m_sent != nullptr) ::UnhookWindowsHookEx(m_sent);
  if (m_queue != nullptr) ::UnhookWindowsHookEx(m_queue);
  s_current = nullptr;
}

void MessageCounter::Seen(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != m_window || message != m_message) return;
  if (m_match && !m_match(wParam, lParam)) return;
  ++m_count;
  m_lastWParam = wParam;
}

LRESULT CALLBACK MessageCounter::SentHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && s_current != nullptr) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    s_current->Seen(m->hwnd, m->message, m->wParam, m->lParam);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageCounter::QueueHook(int code, WPARAM wParam, LPARAM lParam) {
  // A message peeked without removal would be seen twice.
  if (code == HC_ACTION && wParam == PM_REMOVE && s_current != nullptr) {
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    s_current->Seen(m->hwnd, m->message, m->wParam, m->lParam);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

ComPtr<CallbackListener> MakeListener(std::function<void(IDOMEvent*)> callback) {
  CallbackListener* listener = nullptr;
  EXPECT_EQ(CallbackListener::CreateObject(&listener, std::move(callback)), S_OK);
  return AdoptRef(listener);
}

void DocumentTest::SetUpTestSuite() {
  // The window icon is looked up beside the module that carries the engine: here, the test
  // executable. Give it the product icon from the built distribution.
  const std::wstring icon = TestBinDir() + L"\\skins\\default\\icon";
  ::CreateDirectoryW((TestBinDir() + L"\\skins").c_str(), nullptr);
  ::CreateDirectoryW((TestBinDir() + L"\\skins\\default").c_str(), nullptr);
  ::CreateDirectoryW(icon.c_str(), nullptr);
  ::CopyFileW((DistDir() + L"\\skins\\default\\icon\\Velmor.ico").c_str(),
              (icon + L"\\Velmor.ico").c_str(), TRUE);
  // What the first document of a process creates for good (window classes, the platform's own
  // helper windows) is not counted against the first test.
  [[maybe_unused]] static const bool s_warm = [] {
    const std::wstring dir = MakeTempDir(L"warm");
    const std::wstring path = dir + L"\\warm.xml";
    scDocument* document = nullptr;
    if (WriteFileBytes(path, "<window><script>var w = 1;</script></window>") &&
        SUCCEEDED(scDocument::CreateObject(&document))) {
      if (SUCCEEDED(document->Load(dir.c_str(), path.c_str()))) {
        ::ShowWindow(document->WindowHandle(), SW_SHOWNOACTIVATE);
        PumpFor(20);
      }
      EXPECT_HRESULT_SUCCEEDED(document->Destroy());
      document->Release();
    }
    PumpFor(20);
    return true;
  }();
}

// The objects whose count must be back at its baseline after each test.
const std::pair<const char*, long (*)()> kCounted[] = {
    {"documents", &LiveObjects<scDocument>::Count},
    {"elements", &LiveObjects<scITextBaseContent>::Count},
    {"listener tables", &LiveObjects<scEventListenerManagerImp>::Count},
    {"event objects", &LiveObjects<scDOMEventInst>::Count},
    {"mouse events", &LiveObjects<scDOMMouseEventInst>::Count},
    {"script contexts", &LiveObjects<scScriptContext>::Count},
};

void DocumentTest::SetUp() {
  m_counts.clear();
  for (const auto& counted : kCounted) m_counts.push_back(counted.second());
  m_windows = ResourceSnapshot::Take().windows;
  m_dir = MakeTempDir(L"doc");
}

void DocumentTest::DestroyDocument() {
  if (m_document == nullptr) return;
  EXPECT_HRESULT_SUCCEEDED(m_document->Destroy());
  m_document->Release();
  m_document = nullptr;
}

void DocumentTest::TearDown() {
  DestroyDocument();
  PumpFor(10);
  for (size_t i = 0; i < std::size(kCounted); ++i)
    EXPECT_EQ(kCounted[i].second(), m_counts[i]) << kCounted[i].first << " leaked";
  EXPECT_EQ(ResourceSnapshot::Take().windows, m_windows) << "windows left behind";
}

std::wstring DocumentTest::WriteFile(const std::wstring& name, std::string_view bytes) {
  const std::wstring path = m_dir + L"\\" + name;
  EXPECT_TRUE(WriteFileBytes(path, bytes)) << "cannot write a test file";
  return path;
}

std::string DocumentTest::WritePng(const char* name, int width, int height,
                                   const std::function<Gdiplus::ARGB(int, int)>& pixel) {
  std::wstring path = m_dir + L"\\";
  for (const char* c = name; *c; ++c) path += static_cast<wchar_t>(*c);
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(pixel(x, y)));
  CLSID png{};
  EXPECT_TRUE(FindPngEncoder(&png));
  EXPECT_EQ(bitmap.Save(path.c_str(), &png, nullptr), Gdiplus::Ok);
  std::string narrow;
  for (wchar_t c : path) narrow += static_cast<char>(c);
  return narrow;
}

HRESULT DocumentTest::LoadOwned(const std::string& xml, HWND owner) {
  DestroyDocument();
  const std::wstring path = WriteFile(L"skin" + std::to_wstring(++m_files) + L".xml", xml);
  RETURN_IF_FAILED(CreateDocument(&m_document));
  if (owner != nullptr) RETURN_IF_FAILED(m_document->CreateOwnedWindow(owner));
  return m_document->Load(m_dir.c_str(), path.c_str());
}

HRESULT DocumentTest::Load(const std::string& xml, int width, int height) {
  RETURN_IF_FAILED(LoadOwned(xml, nullptr));
  if (width > 0 && height > 0) {
    // Without a frame the window region (window coordinates) and the element tree (client
    // coordinates) share their origin, as in the product.
    ::SetWindowLongPtrW(Window(), GWL_STYLE,
                        ::GetWindowLongPtrW(Window(), GWL_STYLE) & ~LONG_PTR{WS_THICKFRAME});
    ::SetWindowLongPtrW(Window(), GWL_EXSTYLE,
                        ::GetWindowLongPtrW(Window(), GWL_EXSTYLE) &
                            ~LONG_PTR{WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE});
    ::SetWindowPos(Window(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetClientSize(width, height);
  }
  return S_OK;
}

HRESULT DocumentTest::LoadBody(const std::string& body, int width, int height) {
  return Load("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<window id=\"root\" width=\"" +
                  std::to_string(width) + "\" height=\"" + std::to_string(height) + "\">" + body +
                  "</window>",
              width, height);
}

RECT DocumentTest::RootRect() const {
  ComPtr<IDOMAmbient> ambient;
  if (Root() == nullptr || FAILED(Root()->QueryInterface(IID_PPV_ARGS(&ambient))))
    return {-1, -1, -1, -1};
  LONG l = 0, t = 0, w = 0, h = 0;
  ambient->get_left(&l);
  ambient->get_top(&t);
  ambient->get_width(&w);
  ambient->get_height(&h);
  return {l, t, l + w, t + h};
}

RECT DocumentTest::WindowRect() const {
  RECT r{};
  ::GetWindowRect(Window(), &r);
  return r;
}

void DocumentTest::Show(int x, int y, int width, int height) {
  (void)m_document->moveSizeTo(x, y, width, height, 0);
  (void)m_document->put_visible(VARIANT_TRUE);
  ::SetForegroundWindow(Window());
  PumpFor(150);
}

RECT DocumentTest::ClientRect() const {
  RECT r{};
  ::GetClientRect(Window(), &r);
  return r;
}

void DocumentTest::SetClientSize(int width, int height) {
  RECT window{}, client{};
  ::GetWindowRect(Window(), &window);
  ::GetClientRect(Window(), &client);
  const int extraW = (window.right - window.left) - client.right;
  const int extraH = (window.bottom - window.top) - client.bottom;
  ::SetWindowPos(Window(), nullptr, 0, 0, width + extraW, height + extraH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::GetClientRect(Window(), &client);
  // The root follows the client area through WM_SIZE; say it again in case no size changed.
  SendSize(SIZE_RESTORED, client.right, client.bottom);
}

void DocumentTest::ShowAt(int x, int y) {
  ::SetWindowPos(Window(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::UpdateWindow(Window());
  // Wine copies a window's surface to the X server from its message loop, a little after the
  // paint: let that happen before the screen is read.
  PumpFor(150);
}

ULONG DocumentTest::State(const wchar_t* id) {
  ULONG state = 0xFFFFFFFF;
  EXPECT_EQ(m_document->GetContentState(Element(id), &state), S_OK);
  return state;
}

std::wstring DocumentTest::ToolText(const wchar_t* id, RECT* box) {
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = Window();
  info.uId = reinterpret_cast<UINT_PTR>(Element(id));
  wchar_t text[80] = L"";
  info.lpszText = text;
  if (::SendMessageW(m_document->MouseInput().TooltipWindow(), TTM_GETTOOLINFOW, 0,
                     reinterpret_cast<LPARAM>(&info)) == 0)
    return L"";
  if (box != nullptr) *box = info.rect;
  return text;
}

ComPtr<scIEventListenerManager> DocumentTest::Listeners(const wchar_t* id) {
  ComPtr<scIEventListenerManager> manager;
  if (scIContent* element = Element(id)) element->GetListenerManager(TRUE, &manager);
  return manager;
}

HRESULT DocumentTest::Run(const std::wstring& code) {
  scIScriptContext* context = m_document != nullptr ? m_document->ScriptContext() : nullptr;
  if (context == nullptr) return E_UNEXPECTED;
  return context->ExecuteScript(code.c_str(), nullptr);
}

std::wstring DocumentTest::Eval(const std::wstring& expression) {
  scIScriptContext* context = m_document != nullptr ? m_document->ScriptContext() : nullptr;
  if (context == nullptr) return L"<no context>";
  UniqueVariant result;
  if (FAILED(context->EvaluateString(expression.c_str(), nullptr, result.Put()))) return L"<failed>";
  if (FAILED(::VariantChangeType(&result, &result, 0, VT_BSTR))) return L"<not text>";
  return result.bstrVal != nullptr ? result.bstrVal : L"";
}

std::wstring DocumentTest::TakeTrace() {
  std::wstring trace = Eval(L"trace.join(' ')");
  Run(L"trace = [];");
  return trace;
}

Picture DocumentTest::PrintClient() {
  const RECT client = ClientRect();
  DibCanvas canvas(client.right, client.bottom);
  canvas.Fill(0x123456);
  ::SendMessageW(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
  return canvas.Take();
}

Picture DocumentTest::Screen() {
  const RECT client = ClientRect();
  POINT origin{0, 0};
  ::ClientToScreen(Window(), &origin);
  return ReadScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
}

Picture DocumentTest::PaintTree(const RECT& clip, Gdiplus::ARGB background) {
  const RECT client = ClientRect();
  Gdiplus::Bitmap bitmap(client.right, client.bottom, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&bitmap);
    graphics.Clear(Gdiplus::Color(background));
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    scPaintContext context;
    RECT area = clip;
    context.graphics = &graphics;
    context.clip = &area;
    EXPECT_EQ(PaintElement(&context, Root()), S_OK);
  }
  return PictureOf(bitmap);
}

Picture PictureOf(Gdiplus::Bitmap& bitmap) {
  Picture picture{static_cast<int>(bitmap.GetWidth()), static_cast<int>(bitmap.GetHeight()), {}};
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      Gdiplus::Color c;
      bitmap.GetPixel(x, y, &c);
      picture.pixels.push_back(c.GetValue() & 0x00FFFFFFu);
    }
  }
  return picture;
}

}  // namespace velmor::test
