// Listener tables and dispatch to one element: entries and their order, attribute handlers and
// native listeners together, what a handler's return value means, cancelable and custom records,
// the event object during and after its dispatch, changes to a table while it is walked; and the
// events the document fires: "load", "sizemode", "size" on every move/size, "unload".

#include "events/dom_event.h"
#include "support/document_fixture.h"

namespace velmor::events_test {
namespace {

using test::CallbackListener;
using test::kRecorderScript;
using EventsTest = test::DocumentTest;

// X carries attribute handlers; Y has none.
std::string Skin() {
  return std::string("<window id='W'><script>") + kRecorderScript +
         "</script>"
         "<button id='X' left='0' top='0' width='10' height='10' onclick='log(\"attr\")'"
         " onCLICK='log(\"upper attr:\" + event.type)' onprobe='log(\"probe\")'"
         " on='log(\"bare\")' Onfoo='x' o='y'"
         " oncommand='return nameOf(this) + \":\" + arguments[0];'/>"
         "<button id='Y' left='20' top='0' width='10' height='10'/>"
         "</window>";
}

// Dispatches a mouse record of 'type' to an element; answers the status the dispatch left.
LONG Fire(scIContent* element, uint32_t type) {
  scMouseEventRecord record(false, type);
  LONG status = kEventStatusNone;
  (void)DispatchEventToTarget(element, &record, nullptr, &status);
  return status;
}

ComPtr<CallbackListener> Native(std::vector<std::wstring>& log, const wchar_t* text) {
  return test::MakeListener([&log, text](IDOMEvent*) { log.push_back(text); });
}

class ListenerTest : public EventsTest {
 protected:
  void SetUp() override {
    EventsTest::SetUp();
    ASSERT_EQ(Load(Skin(), 320, 240), S_OK);
  }
};

TEST_F(ListenerTest, AttributeHandlersAndNativeListenersRunInOrderAdded) {
  // Both attributes are registered under their own names, in alphabetical order ("onCLICK"
  // sorts before "onclick"); both match the click listener name. Native listeners follow.
  std::vector<std::wstring> log;
  ComPtr<scIEventListenerManager> table = Listeners(L"X");
  EXPECT_EQ(Listeners(L"X").Get(), table.Get()) << "one table per element";
  ComPtr<CallbackListener> native = Native(log, L"native");
  ASSERT_EQ(table->AddEventListener(native->GetUnknown(), L"onclick", 0), S_OK);
  ComPtr<CallbackListener> upper = Native(log, L"native upper");
  ASSERT_EQ(table->AddEventListener(upper->GetUnknown(), L"ONCLICK", 0), S_OK);
  Fire(Element(L"X"), kEventClick);
  EXPECT_EQ(TakeTrace(), L"upper attr:click attr");
  EXPECT_EQ(log, (std::vector<std::wstring>{L"native", L"native upper"}));
  // Exact names, and only attributes beginning with "on".
  for (const wchar_t* name : {L"onclick", L"onCLICK", L"on"})
    EXPECT_EQ(table->HasAttributeListener(name), S_OK) << name;
  for (const wchar_t* name : {L"ONCLICK", L"onmouseup", L"Onfoo", L"o"})
    EXPECT_EQ(table->HasAttributeListener(name), E_FAIL) << name;
  // A second attribute handler for a name takes the first one's place, ahead of the native.
  ASSERT_EQ(table->AddScriptEventListener(L"onclick", L"log('attr 2')", 1), S_OK);
  Fire(Element(L"X"), kEventClick);
  EXPECT_EQ(TakeTrace(), L"upper attr:click attr 2");
  EXPECT_EQ(native->Calls(), 2);

  // A script event calls the matching script entries only, with its arguments, by either name.
  table->AddEventListener(native->GetUnknown(), L"oncommand", 0);
  UniqueBstr text(L"argument");
  VARIANT arg;
  arg.vt = VT_BSTR;
  arg.bstrVal = text.Get();
  DISPPARAMS params{&arg, nullptr, 1, 0};
  for (const wchar_t* name : {L"command", L"onCommand", L"nothing"}) {
    UniqueVariant result;
    EXPECT_EQ(table->FireScriptEvent(name, &params, result.Put()), S_OK);
    EXPECT_EQ(std::wstring(result.vt == VT_BSTR ? result.bstrVal : L"(none)"),
              std::wstring(name) == L"nothing" ? L"(none)" : L"X:argument");
  }
  EXPECT_EQ(native->Calls(), 2);
}

TEST_F(ListenerTest, SameListenerObjectOncePerNameAndArgumentErrors) {
  std::vector<std::wstring> log;
  ComPtr<scIEventListenerManager> table = Listeners(L"Y");
  ComPtr<CallbackListener> listener = Native(log, L"heard");
  ASSERT_EQ(table->AddEventListener(listener->GetUnknown(), L"onclick", 0), S_OK);
  ASSERT_EQ(table->AddEventListener(listener->GetUnknown(), L"onclick", 0), S_OK);
  ASSERT_EQ(table->AddEventListener(listener->GetUnknown(), L"onmouseup", 0), S_OK);
  Fire(Element(L"Y"), kEventClick);
  EXPECT_EQ(listener->Calls(), 1);
  Fire(Element(L"Y"), kEventLButtonUp);
  EXPECT_EQ(listener->Calls(), 2);
  // One entry under "onclick": the first removal takes it, the second finds nothing.
  EXPECT_EQ(table->RemoveEventListener(listener->GetUnknown(), L"onclick"), S_OK);
  EXPECT_EQ(table->RemoveEventListener(listener->GetUnknown(), L"onclick"), E_FAIL);
  Fire(Element(L"Y"), kEventClick);
  EXPECT_EQ(listener->Calls(), 2);
  Fire(Element(L"Y"), kEventLButtonUp);
  EXPECT_EQ(listener->Calls(), 3);

  // An object that is neither a native listener nor a function.
  ComPtr<scIEventListenerManager> other;
  ASSERT_EQ(scEventListenerManager::Create(&other), S_OK);
  EXPECT_EQ(table->AddEventListener(other.Get(), L"onclick", 0), E_NOINTERFACE);
  EXPECT_EQ(table->RemoveEventListener(other.Get(), L"onclick"), E_NOINTERFACE);
  // A table without owner cannot compile; an owner is given once.
  EXPECT_EQ(other->AddScriptEventListener(L"onclick", L"log(1)", 1), E_UNEXPECTED);
  EXPECT_EQ(table->SetOwner(Element(L"X")), E_UNEXPECTED);
  EXPECT_EQ(other->SetOwner(Element(L"X")), S_OK);
  EXPECT_EQ(other->SetOwner(Element(L"Y")), E_UNEXPECTED);
  EXPECT_EQ(other->Disconnect(), S_OK);
}

// What a handler's result means for the default action.
struct ReturnCase {
  const wchar_t* body;
  uint32_t recordFlags;
  LONG statusIn;
  LONG expectedStatus;
};

const ReturnCase kReturnCases[] = {
    {L"return false;", 0, kEventStatusNone, kEventStatusPrevented},
    {L"event.preventDefault();", 0, kEventStatusNone, kEventStatusPrevented},
    {L"return 0;", 0, kEventStatusNone, kEventStatusNone},
    {L"return '';", 0, kEventStatusNone, kEventStatusNone},
    {L"return null;", 0, kEventStatusNone, kEventStatusNone},
    {L"return true;", 0, kEventStatusNone, kEventStatusNone},
    {L"log('nothing');", 0, kEventStatusNone, kEventStatusNone},
    // A script error ends the handler, not the dispatch; nothing prevented.
    {L"undefinedFunction(); return false;", 0, kEventStatusNone, kEventStatusNone},
    // Not cancelable: neither way prevents.
    {L"return false;", kEventFlagNotCancelable, kEventStatusNone, kEventStatusNone},
    {L"event.preventDefault();", kEventFlagNotCancelable, kEventStatusNone, kEventStatusNone},
    // Started as prevented by the dispatcher.
    {L"return true;", 0, kEventStatusStartPrevented, kEventStatusPrevented},
    // Listeners not run: nothing happens at all.
    {L"return false;", kEventFlagNoListeners, kEventStatusNone, kEventStatusNone},
};

// Each row's handler takes the place of the previous row's: one attribute handler per name.
TEST_F(ListenerTest, HandlerResultsDecideTheDefault) {
  ComPtr<scIEventListenerManager> table = Listeners(L"X");
  for (const ReturnCase& c : kReturnCases) {
    ASSERT_EQ(table->AddScriptEventListener(L"onprobe", c.body, 1), S_OK);
    scEventRecord record(false, kEventClassPlain, kEventCustom);
    record.customType = L"probe";
    record.flags |= c.recordFlags;
    LONG status = c.statusIn;
    EXPECT_EQ(DispatchEventToTarget(Element(L"X"), &record, nullptr, &status), S_OK);
    EXPECT_EQ(status, c.expectedStatus) << c.body;
    EXPECT_EQ((record.flags & kEventFlagPrevented) != 0, c.expectedStatus == kEventStatusPrevented)
        << c.body;
    EXPECT_EQ(record.flags & kEventFlagInListeners, 0u);
    EXPECT_FALSE(record.target) << "the record's target is restored after the listeners";
  }
  EXPECT_EQ(TakeTrace(), L"nothing") << "one handler ran each time";
}

// initEvent: the recognised names per record class, everything else a custom event whose type
// answers the name and whose listeners are "on" + the name.
struct InitCase {
  uint8_t eventClass;
  const wchar_t* argument;
  uint32_t expectedType;
  const wchar_t* expectedTypeText;
};

const InitCase kInitCases[] = {
    {kEventClassMouse, L"click", kEventClick, L"click"},
    {kEventClassMouse, L"CLICK", kEventClick, L"click"},
    {kEventClassMouse, L"mouseover", kEventMouseOver, L"mouseover"},
    {kEventClassMouse, L"mousedown", kEventLButtonDown, L"mousedown"},
    {kEventClassMouse, L"load", kEventCustom, L"load"},
    {kEventClassMouse, L"command", kEventCustom, L"command"},
    {kEventClassPlain, L"load", kEventLoad, L"load"},
    {kEventClassPlain, L"Unload", kEventUnload, L"unload"},
    {kEventClassPlain, L"click", kEventCustom, L"click"},
};

class InitEventTest : public ListenerTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(InitEventTest, SetsTypeAndName) {
  const InitCase& c = GetParam();
  ComPtr<scIEventListenerManager> table = Listeners(L"Y");
  const std::wstring body =
      std::wstring(L"event.initEvent('") + c.argument + L"'); log(event.type);";
  ASSERT_EQ(table->AddScriptEventListener(L"onstart", body.c_str(), 1), S_OK);
  scMouseEventRecord mouse(false, kEventCustom);
  scEventRecord plain(false, kEventClassPlain, kEventCustom);
  scEventRecord& record =
      c.eventClass == kEventClassMouse ? static_cast<scEventRecord&>(mouse) : plain;
  record.customType = L"start";
  EXPECT_HRESULT_SUCCEEDED(DispatchEventToTarget(Element(L"Y"), &record, nullptr, nullptr));
  EXPECT_EQ(record.type, c.expectedType);
  EXPECT_EQ(TakeTrace(), c.expectedTypeText);
  // Dispatched again, the record reaches the listeners of its new name.
  const std::wstring listener = std::wstring(L"on") + c.expectedTypeText;
  std::vector<std::wstring> log;
  ComPtr<CallbackListener> native = Native(log, L"heard");
  table->AddEventListener(native->GetUnknown(), listener.c_str(), 0);
  EXPECT_HRESULT_SUCCEEDED(DispatchEventToTarget(Element(L"Y"), &record, nullptr, nullptr));
  EXPECT_EQ(native->Calls(), 1) << listener;
}

INSTANTIATE_TEST_SUITE_P(Names, InitEventTest, ::testing::ValuesIn(kInitCases));

TEST_F(ListenerTest, EventObjectKeptByAScriptNeverReachesTheRecordAgain) {
  ComPtr<scIEventListenerManager> table = Listeners(L"Y");
  ASSERT_EQ(table->AddScriptEventListener(L"onclick", L"kept = event; log(kept.type);", 1), S_OK);
  {
    scMouseEventRecord record(false, kEventClick);
    record.point = {5, 6};
    EXPECT_HRESULT_SUCCEEDED(DispatchEventToTarget(Element(L"Y"), &record, nullptr, nullptr));
  }
  EXPECT_EQ(TakeTrace(), L"click");
  // The record is gone: the members that need it fail, the mouse members answer what they can
  // without it.
  EXPECT_EQ(Eval(L"(function(){ try { return kept.type; } catch (e) { return 'threw'; } })()"),
            L"threw");
  EXPECT_EQ(Eval(L"(function(){ try { kept.preventDefault(); return 'ran'; } catch (e) {"
                 L" return 'threw'; } })()"),
            L"threw");
  EXPECT_EQ(Eval(L"[kept.clientX, kept.screenY, kept.button, kept.ctrlKey,"
                 L" kept.relatedTarget === null].join()"),
            L"0,0,0,false,true");
}

TEST_F(ListenerTest, WalkSurvivesChangesToTheTable) {
  std::vector<std::wstring> log;
  ComPtr<scIEventListenerManager> table = Listeners(L"Y");
  ComPtr<CallbackListener> second = Native(log, L"second");
  ComPtr<CallbackListener> added = Native(log, L"added");
  ComPtr<CallbackListener> first = test::MakeListener([&](IDOMEvent*) {
    log.push_back(L"first");
    // Removes itself and the next entry, adds one at the end.
    table->RemoveEventListener(first->GetUnknown(), L"onclick");
    table->RemoveEventListener(second->GetUnknown(), L"onclick");
    table->AddEventListener(added->GetUnknown(), L"onclick", 0);
  });
  table->AddEventListener(first->GetUnknown(), L"onclick", 0);
  table->AddEventListener(second->GetUnknown(), L"onclick", 0);
  Fire(Element(L"Y"), kEventClick);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"first"}));
  // Entries added during a walk run from the next event on.
  Fire(Element(L"Y"), kEventClick);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"first", L"added"}));
  // A listener that disconnects the whole table ends the walk cleanly.
  ComPtr<CallbackListener> disconnect = test::MakeListener([&](IDOMEvent*) { table->Disconnect(); });
  ComPtr<CallbackListener> after = Native(log, L"after disconnect");
  Listeners(L"X")->AddEventListener(disconnect->GetUnknown(), L"onmouseup", 0);
  Listeners(L"X")->AddEventListener(after->GetUnknown(), L"onmouseup", 0);
  table = Listeners(L"X");
  Fire(Element(L"X"), kEventLButtonUp);
  EXPECT_EQ(after->Calls(), 0);
}

