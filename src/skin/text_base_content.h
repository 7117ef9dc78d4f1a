// The implementation of the content interfaces that every element class shares: tree links with
// the parent/document link word, binding, the two-layer attribute store (script-set values over
// the prototype's strings), state bits and geometry. Element classes derive from it and override
// what their own behaviour needs. The geometry operations (common attributes, move/size, the
// anchoring layout, invalidation, visibility and the lock counters) live in content_geometry.cpp.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/bstr.h"
#include "base/com_object.h"
#include "skin/anchor_layout.h"
#include "skin/content.h"

namespace velmor {

class scPrototypeElement;

class scITextBaseContent : public scIContent, private LiveObjectCounter<scITextBaseContent> {
 public:
  using ComInterface = scIContent;

  // How many size events may be handled one inside another (a size handler that moves an
  // element raises that element's event before it returns). Deeper ones reach no listener.
  static constexpr int kMaxNestedSizeEvents = 8;
  // How many nested size events may reach listeners under one outermost one: handlers that
  // each move several elements branch at every level, so the depth bound alone still allowed
  // thousands of runs (three moves a handler: 3^8).
  static constexpr int kMaxSizeEventsPerCascade = 1024;

  // scIPDOMEventTarget
  scIContent* STDMETHODCALLTYPE GetTargetContent() override { return this; }
  HRESULT STDMETHODCALLTYPE DispatchToListeners(scEventRecord* record, IDOMEvent** event,
                                                LONG* status) override;
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord* record, LONG* status) override;
  HRESULT STDMETHODCALLTYPE GetListenerManager(BOOL create,
                                               scIEventListenerManager** manager) override;
  // scINode
  UINT STDMETHODCALLTYPE GetChildCount() override { return m_childCount; }
  scIContent* STDMETHODCALLTYPE GetChildAt(UINT index) override;
  int STDMETHODCALLTYPE IndexOf(scIContent* child) override;
  HRESULT STDMETHODCALLTYPE InsertChildAt(scIContent* child, UINT index, BOOL notify) override;
  HRESULT STDMETHODCALLTYPE AppendChildTo(scIContent* child, BOOL notify) override;
  HRESULT STDMETHODCALLTYPE RemoveChildAt(UINT index, BOOL notify) override { return E_NOTIMPL; }
  // scIContent
  HRESULT STDMETHODCALLTYPE BindToTree(scIContentDocument* document, scIContent* parent) override;
  void STDMETHODCALLTYPE UnbindFromTree(BOOL deep, BOOL nullParent) override;
  HRESULT STDMETHODCALLTYPE SetAttr(const wchar_t* name, const VARIANT& value,
                                    BOOL notify) override;
  bool STDMETHODCALLTYPE GetAttr(const wchar_t* name, VARIANT* value) override;
  bool STDMETHODCALLTYPE HasAttr(const wchar_t* name) override;
  bool STDMETHODCALLTYPE AttrValueIs(const wchar_t* name, const VARIANT& value) override;
  HRESULT STDMETHODCALLTYPE UnsetAttr(const wchar_t* name, BOOL notify) override;
  // No element class keeps a stored value.
  LONG STDMETHODCALLTYPE GetStoredValue() override { return 0; }
  ULONG STDMETHODCALLTYPE IntrinsicState() override;
  void STDMETHODCALLTYPE ContentStateChanged() override;
  HRESULT STDMETHODCALLTYPE InitFromPrototype(scPrototypeElement* prototype) override;
  void STDMETHODCALLTYPE Destroy() override;
  void STDMETHODCALLTYPE SetPositionRaw(int x, int y) override;
  void STDMETHODCALLTYPE SetWidthRaw(int width) override { m_rect.width = width; }
  void STDMETHODCALLTYPE SetHeightRaw(int height) override { m_rect.height = height; }
  void STDMETHODCALLTYPE MoveSize(int x, int y, int width, int height) override;
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override { return PaintLockCount() == 0; }
  bool STDMETHODCALLTYPE LayoutChildren() override;
  void STDMETHODCALLTYPE InvalidateRect(int x, int y, int width, int height) override;
  void STDMETHODCALLTYPE SetVisible(bool visible) override;

