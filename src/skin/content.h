// The content interfaces every live element implements: event target, node (tree links) and
// content (binding, attributes, state, geometry and painting hooks), plus the listener table and
// document interfaces the shared implementation talks to.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

#include <cstdint>

struct scIContent;
struct scIContentDocument;
struct IDOMEvent;

namespace velmor {
class scPrototypeElement;
}

// Records and paint contexts belong to the events and painting subsystems; the content
// interfaces only pass them through.
struct scEventRecord;
struct scPaintContext;

// The listener table of one element or document (created on first use by its owner).
struct scIEventListenerManager : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddEventListener(IUnknown* listener, const wchar_t* name,
                                                     ULONG flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveEventListener(IUnknown* listener,
                                                        const wchar_t* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddScriptEventListener(const wchar_t* name,
                                                           const wchar_t* scriptText,
                                                           ULONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE HasAttributeListener(const wchar_t* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE HandleEvent(scEventRecord* record, IDOMEvent** event,
                                                LONG* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE FireScriptEvent(const wchar_t* name, DISPPARAMS* params,
                                                    VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Disconnect() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetOwner(scIContent* owner) = 0;
};
__CRT_UUID_DECL(scIEventListenerManager, 0x3c1e4f0a, 0x7d52, 0x4b8e, 0x9a, 0x61, 0x2f, 0x0d, 0x84,
                0xc3, 0x5e, 0x17)

struct scIPDOMEventTarget : public IUnknown {
  virtual scIContent* STDMETHODCALLTYPE GetTargetContent() = 0;
  virtual HRESULT STDMETHODCALLTYPE DispatchToListeners(scEventRecord* record, IDOMEvent** event,
                                                        LONG* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord* record, LONG* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetListenerManager(BOOL create,
                                                       scIEventListenerManager** manager) = 0;
};
__CRT_UUID_DECL(scIPDOMEventTarget, 0x8b0f2d61, 0x3a4c, 0x4e97, 0xb2, 0x15, 0x6e, 0x90, 0x1d,
                0x72, 0xa4, 0xc8)

struct scINode : public scIPDOMEventTarget {
  virtual UINT STDMETHODCALLTYPE GetChildCount() = 0;
  virtual scIContent* STDMETHODCALLTYPE GetChildAt(UINT index) = 0;
  virtual int STDMETHODCALLTYPE IndexOf(scIContent* child) = 0;
  virtual HRESULT STDMETHODCALLTYPE InsertChildAt(scIContent* child, UINT index, BOOL notify) = 0;
  virtual HRESULT STDMETHODCALLTYPE AppendChildTo(scIContent* child, BOOL notify) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveChildAt(UINT index, BOOL notify) = 0;
};
__CRT_UUID_DECL(scINode, 0x51d7a3e2, 0x0c84, 0x4f6b, 0x8e, 0x3d, 0x97, 0x2a, 0x15, 0xb0, 0x6c,
                0x49)

struct scIContent : public scINode {
  virtual HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* document,
                                               scIContent* parent) = 0;
  virtual void STDMETHODCALLTYPE UnbindFromTree(BOOL deep, BOOL nullParent) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAttr(const wchar_t* name, const VARIANT& value,
                                            BOOL notify) = 0;
  virtual bool STDMETHODCALLTYPE GetAttr(const wchar_t* name, VARIANT* value) = 0;
  virtual bool STDMETHODCALLTYPE HasAttr(const wchar_t* name) = 0;
  virtual bool STDMETHODCALLTYPE AttrValueIs(const wchar_t* name, const VARIANT& value) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnsetAttr(const wchar_t* name, BOOL notify) = 0;
  virtual LONG STDMETHODCALLTYPE GetStoredValue() = 0;
  virtual ULONG STDMETHODCALLTYPE IntrinsicState() = 0;
  virtual void STDMETHODCALLTYPE ContentStateChanged() = 0;
  virtual HRESULT STDMETHODCALLTYPE InitFromPrototype(velmor::scPrototypeElement* prototype) = 0;
  virtual void STDMETHODCALLTYPE Destroy() = 0;
  virtual void STDMETHODCALLTYPE SetPositionRaw(int x, int y) = 0;
  virtual void STDMETHODCALLTYPE SetWidthRaw(int width) = 0;
  virtual void STDMETHODCALLTYPE SetHeightRaw(int height) = 0;
  virtual void STDMETHODCALLTYPE MoveSize(int x, int y, int width, int height) = 0;
  virtual bool STDMETHODCALLTYPE Paint(scPaintContext* context) = 0;
  virtual bool STDMETHODCALLTYPE LayoutChildren() = 0;
  virtual void STDMETHODCALLTYPE InvalidateRect(int x, int y, int width, int height) = 0;
  virtual void STDMETHODCALLTYPE SetVisible(bool visible) = 0;
};
__CRT_UUID_DECL(scIContent, 0xe2946c1b, 0x58af, 0x4d03, 0xa7, 0x7c, 0x0b, 0x31, 0xd8, 0x5f, 0x92,
                0x6e)

// The window handle behind an element or document.
struct scIWidget : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) = 0;
};
__CRT_UUID_DECL(scIWidget, 0x7f3b95c4, 0x2e18, 0x4a6d, 0x83, 0xf0, 0x5c, 0x49, 0xa2, 0x0e, 0xd1,
                0x3b)

// What the content tree needs from the document window that owns it. The document's COM identity
// is the one scripts see as `document`.
struct scIContentDocument : public IUnknown {
  // The window's script context (an object answering scIScriptContext and, for script files,
  // IJSSubScriptLoader), or S_FALSE and null when it has none (script elements are then skipped).
  virtual HRESULT STDMETHODCALLTYPE GetScriptContext(IUnknown** context) = 0;
  // Creates a listener table for an element; fails while the document cannot provide one.
  virtual HRESULT STDMETHODCALLTYPE CreateListenerManager(scIEventListenerManager** manager) = 0;
  // Hands a "keyset" element to the document's keyboard-shortcut manager.
  virtual HRESULT STDMETHODCALLTYPE AddKeySet(scIContent* keySet) = 0;
  // The id registry: the first element registered under an id keeps it.
  virtual HRESULT STDMETHODCALLTYPE RegisterElementId(const wchar_t* id, scIContent* element) = 0;
  virtual scIContent* STDMETHODCALLTYPE FindElementById(const wchar_t* id) = 0;
};
__CRT_UUID_DECL(scIContentDocument, 0x95a2c7d8, 0x1b6f, 0x4e30, 0x9d, 0x84, 0x3e, 0x27, 0xc0,
                0x5b, 0xa1, 0x76)
