// The main window and the services of every window, through JScript in real windows: the
// start-up interface, showTroubleShooter() with and without its library, topMost telling the
// application frame, showGameList handing an element's screen rectangle to a script object, and
// shellExecute.
#include <gtest/gtest.h>

#include <string>

#include "components/component_manager.h"
#include "mainframe/main_frame.h"
#include "support/document_fixture.h"
#include "vmrt_h.h"

namespace velmor::mainframe_test {

using test::DocumentTest;
namespace {

const char kSkin[] =
    "<window id='main' title='Main' titleBar='true'>"
    "<subwindow id='panel' left='30' top='20' width='200' height='100'>"
    "<subwindow id='item' left='12' top='7' width='50' height='16'/></subwindow></window>";

// Top-level windows of one class.
int CountWindows(const wchar_t* className) {
  int count = 0;
  for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, className, nullptr)) != nullptr;) ++count;
  return count;
}

// Documents made by the fixture are main frames unless a test asks for a plain window.
class MainFrameTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    ASSERT_EQ(components::Initialize(), S_OK);
  }
  void TearDown() override {
    DocumentTest::TearDown();
    (void)components::Shutdown();
  }
  HRESULT CreateDocument(scDocument** document) override {
    if (m_plain) return DocumentTest::CreateDocument(document);
    CMainFrame* frame = nullptr;
    RETURN_IF_FAILED(CMainFrame::CreateFrame(&frame));
    *document = frame;
    return S_OK;
  }
  ComPtr<IFrameService> Frame() {
    ComPtr<IFrameService> frame;
    EXPECT_EQ(components::GetService(contracts::kFrame, frame), S_OK);
    return frame;
  }

  bool m_plain = false;
};

TEST_F(MainFrameTest, LoadsThroughItsStartUpInterface) {
  ComPtr<IAppMainWindow> frame;
  ASSERT_EQ(CMainFrame::CreateInstance(&frame), S_OK);
  const std::wstring path = WriteFile(L"skin.xml", kSkin);
  ASSERT_EQ(frame->Load(m_dir.c_str(), path.c_str()), S_OK);
  EXPECT_EQ(frame->Load(m_dir.c_str(), path.c_str()), E_UNEXPECTED) << "loaded twice";
  EXPECT_EQ(frame->Destroy(), S_OK);
  EXPECT_EQ(frame->Destroy(), S_OK);
  // Once its window is gone the frame can be loaded again.
  ASSERT_EQ(frame->Load(m_dir.c_str(), path.c_str()), S_OK);
  EXPECT_EQ(frame->Destroy(), S_OK);
}

TEST_F(MainFrameTest, TopMostTellsTheFrameServiceOnTheMainWindowOnly) {
  struct Case {
    bool plain;
    const wchar_t* script;
    LONG commands;  // more than before
    LONG argument;
    bool topMost;
  };
  static const Case kCases[] = {
      {false, L"window.topMost = true", 1, 1, true},
      {false, L"window.topMost = false", 1, 0, false},
      {true, L"window.topMost = true", 0, -1, true},
  };
  ComPtr<IFrameService> frame = Frame();
  ASSERT_TRUE(frame);
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << (c.plain ? "plain " : "main ") << c.script);
    m_plain = c.plain;
    ASSERT_EQ(Load(kSkin), S_OK);
    ASSERT_EQ(frame->ResizerCommand(0, -1), S_OK);  // what the script's notice replaces
    LONG before = 0, after = 0, command = 0, argument = 0;
    ASSERT_EQ(frame->get_commandCount(&before), S_OK);
    ASSERT_EQ(Run(c.script), S_OK);
    (void)frame->get_commandCount(&after);
    (void)frame->get_lastCommand(&command);
    (void)frame->get_lastArgument(&argument);
    EXPECT_EQ(after - before, c.commands);
    EXPECT_EQ(command, c.commands != 0 ? 5 : 0);
    EXPECT_EQ(argument, c.argument);
    EXPECT_EQ((::GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.topMost);
  }
}