  // Geometry for native code and the script interfaces.
  const scRect& Rect() const { return m_rect; }
  const scRect& DesignRect() const { return m_design; }
  uint32_t Alignment() const { return m_alignment; }
  // Replaces the alignment flags (kAlignHorizontalMask and kAlignVerticalMask bits); the
  // children are not laid out again.
  void SetAlignment(uint32_t flags) { m_alignment = static_cast<uint8_t>(flags); }
  bool IsVisible() const { return m_visible; }
  bool IsPassThrough() const { return (m_flags & kPassThrough) != 0; }
  // The hit-testing flags word (FlagsWord).
  static constexpr uint32_t kPassThrough = 1;
  static constexpr uint32_t kChildrenNeverHit = 4;  // the mouse never reaches the children
  // The element is, or lies above, an element with a native child window: visibility changes
  // must reach it (MarkNativeWindowPath).
  static constexpr uint32_t kNativeWindowPath = 0x100;
  // The prototype's handler attributes wait for the listener table (AdoptSkinHandlers).
  static constexpr uint32_t kSkinHandlersWaiting = 0x200;
  uint32_t FlagsWord() const { return m_flags; }
  void SetPassThrough(bool passThrough);
  // The lock counters: true increments, false decrements; the new count is returned. When a
  // count comes back to 0 its deferred work runs: one repaint of the element for the paint lock,
  // one layout of the children for the layout lock. A count that cannot be stored (no memory
  // for the element's extras) stays as it was.
  int32_t PaintLock(bool increment);
  int32_t LayoutLock(bool increment);
  int32_t PaintLockCount() const { return m_extras ? m_extras->paintLock : 0; }
  int32_t LayoutLockCount() const { return m_extras ? m_extras->layoutLock : 0; }

  // Takes the handler attributes of the element's prototype: they go into the listener table
  // when it is made, at once when it exists or 'now' is set. Until then the element has no table
  // and its events cost nothing, unless a handler may hear them.
  void AdoptSkinHandlers(bool now);
  bool HasWaitingSkinHandlers() const { return (m_flags & kSkinHandlersWaiting) != 0; }
  // Whether a waiting handler attribute may be named 'listenerName' (letter case ignored): its
  // event then needs the listener table.
  bool WaitingSkinHandlerMayHear(std::wstring_view listenerName) const;

  // The tag constant of the class ("menuitem" for both item tags).
  virtual const wchar_t* NodeName() const = 0;

  // What the element's own drawing (its children aside) promises about its box, so that the
  // paint walk can leave out drawing that later drawing paints over: kPaintsInsideBox when
  // nothing it draws leaves its box, kFillsBoxOpaque when it makes every pixel of its box opaque.
  // Nothing is promised unless a class says so.
  static constexpr uint32_t kPaintsInsideBox = 1;
  static constexpr uint32_t kFillsBoxOpaque = 2;
  virtual uint32_t PaintExtent() const { return 0; }

  // Tree links for native code and the node interface.
  scITextBaseContent* ParentElement() const;
  bool IsInDocument() const { return (m_link & kInDocument) != 0; }
  scITextBaseContent* FirstChild() const { return m_firstChild; }
  scITextBaseContent* LastChild() const { return m_lastChild; }
  scITextBaseContent* NextSibling() const { return m_nextSibling; }
  scITextBaseContent* PreviousSibling() const { return m_previousSibling; }
  scIContentDocument* OwnerDocument() const { return m_ownerDocument; }
  scPrototypeElement* Prototype() const { return m_prototype; }
  // The raw parent/document link word.
  uintptr_t LinkWord() const { return m_link; }

