// The fixture shared by the event tests: skins written to a temporary folder and loaded into a
// real document window, handlers written as "on" attributes that record what they hear in a
// script variable, native listeners, and the real mouse messages sent to the window.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/bstr.h"
#include "events/dom_event.h"
#include "events/event_listener_manager.h"
#include "script/script_context.h"
#include "skin/text_base_content.h"
#include "support/test_env.h"
#include "window/document.h"

namespace velmor::events_test {

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

// The script that records events: rec(event) appends "<target id>.<type>", then "<" and the
// related target's id when there is one, then "/b" and the button when it is not 0.
extern const char kRecorderScript[];

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes 'xml' to a file and loads it into a new document (owned by the fixture), then gives
  // the window a 320x240 size so the root element is laid out at that size.
  HRESULT LoadSkin(const std::string& xml);
  // The document's script context.
  ComPtr<scIScriptContext> Context();
  // Evaluates a script expression as text ("" on failure).
  std::wstring Eval(const wchar_t* expression);
  // The recorded events joined by blanks, then forgotten.
  std::wstring TakeTrace();

  HWND Window() const { return m_document->WindowHandle(); }
  scIContent* Element(const wchar_t* id) const { return m_document->FindElementById(id); }
  ULONG State(const wchar_t* id);
  LRESULT Send(UINT message, int x, int y, WPARAM keys = 0) {
    return ::SendMessageW(Window(), message, keys, MAKELPARAM(x, y));
  }
  // Dispatches this thread's messages for 'ms' milliseconds.
  static void Pump(DWORD ms);
  // The element's listener table, created when missing.
  ComPtr<scIEventListenerManager> Listeners(const wchar_t* id);

  std::wstring m_dir;
  scDocument* m_document = nullptr;
  long m_baseline = 0;
  long m_tables = 0;
  long m_events = 0;
  long m_mouseEvents = 0;
  int m_files = 0;
};

}  // namespace velmor::events_test
