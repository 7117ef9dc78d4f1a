// The document window at run time: layout on resize, the locks, sizemode, activation, alert,
// close and the script faces.
//
// Size handlers that resize while they run: handlers moving their own or each other's elements,
// and handlers laying the window out again, end after a bounded number of runs with the content
// laid out at the window's size; a handler that corrects the size once still sees the nested
// layout happen inside its own call.
//
// Loading a document window: the native window it creates, its title and icon, what fails to
// load, and the window keeping its document alive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/document_fixture.h"

namespace velmor::window_test {
namespace {

using test::DocumentTest;
using test::MessageCounter;

const char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<window id=\"main\" title=\"Fixture \xE7\xAA\x97\xE5\x8F\xA3\">\n"
    "  <image id=\"logo\"/>\n"
    "  <button id=\"ok\"/>\n"
    "</window>\n";

TEST_F(DocumentTest, LayoutLockDefersLayoutToOneRelayoutAtUnlock) {
  ASSERT_EQ(Load(kSkin), S_OK);
  SendSize(SIZE_RESTORED, 200, 100);
  ASSERT_EQ(RootRect(), (RECT{0, 0, 200, 100}));

  EXPECT_EQ(m_document->lock(kLayoutLock), S_OK);
  EXPECT_EQ(m_document->lock(kLayoutLock), S_OK);  // counted, not a flag
  ::SetWindowPos(Window(), nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 200, 100})) << "laid out while locked";
  EXPECT_EQ(m_document->unlock(kLayoutLock), S_OK);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 200, 100})) << "laid out with one lock still held";
  EXPECT_EQ(m_document->unlock(kLayoutLock), S_OK);
  EXPECT_EQ(RootRect(), ClientRect()) << "no layout at the last unlock";

  // Exactly one: mark the root, then nothing else lays it out until the next size change.
  m_document->RootElement()->MoveSize(0, 0, 7, 7);
  test::PumpFor(30);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 7, 7}));

  // Unlocking a lock that was never taken drives the count negative: no layout then.
  EXPECT_EQ(m_document->unlock(kLayoutLock), S_OK);
  SendSize(SIZE_RESTORED, 90, 90);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 7, 7}));
  EXPECT_EQ(m_document->lock(kLayoutLock), S_OK);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 7, 7}));
  SendSize(SIZE_RESTORED, 90, 90);
  EXPECT_EQ(RootRect(), (RECT{0, 0, 90, 90}));
}

// The root follows the client area on every size message but a minimising one; sizemode asks
// the system for a change only. (Real resizes: placement_test and window_element_test.)
TEST_F(DocumentTest, SizemodeAsksOnlyForChangesAndTheRootFollowsAllButMinimising) {
  ASSERT_EQ(Load(kSkin), S_OK);
  SetClientSize(200, 100);
  MessageCounter commands(Window(), WM_SYSCOMMAND);
  struct Case {
    LONG value;
    WPARAM command;  // sent, 0 for none
    LONG after;      // the size mode afterwards
  };
  static const Case kCases[] = {
      {0, 0, 0},  // the current value
      {3, 0, 0},  // not a size mode
      {-1, 0, 0},           {1, SC_MINIMIZE, 1}, {2, SC_MAXIMIZE, 2},
      {2, 0, 2},  // maximised now
      {0, SC_RESTORE, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "sizemode " << c.value);
    commands.Reset();
    EXPECT_EQ(m_document->put_sizemode(c.value), S_OK);
    EXPECT_EQ(commands.Count(), c.command != 0 ? 1 : 0);
    if (c.command != 0) {
      EXPECT_EQ(commands.LastWParam() & 0xFFF0, c.command);
    }
    LONG mode = -5;
    EXPECT_EQ(m_document->get_sizemode(&mode), S_OK);
    EXPECT_EQ(mode, c.after);
    EXPECT_EQ(RootRect(), c.after == 1 ? (RECT{0, 0, 200, 100}) : ClientRect());
  }
}

struct BoxCall {
  HWND owner;
  std::wstring text, caption;
  UINT type;
};
std::vector<BoxCall> g_boxes;
int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  g_boxes.push_back({owner, text ? text : L"<null>", caption ? caption : L"<null>", type});
  return IDOK;
}

