// Size handlers that resize while they run: handlers moving their own or each other's elements,
// and handlers laying the window out again, end after a bounded number of runs with the content
// laid out at the window's size; a handler that corrects the size once still sees the nested
// layout happen inside its own call.
#include <gtest/gtest.h>

#include <string>

#include "support/document_fixture.h"

namespace velmor::window_test {
namespace {

using SizeReentryTest = test::DocumentTest;

std::wstring Count(int runs) { return std::to_wstring(runs); }

TEST_F(SizeReentryTest, ResizingSizeHandlersEndAndLeaveTheLayoutAtTheWindowSize) {
  constexpr int kNested = scITextBaseContent::kMaxNestedSizeEvents;
  constexpr int kPasses = scDocument::kMaxNestedSizeChanges * (1 + scDocument::kMaxDeferredSizes);
  static const char kScript[] =
      "<script>var runs = 0, log = '', done = false, start = 0;"
      "function byId(id) { return document.getElementById(id); }</script>";
  struct Case {
    const char* name;
    const char* content;
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
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Load(std::string("<window>") + kScript + c.content + "</window>"), S_OK);
    Run(L"runs = 0; log = ''; done = false; start = byId('a').left;");
    ::SetWindowPos(Window(), nullptr, 0, 0, 320, 240, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::wstring expected = c.expected;
    const std::wstring width = std::to_wstring(ClientRect().right);
    for (size_t at; (at = expected.find(L'W')) != std::wstring::npos;) expected.replace(at, 1, width);
    EXPECT_EQ(Eval(L"runs + ',' + (byId('a').left - start) + ',' + log"), expected);
    EXPECT_EQ(RootRect(), ClientRect());
  }
}

}  // namespace
}  // namespace velmor::window_test
