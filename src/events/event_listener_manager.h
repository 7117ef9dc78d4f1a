// The listener table of one element or document: script functions compiled from "on"
// attributes and native listener objects, each under a listener name ("on" + the event name),
// called in the order they were added when an event of that name is dispatched to the owner.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/com_object.h"
#include "script/script_context.h"
#include "skin/content.h"
#include "skin/deferred_handlers.h"
#include "skin/prototype.h"

// The native listener interface: native code that wants to hear an element's events.
struct scIDOMEventListener : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE HandleEvent(IDOMEvent* event) = 0;
};
__CRT_UUID_DECL(scIDOMEventListener, 0xa0bbf259, 0x38e4, 0x4ac8, 0xbc, 0xe7, 0x07, 0xcc, 0x5f, 0x6b,
                0x28, 0xe2)

namespace velmor {

enum : ULONG {
  kListenerAttributeHandler = 0x80,  // the entry came from an "on" attribute
};

class scEventListenerManagerImp
    : public ComObject<scEventListenerManagerImp, scIEventListenerManager,
                       scIDeferredScriptListeners> {
 public:
  HRESULT STDMETHODCALLTYPE AddEventListener(IUnknown* listener, const wchar_t* name,
                                             ULONG flags) override;
  HRESULT STDMETHODCALLTYPE RemoveEventListener(IUnknown* listener, const wchar_t* name) override;
  HRESULT STDMETHODCALLTYPE AddScriptEventListener(const wchar_t* name, const wchar_t* scriptText,
                                                   ULONG flag) override;
  HRESULT STDMETHODCALLTYPE HasAttributeListener(const wchar_t* name) override;
  ~scEventListenerManagerImp() override;

  HRESULT STDMETHODCALLTYPE HandleEvent(scEventRecord* record, IDOMEvent** event,
                                        LONG* status) override;
  HRESULT STDMETHODCALLTYPE FireScriptEvent(const wchar_t* name, DISPPARAMS* params,
                                            VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE SetOwner(scIContent* owner) override;
  HRESULT STDMETHODCALLTYPE AddSkinHandlers(scPrototypeElement* prototype) override;

  // What HandleEvent does with 'record' and 'status' on a table none of whose entries hears the
  // event: a dispatch to an element whose table is not made yet answers the same.
  [[nodiscard]] static HRESULT HandleUnheardEvent(scEventRecord* record, LONG* status);

  // The number of entries (for tests and diagnostics).
  size_t EntryCount() const { return m_entries.size(); }

 private:
  // Entries are shared with a running walk: a walk holds its own list of them, so entries
  // removed under it are marked and skipped, and entries added under it wait for the next event.
  // Besides the list in the order of adding, entries are indexed by their name without letter
  // case (for dispatch, and narrowed to the exact name for adding and removing), so neither a
  // table of many names nor an event costs a walk over every entry.
  struct Entry {
    ComPtr<IUnknown> listener;  // scIDOMEventListener, or IDispatch for a script function
    bool isScript = false;
    bool removed = false;
    // A skin's handler not compiled yet: its text waits here and listener is null.
    bool deferred = false;
    ULONG flags = 0;
    // NUL-terminated: ownName's text, or a skin handler's name in the prototype.
    std::wstring_view name;
    std::wstring_view deferredText;  // the prototype's text of a deferred handler
    std::wstring ownName;
  };
  using EntryList = std::vector<std::shared_ptr<Entry>>;

  // The interface a listener is called through and whether that is IDispatch.
  [[nodiscard]] static HRESULT Resolve(IUnknown* listener, ComPtr<IUnknown>& resolved, bool& isScript);
  void CallListener(const Entry& entry, IDOMEvent* event, scIContent* owner);
  // The name with its letters folded to one case: the key of the dispatch index.
  static std::wstring Folded(std::wstring_view name);
  // The entries whose name matches 'name' without regard to letter case, in the order added.
  EntryList MatchingEntries(const std::wstring& name) const;
  // The entries named exactly 'name', in the order added.
  EntryList ExactlyNamed(const wchar_t* name) const;
  static void Erase(EntryList& list, const Entry* entry);
  // Adds 'entry' at the end of every list; throws only before changing any.
  void Append(std::shared_ptr<Entry> entry);
  // Takes 'entry' out of every list (a running walk skips it).
  void RemoveEntry(const std::shared_ptr<Entry>& entry);
  // The document's script context for compiling handlers, or E_FAIL.
  [[nodiscard]] HRESULT OwnerScriptContext(ComPtr<scIScriptContext>& context) const;
  // Compiles a deferred entry; one that does not compile is removed. False when the entry is gone.
  bool Compile(const std::shared_ptr<Entry>& entry);
  // Compiles the deferred attribute handlers named exactly 'name'.
  void CompileNamed(const wchar_t* name);

  scIContent* m_owner = nullptr;  // not owned; cleared by Disconnect
  EntryList m_entries;
  std::unordered_map<std::wstring, EntryList> m_byFoldedName;
  // The script context deferred handlers compile in (the owner's document's when they came).
  ComPtr<scIScriptContext> m_deferredContext;
  // The prototype whose texts deferred entries view; one counted reference.
  scPrototypeElement* m_handlerPrototype = nullptr;
};

// The listener table a document hands to its elements.
class scEventListenerManager {
 public:
  [[nodiscard]] static HRESULT Create(scIEventListenerManager** manager);
};

}  // namespace velmor
