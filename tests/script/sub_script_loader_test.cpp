// The script loader: files, streams and resources, the byte-order mark rule, file errors as
// HRESULTs, calls from scripts (global functions and the ScriptLoader object, through its
// type-library dispatch) and re-entry.
#include "script/sub_script_loader.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "script_test_support.h"
#include "support/test_env.h"

namespace velmor {
namespace {

using test::ScriptHost;
using test::Utf16Bytes;

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_host.created(), S_OK);
    ASSERT_EQ(m_host->QueryInterface(IID_PPV_ARGS(&m_loader)), S_OK);
  }
  // Clears the marker the test scripts set, so each case shows whether its text ran.
  void ResetMarker() { ASSERT_EQ(m_host->AddCode(L"ran = '';", L""), S_OK); }
  std::wstring Marker() const { return m_host.EvalString(L"ran"); }

  HRESULT FromFile(const std::wstring& path, const wchar_t* item = L"") {
    UniqueBstr bpath(path), bitem(item);
    return m_loader->LoadSubScriptFromFile(bpath.Get(), bitem.Get());
  }
  HRESULT ByName(const std::wstring& name) {
    UniqueBstr bname(name), bitem(L"");
    return m_loader->LoadSubScript(bname.Get(), bitem.Get());
  }
  HRESULT FromResource(const wchar_t* module, const wchar_t* name) {
    UniqueBstr bmodule(module), bname(name), bitem(L"");
    return m_loader->LoadSubScriptFromResource(module ? bmodule.Get() : nullptr,
                                               name ? bname.Get() : nullptr, bitem.Get());
  }

  ScriptHost m_host;
  ComPtr<IJSSubScriptLoader> m_loader;
  test::ChromeFolder m_chrome;
};

// The byte-order mark rule for files, files by name and streams alike.
TEST_F(LoaderTest, EncodingsAndSizes) {
  struct Case {
    const wchar_t* file;
    std::string bytes;
    HRESULT expected;
    bool runs;
  };
  const std::wstring text = L"ran = 'file';";
  const std::string utf8 = "ran = 'file';";
  const Case cases[] = {
      {L"utf16.js", Utf16Bytes(text), S_OK, true},
      // A trailing odd byte still leaves the text terminated.
      {L"odd.js", Utf16Bytes(text) + " ", S_OK, true},
      {L"utf8.js", utf8, S_FALSE, false},
      {L"utf8bom.js", "\xEF\xBB\xBF" + utf8, S_FALSE, false},
      {L"utf16nomark.js", Utf16Bytes(text, false), S_FALSE, false},
      {L"markonly.js", "\xFF\xFE", S_FALSE, false},
      {L"onebyte.js", "\xFF", S_FALSE, false},
      {L"empty.js", "", S_FALSE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file);
    m_chrome.Write(c.file, c.bytes);
    ResetMarker();
    EXPECT_EQ(FromFile(m_chrome.PathOf(c.file)), c.expected);
    EXPECT_EQ(Marker(), c.runs ? L"file" : L"");
    // By name from "chrome" and from a stream of the same bytes the result is the same.
    ResetMarker();
    EXPECT_EQ(ByName(m_chrome.NameOf(c.file)), c.expected);
    EXPECT_EQ(Marker(), c.runs ? L"file" : L"");
    ComPtr<IStream> stream;
    stream.Attach(::SHCreateMemStream(reinterpret_cast<const BYTE*>(c.bytes.data()),
                                      static_cast<UINT>(c.bytes.size())));
    stream->Release();  // mingw's Attach added a reference of its own
    ResetMarker();
    UniqueBstr item(L"");
    EXPECT_EQ(m_loader->LoadSubScriptFromStream(stream.Get(), item.Get()), c.expected);
    EXPECT_EQ(Marker(), c.runs ? L"file" : L"");
    stream->AddRef();
    EXPECT_EQ(stream->Release(), 1u) << "the loader keeps no reference";
  }
  ComPtr<test::CProbe> notAStream = test::MakeProbe(1);
  UniqueBstr item(L"");
  EXPECT_EQ(m_loader->LoadSubScriptFromStream(notAStream->GetUnknown(), item.Get()), E_NOINTERFACE);
}