TEST_F(ListenerTest, NestedDispatchFromAHandler) {
  std::vector<std::wstring> log;
  ComPtr<CallbackListener> inner = Native(log, L"inner");
  Listeners(L"X")->AddEventListener(inner->GetUnknown(), L"onmouseup", 0);
  ComPtr<CallbackListener> outer = test::MakeListener([&](IDOMEvent* event) {
    log.push_back(L"outer");
    Fire(Element(L"X"), kEventLButtonUp);
    // The outer record is still marked as running its listeners.
    scEventRecord* record = RecordOfDOMEvent(event);
    log.push_back(record != nullptr && (record->flags & kEventFlagInListeners) ? L"still running"
                                                                               : L"lost");
  });
  Listeners(L"Y")->AddEventListener(outer->GetUnknown(), L"onclick", 0);
  Fire(Element(L"Y"), kEventClick);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"outer", L"inner", L"still running"}));
}

// A skin's handlers are compiled when first needed; one that does not compile is never a
// listener, whichever way it is first reached: its event, a call by name, a lookup of its name,
// or a later handler of the same name (which then goes last, not in the broken one's place).
TEST_F(EventsTest, SkinHandlersThatDoNotCompileAreNeverListeners) {
  ASSERT_EQ(Load(std::string("<window><script>") + kRecorderScript +
                     "</script><button id='B' left='0' top='0' width='10' height='10'"
                     " onmousedown='log(\"down\")' onmouseup='log(' onclick='log(\"click\")'"
                     " oncommand='}' onmouseout='log('/></window>",
                 320, 240),
            S_OK);
  for (uint32_t type : {kEventLButtonDown, kEventLButtonUp, kEventClick})
    EXPECT_EQ(Fire(Element(L"B"), type), kEventStatusNone);
  EXPECT_EQ(TakeTrace(), L"down click");
  ComPtr<scIEventListenerManager> table = Listeners(L"B");
  UniqueVariant result;
  DISPPARAMS noArguments{};
  EXPECT_EQ(table->FireScriptEvent(L"command", &noArguments, result.Put()), S_OK);
  EXPECT_EQ(result.vt, VT_EMPTY);
  static const struct {
    const wchar_t* name;
    HRESULT has;
  } kNames[] = {{L"onmousedown", S_OK}, {L"onmouseup", E_FAIL}, {L"onclick", S_OK},
                {L"oncommand", E_FAIL}};
  for (const auto& row : kNames) EXPECT_EQ(table->HasAttributeListener(row.name), row.has) << row.name;
  ComPtr<CallbackListener> native;
  ASSERT_HRESULT_SUCCEEDED(
      CallbackListener::CreateObject(&native, [this](IDOMEvent*) { Eval(L"log('native')"); }));
  ASSERT_EQ(table->AddEventListener(native->GetUnknown(), L"onmouseout", 0), S_OK);
  ASSERT_EQ(table->AddScriptEventListener(L"onmouseout", L"log('out')", 1), S_OK);
  Fire(Element(L"B"), kEventMouseOut);
  EXPECT_EQ(TakeTrace(), L"native out");
}