TEST_F(MainFrameTest, TroubleShooterShowsOnceAndNothingWithoutItsLibrary) {
  constexpr wchar_t kClass[] = L"VelmorTroubleShooter";
  ASSERT_EQ(Load(kSkin), S_OK);
  // Not beside the test program and not loaded: the member answers and nothing shows.
  ASSERT_EQ(::GetModuleHandleW(CMainFrame::kTroubleShooterLibrary), nullptr);
  EXPECT_EQ(Run(L"window.showTroubleShooter()"), S_OK);
  EXPECT_EQ(CountWindows(kClass), 0);
  // Loaded already (from the install folder on the path): found among the modules.
  HMODULE library = ::LoadLibraryW(CMainFrame::kTroubleShooterLibrary);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(Run(L"window.showTroubleShooter(); window.showTroubleShooter();"), S_OK);
  ASSERT_EQ(CountWindows(kClass), 1);
  HWND shown = ::FindWindowW(kClass, nullptr);
  EXPECT_TRUE(::IsWindowVisible(shown));
  EXPECT_EQ(::GetWindow(shown, GW_OWNER), Window());
  wchar_t text[2048] = L"";
  ::GetWindowTextW(::GetDlgItem(shown, 100), text, 2048);
  const std::wstring report(text);
  EXPECT_NE(report.find(L"Engine version: "), std::wstring::npos) << report;
  EXPECT_NE(report.find(L"\\skins\\"), std::wstring::npos) << report;
  EXPECT_NE(report.find(L"Preferences in force:"), std::wstring::npos) << report;
  ::DestroyWindow(shown);
  // The library stays for the life of the process, as the engine leaves it.
}

TEST_F(MainFrameTest, GameListGetsTheElementsScreenRectangle) {
  ASSERT_EQ(Load(kSkin), S_OK);
  Show(140, 90, 400, 300);
  ASSERT_EQ(Run(L"var got = 'none'; var game = { showGameList: function(h, bx, by, x, y, w, ht)"
                L" { got = [h, bx, by, x, y, w, ht].join(); } };"),
            S_OK);
  POINT corner{30 + 12, 20 + 7};  // the item within the client area
  ::ClientToScreen(Window(), &corner);
  ASSERT_GT(corner.x - 140 - 42, 0) << "the system frame adds its border";
  const std::wstring handle = std::to_wstring(reinterpret_cast<LONG_PTR>(Window()));
  const std::wstring x = std::to_wstring(corner.x), y = std::to_wstring(corner.y);
  struct Case {
    const wchar_t* call;
    std::wstring got;
  };
  const Case kCases[] = {
      {L"window.showGameList(game, document.getElementById('item'))",
       handle + L"," + x + L"," + std::to_wstring(corner.y + 16) + L"," + x + L"," + y + L",50,16"},
      {L"window.showGameList(game, window)", L"none"},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(Run(L"got = 'none'; " + std::wstring(c.call)), S_OK) << c.call;
    EXPECT_EQ(Eval(L"got"), c.got) << c.call;
  }
  // Scripts cannot pass a null object (the bridge refuses it); native callers can.
  EXPECT_EQ(Document()->showGameList(nullptr, Element(L"item")), S_OK);
}

TEST_F(MainFrameTest, ShellExecuteStartsTheFileAndIgnoresNoFile) {
  m_plain = true;
  ASSERT_EQ(Load(kSkin), S_OK);
  // Scripts cannot pass a null file (the bridge refuses it); native callers can.
  EXPECT_EQ(Document()->shellExecute(nullptr, nullptr), S_OK);
  const std::wstring mark = m_dir + L"\\started.txt";
  const std::wstring batch =
      WriteFile(L"start.cmd", "@echo started> \"" + std::string(mark.begin(), mark.end()) + "\"\r\n");
  ASSERT_EQ(Run(L"window.shellExecute('open', '" + test::Escaped(batch) + L"')"), S_OK);
  // The shell starts the command on its own; wait for what it writes.
  for (int i = 0; i < 200 && ::GetFileAttributesW(mark.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    ::Sleep(50);
  EXPECT_NE(::GetFileAttributesW(mark.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace velmor::mainframe_test
