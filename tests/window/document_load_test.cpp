// Loading a document window: the native window it creates, its title and icon, what fails to
// load, and clean-up over many load/destroy cycles.
#include <gtest/gtest.h>

#include "support/resources.h"
#include "support/document_fixture.h"

namespace velmor::window_test {
namespace {

using test::DocumentTest;

const char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<window id=\"main\" title=\"Fixture \xE7\xAA\x97\xE5\x8F\xA3\">\n"
    "  <image id=\"logo\"/>\n"
    "  <button id=\"ok\"/>\n"
    "</window>\n";

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

  // Scripts show it.
  VARIANT_BOOL visible = VARIANT_TRUE;
  EXPECT_EQ(m_document->get_visible(&visible), S_OK);
  EXPECT_EQ(visible, VARIANT_FALSE);
  EXPECT_EQ(m_document->put_visible(VARIANT_TRUE), S_OK);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(m_document->get_visible(&visible), S_OK);
  EXPECT_EQ(visible, VARIANT_TRUE);
  EXPECT_EQ(m_document->put_visible(VARIANT_FALSE), S_OK);
  EXPECT_FALSE(::IsWindowVisible(window));
}

TEST_F(DocumentTest, TitleComesFromAStringTitleAttributeOnly) {
  struct Case {
    const char* root;
    const wchar_t* title;
  };
  static const Case kCases[] = {
      {"<window/>", L"Velmor"},
      {"<window title=\"Hello\"/>", L"Hello"},
      {"<window title=\"\"/>", L""},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(Load(c.root), S_OK) << c.root;
    UniqueBstr title;
    EXPECT_EQ(m_document->get_title(title.Put()), S_OK);
    EXPECT_STREQ(title.Get() ? title.Get() : L"", c.title) << c.root;
  }
  UniqueBstr text(L"Renamed");
  EXPECT_EQ(m_document->put_title(text.Get()), S_OK);
  wchar_t title[32] = L"";
  ::GetWindowTextW(Window(), title, 32);
  EXPECT_STREQ(title, L"Renamed");
}

TEST_F(DocumentTest, MissingIconFileLeavesTheWindowWithoutIcon) {
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
  const int windowsBefore = test::ResourceSnapshot::Take().windows;
  for (const Case& c : kCases) {
    EXPECT_EQ(Load(c.xml), E_FAIL) << c.name;
    EXPECT_EQ(Window(), nullptr) << c.name;
    EXPECT_EQ(m_document->RootElement(), nullptr) << c.name;
    EXPECT_EQ(test::ResourceSnapshot::Take().windows, windowsBefore) << c.name;
  }
  scDocument* document = nullptr;
  ASSERT_EQ(scDocument::CreateObject(&document), S_OK);
  EXPECT_EQ(document->Load(m_dir.c_str(), (m_dir + L"\\missing.xml").c_str()), E_FAIL);
  EXPECT_EQ(document->WindowHandle(), nullptr);
  document->Release();
}

TEST_F(DocumentTest, TwoHundredLoadDestroyCyclesLeakNothing) {
  const std::wstring path = WriteFile(L"skin.xml", kSkin);
  auto cycle = [&] {
    scDocument* document = nullptr;
    ASSERT_EQ(scDocument::CreateObject(&document), S_OK);
    ASSERT_EQ(document->Load(m_dir.c_str(), path.c_str()), S_OK);
    HWND window = document->WindowHandle();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(document->Destroy(), S_OK);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(document->RootElement(), nullptr) << "tree kept after WM_DESTROY";
    EXPECT_EQ(document->Destroy(), S_OK) << "second destroy";
    document->Release();
  };
  const long documents = LiveObjects<scDocument>::Count();
  cycle();  // first use registers the class and loads what stays loaded
  test::PumpFor(50);
  const long elements = LiveObjects<scITextBaseContent>::Count();
  const test::ResourceSnapshot before = test::ResourceSnapshot::Take();
  for (int i = 0; i < 200; ++i) {
    cycle();
    if (HasFatalFailure()) return;
  }
  test::PumpFor(50);
  EXPECT_EQ(test::ResourceSnapshot::Take(), before);
  EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), elements);
  EXPECT_EQ(LiveObjects<scDocument>::Count(), documents);
}

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

}  // namespace
}  // namespace velmor::window_test