TEST_F(LoaderTest, FileErrorsAreHresultsAndTheItemNameReachesTheEngine) {
  m_chrome.Write(L"broken.js", Utf16Bytes(L"function ( {"));
  EXPECT_EQ(FromFile(m_chrome.PathOf(L"missing.js")), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ByName(L"missing-script.js"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(m_loader->LoadSubScript(nullptr, nullptr), S_FALSE);
  // The engine's answer for the text comes back as it is; so does its answer for the item name.
  EXPECT_FAILED(FromFile(m_chrome.PathOf(L"broken.js")));
  m_chrome.Write(L"item.js", Utf16Bytes(L"ran = 'item';"));
  ResetMarker();
  EXPECT_FAILED(FromFile(m_chrome.PathOf(L"item.js"), L"noSuchItem"));
  EXPECT_EQ(Marker(), L"");
  UniqueBstr path(m_chrome.PathOf(L"item.js"));
  EXPECT_EQ(m_loader->LoadSubScriptFromFile(path.Get(), nullptr), S_OK);
  EXPECT_EQ(Marker(), L"item");
}

TEST_F(LoaderTest, Resources) {
  struct Case {
    const wchar_t* module;
    const wchar_t* name;
    HRESULT expected;
    bool runs;
  };
  const Case cases[] = {
      {L"script_tests.exe", L"marked.js", S_OK, true},
      {L"script_tests.exe", L"terminated.js", S_OK, true},
      {L"script_tests.exe", L"odd.js", S_OK, true},
      {L"script_tests.exe", L"markonly.js", S_OK, false},
      {L"script_tests.exe", L"nomark.js", E_INVALIDARG, false},
      {L"script_tests.exe", L"tiny.js", E_INVALIDARG, false},
      {L"script_tests.exe", L"missing.js", E_INVALIDARG, false},
      // Resources never load a module: one that is not loaded is an invalid argument.
      {L"notloaded.dll", L"marked.js", E_INVALIDARG, false},
      {nullptr, L"marked.js", E_POINTER, false},
      {L"script_tests.exe", nullptr, E_POINTER, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << (c.module ? c.module : L"(null)") << " " << (c.name ? c.name : L"(null)"));
    ResetMarker();
    EXPECT_EQ(FromResource(c.module, c.name), c.expected);
    EXPECT_EQ(Marker(), c.runs ? L"resource" : L"");
  }
  // The prelude is a resource of ui.dll like any other.
  EXPECT_EQ(FromResource(L"ui.dll", L"default.js"), S_OK);
}

TEST_F(LoaderTest, ScriptsCallTheLoaderAndMayNestLoads) {
  m_chrome.Write(L"inner.js", Utf16Bytes(L"order += 'b';"));
  m_chrome.Write(L"outer.js",
                 Utf16Bytes(L"order += 'a'; LoadSubScriptFromFile('" +
                            test::Escaped(m_chrome.PathOf(L"inner.js")) + L"'); order += 'c';"));
  const std::wstring outer = test::Escaped(m_chrome.PathOf(L"outer.js"));
  ASSERT_EQ(m_host->AddCode(L"var order = '';", L""), S_OK);
  // A global function and a method of ScriptLoader, with and without the item name.
  ASSERT_EQ(m_host->AddCode((L"LoadSubScriptFromFile('" + outer + L"');").c_str(), L""), S_OK);
  ASSERT_EQ(
      m_host->AddCode((L"ScriptLoader.LoadSubScriptFromFile('" + outer + L"', '');").c_str(), L""),
      S_OK);
  EXPECT_EQ(m_host.EvalString(L"order"), L"abcabc");
  // A loader failure is a script exception carrying the HRESULT.
  ASSERT_EQ(m_host->AddCode(L"var caught = 0;\n"
                            L"try { LoadSubScriptFromFile('Z:\\\\no\\\\such\\\\file.js'); }\n"
                            L"catch (e) { caught = e.number; }",
                            L""),
            S_OK);
  EXPECT_EQ(m_host.EvalLong(L"caught"),
            static_cast<long>(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)));
}

// A loader whose owner is neither kind of engine owner has nowhere to run text.
TEST(LoaderWithoutOwner, RunsNothing) {
  ComPtr<test::CProbe> outer = test::MakeProbe(1);
  ComPtr<IUnknown> inner;
  ASSERT_EQ(CJSSubScriptLoader::Create(outer->GetUnknown(), inner.GetAddressOf()), S_OK);
  ComPtr<IJSSubScriptLoader> loader;
  ASSERT_EQ(inner->QueryInterface(IID_PPV_ARGS(&loader)), S_OK);
  test::ChromeFolder chrome;
  chrome.Write(L"a.js", Utf16Bytes(L"var a = 1;"));
  UniqueBstr path(chrome.PathOf(L"a.js")), missing(chrome.PathOf(L"none.js")), item(L"");
  UniqueBstr module(L"script_tests.exe"), name(L"marked.js");
  EXPECT_EQ(loader->LoadSubScriptFromFile(path.Get(), item.Get()), E_UNEXPECTED);
  EXPECT_EQ(loader->LoadSubScriptFromFile(missing.Get(), item.Get()),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(loader->LoadSubScriptFromResource(module.Get(), name.Get(), item.Get()), E_UNEXPECTED);
}

}  // namespace
}  // namespace velmor