namespace document_events {

const char kSkin[] =
    "<window id='W' onload='log(\"load\")' onunload='log(\"unload\")'"
    " onsizemode='log(\"sizemode \" + window_sizemode())'>"
    "<script>var trace = []; var keep = false; function log(s) { trace.push(s); }"
    " var mode = -1; function window_sizemode() { return 'fired'; }</script>"
    "<subwindow id='S' left='0' top='0' width='100' height='100' horizontalAlignment='stretch'"
    " onsize='log(\"size \" + event.type); if (keep) return false;'>"
    "<button id='K' left='10' top='10' width='20' height='20' horizontalAlignment='right'/>"
    "</subwindow>"
    "</window>";

// "load" once, before the first layout of the loaded document (whose "size" events follow);
// "sizemode" on a change of size type only; "size" on every move/size, a prevented one leaving
// the children where they are; "unload" when the window goes, while its scripts still run.
TEST_F(EventsTest, DocumentFiresLoadSizemodeSizeAndUnload) {
  ASSERT_EQ(Load(kSkin, 320, 240), S_OK);
  std::wstring trace = TakeTrace();
  EXPECT_EQ(trace.rfind(L"load", 0), 0u) << trace;
  EXPECT_EQ(trace.find(L"load", 1), std::wstring::npos) << trace;
  for (const int width : {320, 300}) {
    Send(WM_SIZE, width, 240, SIZE_MAXIMIZED);
    trace = TakeTrace();
    EXPECT_EQ(trace.find(L"sizemode fired") != std::wstring::npos, width == 320) << trace;
  }

  scITextBaseContent* s = Impl(L"S");
  scITextBaseContent* k = Impl(L"K");
  s->MoveSize(0, 0, 200, 100);
  EXPECT_EQ(TakeTrace(), L"size size");
  const int laidOut = k->Rect().x;
  EXPECT_EQ(laidOut, 200 - 100 + 10) << "a right-aligned child follows the right edge";
  Eval(L"keep = true");
  s->MoveSize(0, 0, 250, 100);
  EXPECT_EQ(TakeTrace(), L"size size");
  EXPECT_EQ(k->Rect().x, laidOut) << "a prevented size event leaves the children alone";

  // A native listener after the attribute handler reads what the handler recorded.
  std::wstring seen = L"(not called)";
  ComPtr<CallbackListener> reader = test::MakeListener([&](IDOMEvent*) { seen = Eval(L"trace.join(' ')"); });
  ASSERT_EQ(Listeners(L"W")->AddEventListener(reader->GetUnknown(), L"onunload", 0), S_OK);
  EXPECT_HRESULT_SUCCEEDED(m_document->Destroy());
  EXPECT_EQ(seen, L"unload");
  EXPECT_EQ(reader->Calls(), 1);
}

}  // namespace document_events

