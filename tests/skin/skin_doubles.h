// Test doubles for the content tree: a document that owns a content tree and records what the
// builder hands it, a listener table that records script handlers, and a script context that
// records the script elements it is asked to run.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "support/no_dispatch.h"
#include "script/script_context.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "skin/dom_document_impl.h"
#include "ui_h.h"

namespace velmor::test {

using Log = std::vector<std::wstring>;

// Records every AddScriptEventListener as "<owner id>:<name>=<text>/<flag>".
class RecordingListenerManager final
    : public ComObject<RecordingListenerManager, scIEventListenerManager> {
 public:
  explicit RecordingListenerManager(Log& log) : m_log(log) {}
  HRESULT STDMETHODCALLTYPE AddEventListener(IUnknown*, const wchar_t*, ULONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemoveEventListener(IUnknown*, const wchar_t*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AddScriptEventListener(const wchar_t* name, const wchar_t* text,
                                                   ULONG flag) override;
  HRESULT STDMETHODCALLTYPE HasAttributeListener(const wchar_t*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE HandleEvent(scEventRecord*, IDOMEvent**, LONG* status) override {
    m_log.push_back(L"handle");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FireScriptEvent(const wchar_t*, DISPPARAMS*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Disconnect() override {
    m_owner = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetOwner(scIContent* owner) override {
    m_owner = owner;
    return S_OK;
  }
  scIContent* Owner() const { return m_owner; }

 private:
  Log& m_log;
  scIContent* m_owner = nullptr;
};

class TestDocument;

// Records "text:<code>" for inline script text, followed by "+" when an element with the id named
// by the text exists at that moment and "-" otherwise; "file:<path>" for a loaded source.
class RecordingScriptContext final
    : public ComObject<RecordingScriptContext, scIScriptContext, NoDispatch<IJSSubScriptLoader>,
                       Also<IDispatch, NoDispatch<IJSSubScriptLoader>>> {
 public:
  RecordingScriptContext(Log& log, TestDocument& document) : m_log(log), m_document(document) {}
  // scIScriptContext: the builder runs inline text with ExecuteScript; everything else is
  // recorded as a call it must not make.
  HRESULT STDMETHODCALLTYPE ExecuteScript(const wchar_t* code, const wchar_t* itemName) override;
  LONG STDMETHODCALLTYPE GetScriptTypeId() override {
    Unexpected(L"GetScriptTypeId");
    return 2;
  }
  HRESULT STDMETHODCALLTYPE AddObject(const wchar_t*, IUnknown*) override {
    return Unexpected(L"AddObject");
  }
  HRESULT STDMETHODCALLTYPE GetScriptDispatch(const wchar_t*, IDispatch**) override {
    return Unexpected(L"GetScriptDispatch");
  }
  HRESULT STDMETHODCALLTYPE Reserved(IUnknown*) override { return Unexpected(L"Reserved"); }
  HRESULT STDMETHODCALLTYPE CompileEventHandler(const wchar_t*, IDispatch**, ULONG,
                                                const wchar_t* const*, const wchar_t*) override {
    return Unexpected(L"CompileEventHandler");
  }
  HRESULT STDMETHODCALLTYPE Connect() override { return Unexpected(L"Connect"); }
  HRESULT STDMETHODCALLTYPE EvaluateString(const wchar_t*, const wchar_t*, VARIANT*) override {
    return Unexpected(L"EvaluateString");
  }
  HRESULT STDMETHODCALLTYPE CompileFunction(const wchar_t*, ULONG, const wchar_t* const*,
                                            const wchar_t*, IDispatch**) override {
    return Unexpected(L"CompileFunction");
  }
  HRESULT STDMETHODCALLTYPE CreateDebugSupport() override {
    return Unexpected(L"CreateDebugSupport");
  }
  IUnknown* STDMETHODCALLTYPE GetIdentity() override { return GetUnknown(); }
  STDMETHODIMP LoadSubScriptFromFile(BSTR path, BSTR itemName) override;
  STDMETHODIMP LoadSubScript(BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP LoadSubScriptFromResource(BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP LoadSubScriptFromStream(IUnknown*, BSTR) override { return E_NOTIMPL; }

 private:
  HRESULT Unexpected(const wchar_t* call) {
    m_log.push_back(std::wstring(L"unexpected:") + call);
    return E_NOTIMPL;
  }
  Log& m_log;
  TestDocument& m_document;
};

// A document as the content tree sees it: id registry, key-set hand-off, optional script context,
// optional listener tables, and the script node interface with getElementById.
class TestDocument final
    : public ComObject<TestDocument, scIContentDocument, IDOMDocumentImpl<TestDocument, NoDispatch<IDOMDocument>>,
                       Also<IDispatch, IDOMDocumentImpl<TestDocument, NoDispatch<IDOMDocument>>>, scIWidget> {
 public:
  TestDocument() = default;
  ~TestDocument() override { m_content.Clear(); }

  // scIContentDocument
  HRESULT STDMETHODCALLTYPE GetScriptContext(IUnknown** context) override;
  HRESULT STDMETHODCALLTYPE CreateListenerManager(scIEventListenerManager** manager) override;
  HRESULT STDMETHODCALLTYPE AddKeySet(scIContent* keySet) override;
  HRESULT STDMETHODCALLTYPE RegisterElementId(const wchar_t* id, scIContent* element) override {
    return m_content.RegisterId(id, element);
  }
  scIContent* STDMETHODCALLTYPE FindElementById(const wchar_t* id) override {
    return m_content.FindById(id);
  }
  // scIWidget
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  // IDOMDocument: only getElementById is the document's content part.
  STDMETHODIMP get_nodeName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_parentNode(IDOMNode**) override { return E_NOTIMPL; }
  STDMETHODIMP get_firstChild(IDOMNode**) override { return E_NOTIMPL; }
  STDMETHODIMP get_lastChild(IDOMNode**) override { return E_NOTIMPL; }
  STDMETHODIMP get_previousSibling(IDOMNode**) override { return E_NOTIMPL; }
  STDMETHODIMP get_nextSibling(IDOMNode**) override { return E_NOTIMPL; }
  STDMETHODIMP get_ownerDocument(IDispatch**) override { return E_NOTIMPL; }

  scDocumentContent& DocumentContent() { return m_content; }

  // Test controls.
  void EnableScripts() { m_scripts = true; }
  void EnableListeners() { m_listeners = true; }
  void SetWindow(HWND window) { m_window = window; }
  Log log;
  std::vector<scIContent*> keySets;
  int windowQueries = 0;

 private:
  scDocumentContent m_content{this};
  bool m_scripts = false;
  bool m_listeners = false;
  HWND m_window = nullptr;
  ComPtr<IUnknown> m_context;
};

std::string Utf8(const std::wstring& text);

}  // namespace velmor::test
