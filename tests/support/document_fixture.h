// The document-window fixture every subsystem's tests share: a skin written to a temporary
// folder and loaded into a real scDocument, the window's own JScript, real mouse messages and
// pictures of what the window paints. Leak baselines are taken before each test and checked
// after it (documents, elements, listener tables, event objects, script contexts, windows).
//
//   class ButtonTest : public velmor::test::DocumentTest {};
//   TEST_F(ButtonTest, ClickRuns) {
//     ASSERT_EQ(Load("<window><button id='b' width='20' height='20' onclick='n = 1'/></window>",
//                    100, 80), S_OK);                     // client area 100 x 80, no frame
//     Run(L"var n = 0;");                                   // statements in the window's engine
//     Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);               // real messages, client coordinates
//     Send(WM_LBUTTONUP, 5, 5);
//     EXPECT_EQ(Eval(L"n"), L"1");                         // any value as text
//     EXPECT_EQ(PrintClient().At(5, 5), 0x808080u);         // WM_PRINTCLIENT into a DIB
//   }
//
// LoadBody("<image .../>", w, h) wraps elements in a window of that size; Element(L"id") finds
// an element; Listeners(L"id") gives its listener table; Screen() reads a shown window back from
// the screen; kRecorderScript and TakeTrace() record DOM events as "<id>.<type>" words.
#pragma once
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/bstr.h"
#include "events/event_listener_manager.h"
#include "skin/text_base_content.h"
#include "support/test_env.h"
#include "window/document.h"

// RECT comparison and printing for assertions (found by argument lookup on the global RECT).
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace velmor::test {

// A picture as 0x00RRGGBB values, row by row.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;
  DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // How many pixels of the rectangle have the colour.
  int Count(const RECT& r, DWORD rgb) const;
};

// A top-down 32-bit DIB section selected into a memory DC.
class DibCanvas {
 public:
  DibCanvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    m_old = ::SelectObject(m_dc, m_bitmap);
  }
  ~DibCanvas() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
  HDC DC() const { return m_dc; }
  void Fill(DWORD rgb) {
    auto* p = static_cast<DWORD*>(m_bits);
    for (int i = 0; i < m_width * m_height; ++i) p[i] = rgb;
  }
  Picture Take() {
    ::GdiFlush();
    Picture picture{m_width, m_height, {}};
    const auto* p = static_cast<const DWORD*>(m_bits);
    picture.pixels.reserve(static_cast<size_t>(m_width) * m_height);
    for (int i = 0; i < m_width * m_height; ++i) picture.pixels.push_back(p[i] & 0x00FFFFFFu);
    return picture;
  }

 private:
  int m_width, m_height;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  void* m_bits = nullptr;
};

// A GDI+ bitmap's pixels.
Picture PictureOf(Gdiplus::Bitmap& bitmap);
// Reads a rectangle of the screen through the desktop DC.
Picture ReadScreen(const RECT& screenRect);
// The colour the screen shows at a point.
COLORREF ScreenPixel(int x, int y);
// Real mouse input (MouseWithRealInput) from a helper thread while this thread handles its
// windows' messages and runs the system's move and size loops; returns once it was handled.
void RealMouse(POINT from, POINT to, bool doubleClick = false);
// "#RRGGBB" for a skin attribute.
std::string Hex(DWORD rgb);

// Counts the messages of one kind that one window is sent (WH_CALLWNDPROC) or takes from its
// queue (WH_GETMESSAGE) on this thread; 'match' may narrow them down by their parameters.
class MessageCounter {
 public:
  using Match = std::function<bool(WPARAM, LPARAM)>;
  MessageCounter(HWND window, UINT message, Match match = nullptr);
  ~MessageCounter();
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;
  int Count() const { return m_count; }
  WPARAM LastWParam() const { return m_lastWParam; }
  void Reset() { m_count = 0; }