// An element makes its listener table from its skin's handlers only for an event one of them
// may hear (names compared without letter case). Either way a dispatch answers as if the table
// had been made at load: the handlers that hear it run, and the status comes back the same.
struct WaitingCase {
  const char* handlers;
  uint32_t type;  // kEventSize is sent by moving the element
  const wchar_t* customType;
  const wchar_t* trace;
};

const WaitingCase kWaitingCases[] = {
    {"onCLICK='log(\"upper\")' onclic='log(1)' onclickx='log(2)'", kEventClick, nullptr,
     L"upper"},
    {"onclic='log(1)' onclickx='log(2)' onmouseup='log(3)' onKlick='log(4)'", kEventClick,
     nullptr, L""},
    {"oncommand='log(event.type)' onc='log(1)'", kEventCustom, L"COMMAND", L"COMMAND"},
    {"onSize='log(\"resized\")' onclick='log(1)'", kEventSize, nullptr, L"resized"},
    {"onsizemode='log(1)' onsiz='log(2)'", kEventSize, nullptr, L""},
};

class WaitingHandlersTest : public EventsTest,
                            public ::testing::WithParamInterface<WaitingCase> {};

TEST_P(WaitingHandlersTest, TableIsMadeOnlyForAnEventAHandlerMayHear) {
  const WaitingCase& c = GetParam();
  ASSERT_EQ(Load(std::string("<window><script>") + kRecorderScript +
                     "</script><button id='B' left='0' top='0' width='10' height='10' " +
                     c.handlers + "/></window>",
                 320, 240),
            S_OK);
  TakeTrace();  // the size events of the first layout
  auto* element = scITextBaseContent::FromContent(Element(L"B"));
  if (c.type == kEventSize) {
    element->MoveSize(1, 1, 12, 12);
  } else {
    scMouseEventRecord record(false, c.type);
    if (c.customType != nullptr) record.customType = c.customType;
    LONG status = kEventStatusStartPrevented;
    EXPECT_EQ(DispatchEventToTarget(element, &record, nullptr, &status), S_OK);
    EXPECT_EQ(status, kEventStatusPrevented);
  }
  EXPECT_EQ(TakeTrace(), c.trace);
  EXPECT_EQ(element->HasWaitingSkinHandlers(), *c.trace == L'\0');
}

INSTANTIATE_TEST_SUITE_P(Events, WaitingHandlersTest, ::testing::ValuesIn(kWaitingCases));

}  // namespace
}  // namespace velmor::events_test
