// The fixture shared by the document-window tests: skins written to a temporary folder, a loaded
// document, the root element's rectangle and a count of messages seen by the window.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "base/bstr.h"
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

namespace velmor::window_test {

// The root element's current rectangle, as scripts read it (IDOMAmbient) when the element
// answers that interface, else as native code reads it.
struct ContentRect {
  static RECT Of(scIContent* content) {
    ComPtr<IDOMAmbient> ambient;
    if (content != nullptr && SUCCEEDED(content->QueryInterface(IID_PPV_ARGS(&ambient)))) {
      LONG l = 0, t = 0, w = 0, h = 0;
      ambient->get_left(&l);
      ambient->get_top(&t);
      ambient->get_width(&w);
      ambient->get_height(&h);
      return {l, t, l + w, t + h};
    }
    scITextBaseContent* e = scITextBaseContent::FromContent(content);
    if (e == nullptr) return {-1, -1, -1, -1};
    const scRect& r = e->Rect();
    return {r.x, r.y, r.x + r.width, r.y + r.height};
  }
};


// Counts the messages sent to one window (WH_CALLWNDPROC) and those it takes from its queue
// (WH_GETMESSAGE), for the current thread.
class MessageCounter {
 public:
  MessageCounter(HWND window, UINT message);
  ~MessageCounter();
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;
  int Count() const { return m_count; }
  WPARAM LastWParam() const { return m_lastWParam; }
  void Reset() { m_count = 0; }

 private:
  static LRESULT CALLBACK SentHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK QueueHook(int code, WPARAM wParam, LPARAM lParam);
  void Seen(HWND window, UINT message, WPARAM wParam);
  static MessageCounter* s_current;
  HWND m_window;
  UINT m_message;
  int m_count = 0;
  WPARAM m_lastWParam = 0;
  HHOOK m_sent = nullptr;
  HHOOK m_queue = nullptr;
};

// test::MouseWithRealInput from a helper thread, while this thread handles its windows' messages
// (and runs the system's move and size loops); returns once the input has been handled.
void RealMouse(POINT from, POINT to, bool doubleClick = false);
// The colour the screen shows at a point.
COLORREF ScreenPixel(int x, int y);

class DocumentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Writes a skin file into the test's folder and answers its path.
  std::wstring WriteSkin(const std::string& xml);
  // A new document (owned by the fixture) loaded from 'xml', its window owned by 'owner' (as an
  // opener's child window is) when one is given.
  HRESULT LoadNew(const std::string& xml, HWND owner = nullptr);
  HWND Window() const { return m_document->WindowHandle(); }
  RECT RootRect() const { return ContentRect::Of(m_document->RootElement()); }
  RECT ClientRect() const {
    RECT r{};
    ::GetClientRect(Window(), &r);
    return r;
  }
  void SendSize(WPARAM type, int width, int height) {
    ::SendMessageW(Window(), WM_SIZE, type, MAKELPARAM(width, height));
  }
  RECT WindowRect() const {
    RECT r{};
    ::GetWindowRect(Window(), &r);
    return r;
  }
  // Evaluates a script expression in the window's script context, as text.
  std::wstring Eval(const wchar_t* expression) const;
  HRESULT Run(const wchar_t* script) const {
    return m_document->ScriptContext()->ExecuteScript(script, nullptr);
  }
  // Places the window, shows it and brings it to the foreground.
  void Show(int x, int y, int width, int height);

  std::wstring m_dir;
  scDocument* m_document = nullptr;
  long m_baseline = 0;
  int m_files = 0;
};

}  // namespace velmor::window_test