TEST_F(DocumentTest, AlertIsOwnedAndFallsBackToTheProductCaption) {
  ASSERT_EQ(Load(kSkin), S_OK);
  scDocument::SetMessageBoxFunction(&RecordBox);
  g_boxes.clear();
  UniqueBstr message(L"Disk full"), empty(L""), title(L"\x6807\x9898");
  struct Case {
    BSTR title;
    const wchar_t* caption;
  };
  const Case cases[] = {{nullptr, L"Velmor"}, {empty.Get(), L"Velmor"}, {title.Get(), title.Get()}};
  for (const Case& c : cases) EXPECT_EQ(m_document->alert(message.Get(), c.title), S_OK);
  scDocument::SetMessageBoxFunction(nullptr);
  ASSERT_EQ(g_boxes.size(), std::size(cases));
  for (size_t i = 0; i < g_boxes.size(); ++i) {
    EXPECT_EQ(g_boxes[i].owner, Window());
    EXPECT_EQ(g_boxes[i].text, L"Disk full");
    EXPECT_EQ(g_boxes[i].caption, cases[i].caption);
    EXPECT_EQ(g_boxes[i].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  }
}

TEST_F(DocumentTest, ClosePostsCloseAndTheWindowIsDestroyed) {
  ASSERT_EQ(Load(kSkin), S_OK);
  HWND window = Window();
  EXPECT_EQ(m_document->close(), S_OK);
  EXPECT_TRUE(::IsWindow(window)) << "close must post, not send";
  EXPECT_NE(m_document->RootElement(), nullptr);
  EXPECT_TRUE(test::PumpUntil([&] { return !::IsWindow(window); }, 2000));
  EXPECT_EQ(m_document->WindowHandle(), nullptr);
  EXPECT_EQ(m_document->RootElement(), nullptr);
  // Without a window the members do nothing harmful.
  EXPECT_EQ(m_document->close(), S_OK);
  EXPECT_EQ(m_document->put_visible(VARIANT_TRUE), S_OK);
  EXPECT_EQ(m_document->put_sizemode(1), S_OK);
  EXPECT_EQ(m_document->lock(3), S_OK);
  EXPECT_EQ(m_document->unlock(3), S_OK);
}

namespace size_reentry {
using SizeReentryTest = test::DocumentTest;

std::wstring Count(int runs) { return std::to_wstring(runs); }

TEST_F(SizeReentryTest, ResizingSizeHandlersEndAndLeaveTheLayoutAtTheWindowSize) {
  constexpr int kNested = scITextBaseContent::kMaxNestedSizeEvents;
  constexpr int kPasses = scDocument::kMaxNestedSizeChanges * (1 + scDocument::kMaxDeferredSizes);
  static const char kScript[] =
      "<script>var runs = 0, log = '', done = false, start = 0, armed = false;"
      "function byId(id) { return document.getElementById(id); }</script>";
  // 31 handlers, each asking for a sizemode: the last of a layout asks for the other of normal
  // and maximised, which lays the window out again. Changes end after kMaxDeferredSizeModes.
  std::string flipping;
  for (int i = 0; i < 31; ++i)
    flipping += "<image id=\"" + std::string(i == 0 ? "a" : "c" + std::to_string(i)) +
               "\" onsize=\"runs++; if (armed) window.sizemode = runs % 62 > 30 ? 2 : 0;\"/>";
  struct Case {
    const char* name;
    std::string content;
    std::wstring expected;  // runs and log after one resize; "W" stands for the client width
  } const kCases[] = {
      {"a handler moving its own element",
       "<image id=\"a\" onsize=\"runs++; this.left = this.left + 1;\"/>",
       Count(kNested) + L"," + Count(kNested) + L","},
      {"handlers moving each other's elements",
       "<image id=\"a\" onsize=\"runs++; byId('b').left++;\"/>"
       "<image id=\"b\" onsize=\"runs++; byId('a').left++;\"/>",
       Count(2 * kNested) + L"," + Count(kNested) + L","},
      {"handlers each resizing the other element three times",
       "<image id=\"a\" onsize=\"runs++; var b = byId('b'); b.top++; b.width++; b.height++;\"/>"
       "<image id=\"b\" onsize=\"runs++; var a = byId('a'); a.top++; a.width++; a.height++;\"/>",
       Count(2 * (1 + scITextBaseContent::kMaxSizeEventsPerCascade)) + L",0,"},
      {"a handler laying the window out again",
       "<image id=\"a\" onsize=\"runs++; window.lock(2); window.unlock(2);\"/>",
       Count(kPasses) + L",0,"},
      {"a handler correcting the size once",
       "<image id=\"a\" onsize=\"runs++; log += this.parentNode.width + ';';"
       " if (!done) { done = true; window.lock(2); window.unlock(2); log += 'after;'; }\"/>",
       L"2,0,W;W;after;"},
      {"a handler changing the sizemode once",
       "<image id=\"a\" onsize=\"runs++; if (armed) if (!done) {"
       " done = true; window.sizemode = 2; log += window.sizemode + ';'; }\"/>",
       L"2,0,2;"},
      {"handlers flipping the sizemode", flipping,
       Count(31 * (1 + scDocument::kMaxDeferredSizeModes)) + L",0,"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Load(std::string("<window>") + kScript + c.content + "</window>"), S_OK);
    Run(L"runs = 0; log = ''; done = false; start = byId('a').left; armed = true;");
    ::SetWindowPos(Window(), nullptr, 0, 0, 320, 240, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::wstring expected = c.expected;
    const std::wstring width = std::to_wstring(ClientRect().right);
    for (size_t at; (at = expected.find(L'W')) != std::wstring::npos;) expected.replace(at, 1, width);
    EXPECT_EQ(Eval(L"runs + ',' + (byId('a').left - start) + ',' + log"), expected);
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

}  // namespace size_reentry

namespace document_load {
using test::DocumentTest;

TEST_F(DocumentTest, LoadCreatesHiddenWindowWithClassStylesTitleAndIcon) {
  ASSERT_EQ(Load(kSkin), S_OK);
  HWND window = Window();
  ASSERT_TRUE(::IsWindow(window));
  EXPECT_FALSE(::IsWindowVisible(window)) << "shown before a script asked";

  wchar_t name[64] = L"";
  ::GetClassNameW(window, name, 64);
  EXPECT_STREQ(name, L"VelmorGUI");
  WNDCLASSEXW wc{sizeof(wc)};
  ASSERT_TRUE(::GetClassInfoExW(GetModuleInstance(), L"VelmorGUI", &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(wc.hCursor, nullptr);
  EXPECT_EQ(wc.hIcon, nullptr);

  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  EXPECT_EQ(style & 0x860F0000u, 0x860F0000u);
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
  EXPECT_EQ(exStyle & 0x300u, 0x300u);
  EXPECT_EQ(::GetParent(window), nullptr);

  wchar_t title[64] = L"";
  ::GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"Fixture \x7A97\x53E3");

  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);

  // The first layout covers the whole window.
  RECT outer{};
  ::GetWindowRect(window, &outer);
  EXPECT_EQ(RootRect(), (RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top}));

  // Scripts show it (document_script_test); until then it reads as hidden.
  EXPECT_EQ(Eval(L"String(window.visible)"), L"false");

  // The title comes from a string title attribute only (scripts setting it: document_script_test).
  static const struct {
    const char* root;
    const wchar_t* title;
  } kTitles[] = {{"<window/>", L"Velmor"}, {"<window title=\"Hello\"/>", L"Hello"},
                 {"<window title=\"\"/>", L""}};
  for (const auto& c : kTitles) {
    ASSERT_EQ(Load(c.root), S_OK) << c.root;
    EXPECT_EQ(Eval(L"window.title"), c.title) << c.root;
  }

  // Without the icon file the window has no icon.
  const std::wstring icon = test::TestBinDir() + L"\\skins\\default\\icon\\Velmor.ico";
  const std::wstring aside = icon + L".aside";
  ASSERT_TRUE(::MoveFileW(icon.c_str(), aside.c_str()));
  const HRESULT loaded = Load(kSkin);
  ::MoveFileW(aside.c_str(), icon.c_str());
  ASSERT_EQ(loaded, S_OK);
  EXPECT_EQ(::SendMessageW(Window(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(::SendMessageW(Window(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(DocumentTest, FailedLoadsAnswerEFailAndLeaveNoWindow) {
  struct Case {
    const char* name;
    const char* xml;
  };
  static const Case kCases[] = {
      {"root tag differs in case", "<Window title=\"x\"/>"},
      {"other root tag", "<dialog/>"},
      {"parse error", "<window><image></window>"},
      {"empty file", ""},
  };
  // A window created for a failed load would also be left behind at the end of the test.
  for (const Case& c : kCases) {
    EXPECT_EQ(Load(c.xml), E_FAIL) << c.name;
    EXPECT_EQ(Window(), nullptr) << c.name;
    EXPECT_EQ(m_document->RootElement(), nullptr) << c.name;
  }
  scDocument* document = nullptr;
  ASSERT_EQ(scDocument::CreateObject(&document), S_OK);
  EXPECT_EQ(document->Load(m_dir.c_str(), (m_dir + L"\\missing.xml").c_str()), E_FAIL);
  EXPECT_EQ(document->WindowHandle(), nullptr);
  document->Release();
}

// Load and destroy cycles: a thousand dialogs in child_window_test.
TEST_F(DocumentTest, WindowKeepsDocumentAliveUntilItIsDestroyed) {
  const long documents = LiveObjects<scDocument>::Count();
  ASSERT_EQ(Load(kSkin), S_OK);
  HWND window = Window();
  scDocument* document = std::exchange(m_document, nullptr);
  document->Release();  // the window's own reference remains
  EXPECT_EQ(LiveObjects<scDocument>::Count(), documents + 1);
  ::DestroyWindow(window);
  EXPECT_EQ(LiveObjects<scDocument>::Count(), documents);
}

}  // namespace document_load

}  // namespace
}  // namespace velmor::window_test