  // Flags this element and its ancestors as the path to an element with a native window, so
  // that a change of visibility anywhere above it reaches it (TreeVisibilityChanged).
  void MarkNativeWindowPath();
  // Whether this element and every ancestor are visible.
  bool IsShownInTree() const;
  // Called on the flagged elements below one whose visibility changed (after the change is
  // stored); passes the news on to the flagged children. Elements with native windows show or
  // hide them.
  virtual void TreeVisibilityChanged();

  // The shared implementation behind an element reached through its content interface, or null
  // for foreign implementations.
  static scITextBaseContent* FromContent(scIContent* content);

 protected:
  scITextBaseContent() = default;
  // Releases the children without nesting one release inside another, however deep the tree.
  virtual ~scITextBaseContent();

  static constexpr uintptr_t kInDocument = 1;
  static constexpr uintptr_t kParentIsElement = 2;

  // The common attributes every class reads first: design rectangle, alignment, visibility,
  // disabled and pass-through.
  void ReadCommonAttributes(const scPrototypeElement& prototype);
  // Fires "size" at this element; true when a listener prevented the default (the layout of the
  // children). Past kMaxNestedSizeEvents nested events, or kMaxSizeEventsPerCascade under one
  // outermost event, the listeners are not run.
  bool FireSizeEvent();
  // Lets go of what scripts stored on the element (its own properties and accessors) when it is
  // destroyed with its tree; script classes override it.
  virtual void ForgetScriptProperties() {}
  // Whether a script set a value for 'name' (which then hides the prototype's).
  bool HasLiveAttr(const wchar_t* name) const { return FindLive(name) != nullptr; }
  // Answers a text attribute the way the store answers the skin's values: a BSTR copy in
  // 'value' (cleared first); false when the copy cannot be made.
  static bool TextToAttrValue(std::wstring_view text, VARIANT* value);

  // Values scripts set over the prototype's strings.
  using LiveAttributes = std::map<std::wstring, UniqueVariant, std::less<>>;
  // What few elements ever use, in one block made on the first need: a skin has thousands of
  // elements and most never get a script value, a listener or a lock.
  struct Extras {
    std::unique_ptr<LiveAttributes> liveAttributes;  // made on the first value
    ComPtr<scIEventListenerManager> listenerManager;
    int32_t paintLock = 0;
    int32_t layoutLock = 0;
  };
  // The extras, made when missing; null when they cannot be made.
  Extras* MakeExtras();

  uintptr_t m_link = 0;
  uint32_t m_flags = 0;  // bit 0: pass-through
  uint32_t m_childCount = 0;  // beside the flags: no padding between them
  scIContentDocument* m_ownerDocument = nullptr;
  scITextBaseContent* m_firstChild = nullptr;   // owned
  scITextBaseContent* m_lastChild = nullptr;    // owned through the sibling chain
  scITextBaseContent* m_nextSibling = nullptr;  // owned
  scITextBaseContent* m_previousSibling = nullptr;
  scPrototypeElement* m_prototype = nullptr;  // one counted reference
  std::unique_ptr<Extras> m_extras;

  // Geometry: current and design rectangles, alignment flags, visibility.
  scRect m_rect;
  scRect m_design;
  uint8_t m_alignment = 0;
  uint8_t m_state = 0;  // active 0x01, hover 0x04, checked 0x20
  bool m_visible = true;

 private:
  // The value a script set for 'name', or null.
  UniqueVariant* FindLive(const wchar_t* name) const;
  void Link(scITextBaseContent* child, UINT index);
  void Unlink(scITextBaseContent* child);
};

// The shared content implementation plus the COM object plumbing for one element class:
// class scFooContent : public scContentClass<scFooContent, ...script interfaces> {};
template <class Derived, class... Interfaces>
class scContentClass
    : public ComObject<Derived, scITextBaseContent, Also<scINode, scITextBaseContent>,
                       Also<scIPDOMEventTarget, scITextBaseContent>, Interfaces...> {};

}  // namespace velmor