 private:
  static LRESULT CALLBACK SentHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK QueueHook(int code, WPARAM wParam, LPARAM lParam);
  void Seen(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static MessageCounter* s_current;
  HWND m_window;
  UINT m_message;
  Match m_match;
  int m_count = 0;
  WPARAM m_lastWParam = 0;
  HHOOK m_sent = nullptr;
  HHOOK m_queue = nullptr;
};

// A native listener that hands every event object to a callback.
class CallbackListener final : public ComObject<CallbackListener, scIDOMEventListener> {
 public:
  explicit CallbackListener(std::function<void(IDOMEvent*)> callback)
      : m_callback(std::move(callback)) {}
  HRESULT STDMETHODCALLTYPE HandleEvent(IDOMEvent* event) override {
    ++m_calls;
    if (m_callback) m_callback(event);
    return S_OK;
  }
  int Calls() const { return m_calls; }

 private:
  std::function<void(IDOMEvent*)> m_callback;
  int m_calls = 0;
};
ComPtr<CallbackListener> MakeListener(std::function<void(IDOMEvent*)> callback);

// Skin script text (XML-escaped): rec(event) appends "<target id>.<type>" to `trace`, then "<"
// and the related target's id when there is one, then "/b" and the button when it is not 0;
// log(text) appends any text.
extern const char kRecorderScript[];

class DocumentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Loads the skin text into a new document (owned by the fixture; the previous one is
  // destroyed). With a size, the window loses its frame and its client area gets that size.
  HRESULT Load(const std::string& xml, int width = 0, int height = 0);
  // Loads the skin text into a new document whose window is owned by 'owner', as an opener's
  // child window is.
  HRESULT LoadOwned(const std::string& xml, HWND owner);
  // Loads elements inside '<window id="root">' of the given size.
  HRESULT LoadBody(const std::string& body, int width, int height);
  // Writes a file into the test's folder; answers its path.
  std::wstring WriteFile(const std::wstring& name, std::string_view bytes);
  // A 32-bit PNG in the test's folder; answers its path as skins write it.
  std::string WritePng(const char* name, int width, int height,
                       const std::function<Gdiplus::ARGB(int, int)>& pixel);

  // Makes the document that Load fills; tests of a document subclass make theirs.
  virtual HRESULT CreateDocument(scDocument** document) {
    return scDocument::CreateObject(document);
  }

  scDocument* Document() const { return m_document; }
  HWND Window() const { return m_document->WindowHandle(); }
  scIContent* Root() const { return m_document->RootElement(); }
  scIContent* Element(const wchar_t* id) const { return m_document->FindElementById(id); }
  scITextBaseContent* Impl(const wchar_t* id) const {
    return scITextBaseContent::FromContent(Element(id));
  }
  // The root element's rectangle as scripts read it.
  RECT RootRect() const;
  RECT ClientRect() const;
  RECT WindowRect() const;
  void SetClientSize(int width, int height);
  // Shows the window at a screen point without activating it and lets it paint.
  void ShowAt(int x, int y);
  // Places the window through its script members, shows it and brings it to the foreground.
  void Show(int x, int y, int width, int height);
  void SendSize(WPARAM type, int width, int height) {
    ::SendMessageW(Window(), WM_SIZE, type, MAKELPARAM(width, height));
  }
  LRESULT Send(UINT message, int x, int y, WPARAM keys = 0) {
    return ::SendMessageW(Window(), message, keys, MAKELPARAM(x, y));
  }
  // The window's state bits for an element.
  ULONG State(const wchar_t* id);
  // The text of the window's tooltip tool for an element ("" when it has none) and its box.
  std::wstring ToolText(const wchar_t* id, RECT* box = nullptr);
  // The element's listener table, created when missing.
  ComPtr<scIEventListenerManager> Listeners(const wchar_t* id);

  // Statements and expressions in the window's own script context.
  HRESULT Run(const std::wstring& code);
  // An expression's value as text; "<failed>" when it throws.
  std::wstring Eval(const std::wstring& expression);
  // The words kRecorderScript recorded, joined by blanks, then forgotten.
  std::wstring TakeTrace();

  // The whole client area as WM_PRINTCLIENT paints it into a 32-bit DIB.
  Picture PrintClient();
  // The client area as the screen shows it (the window must be shown).
  Picture Screen();
  // The tree painted straight into a GDI+ bitmap cleared to 'background', covering 'clip'.
  Picture PaintTree(const RECT& clip, Gdiplus::ARGB background);

  std::wstring m_dir;
  scDocument* m_document = nullptr;

 private:
  void DestroyDocument();
  int m_files = 0;
  std::vector<long> m_counts;
  int m_windows = 0;
};

}  // namespace velmor::test
