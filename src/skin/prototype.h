// The prototype tree: an immutable-after-load copy of a skin's XML that keeps only what the
// engine uses. Live elements are created from it and keep a reference to their own prototype,
// whose attributes are the defaults of the live element's attributes.
//
// A tree's nodes, child lists, attribute lists and texts sit in one arena that the nodes keep
// alive: a load costs a few large blocks instead of several heap blocks per element, and the
// blocks are freed at once when the last node goes. Tag and attribute names are stored once per
// arena and shared by every node that uses them.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/com_object.h"
#include "skin/prototype_attributes.h"

class TiXmlElement;
struct scIContentDocument;

namespace velmor {

class scPrototypeElement;
class scPrototypeScript;

// Where a prototype tree's memory comes from. Counted by its live nodes (and by whoever builds
// the tree while it does); the blocks are freed together when the count reaches zero.
class scPrototypeArena : private LiveObjectCounter<scPrototypeArena> {
 public:
  // A new arena holding one reference for the caller; null when out of memory.
  static scPrototypeArena* Create();
  void AddRef() { ++m_refCount; }
  void Release();

  // 'bytes' of storage with that alignment; throws std::bad_alloc when out of memory.
  void* Allocate(size_t bytes, size_t alignment = alignof(void*));
  template <class T>
  T* AllocateArray(size_t count) {
    return static_cast<T*>(Allocate(count * sizeof(T), alignof(T)));
  }
  // A copy of 'text' followed by a NUL.
  scPrototypeText Copy(std::wstring_view text);
  // UTF-8 'text' converted to UTF-16 and followed by a NUL (empty for null). With
  // 'expandLineFeeds' every line feed becomes CR LF in the same pass.
  scPrototypeText Widen(const char* text, bool expandLineFeeds = false);

  // A new node in this arena with one reference, counted by the arena; throws std::bad_alloc.
  scPrototypeElement* NewElement(scIContentDocument* document);
  scPrototypeScript* NewScript();

  scPrototypeArena(const scPrototypeArena&) = delete;
  scPrototypeArena& operator=(const scPrototypeArena&) = delete;

 private:
  struct Block;
  scPrototypeArena() = default;
  ~scPrototypeArena();
  // Hands back the unused end of the latest allocation.
  void Trim(const void* end);

  int32_t m_refCount = 1;
  Block* m_blocks = nullptr;  // newest first
  char* m_latest = nullptr;   // the latest allocation
  char* m_next = nullptr;     // the free part of the newest block
  char* m_limit = nullptr;
};

enum scPrototypeKind : int32_t { kPrototypeElement = 0, kPrototypeScript = 1 };

// Base of both node kinds. Holders add a reference with AddRef.
class scPrototypeNode {
 public:
  void AddRef() { ++m_refCount; }
  // Drops one reference and ends the node at zero. For an element the child list is emptied
  // first (releasing every child, last to first), without recursion, so arbitrarily deep trees
  // are released safely.
  void Release();

  scPrototypeNode(const scPrototypeNode&) = delete;
  scPrototypeNode& operator=(const scPrototypeNode&) = delete;

  int32_t m_kind;
  int32_t m_refCount = 1;

 protected:
  scPrototypeNode(int32_t kind, scPrototypeArena* arena) : m_kind(kind), m_arena(arena) {}
  ~scPrototypeNode() = default;

 private:
  // Drops one reference of this node alone.
  void ReleaseSelf();

  scPrototypeArena* m_arena;  // counted once per node
};

class scPrototypeElement : public scPrototypeNode {
 public:
  // The attribute's value in this prototype, or null. Looked up without building a string.
  const scPrototypeText* FindAttr(std::wstring_view name) const {
    const auto it = m_attributes.find(name);
    return it == m_attributes.end() ? nullptr : &it->second;
  }

  uint32_t m_childCount = 0;
  scPrototypeNode** m_children = nullptr;  // owned references, in the arena
  scPrototypeText m_tag;
  scIContentDocument* m_ownerDocument = nullptr;  // not counted
  scPrototypeAttributes m_attributes;  // by code unit order of the names
  scPrototypeText m_text;  // line feeds expanded to CR LF

 private:
  friend class scPrototypeArena;
  friend class scPrototypeNode;
  explicit scPrototypeElement(scPrototypeArena* arena)
      : scPrototypeNode(kPrototypeElement, arena) {}
};

class scPrototypeScript : public scPrototypeNode {
 public:
  scPrototypeText m_sourcePath;  // the "src" attribute
  scPrototypeText m_inlineText;  // the element's text as written

 private:
  friend class scPrototypeArena;
  explicit scPrototypeScript(scPrototypeArena* arena) : scPrototypeNode(kPrototypeScript, arena) {}
};

struct scAttributeSplit;

// Builds the prototype of 'element' and its subtree (walked without recursion) in a new arena.
// A child whose node cannot be allocated is left out. S_OK or E_OUTOFMEMORY when the root itself
// fails. When the text was parsed with long attribute lists split ('split'), the chunks are
// joined again: E_FAIL when two chunks name the same attribute, kAttributeSplitMismatch when the
// parser did not read the chunks the rewrite made.
[[nodiscard]] HRESULT BuildPrototype(scIContentDocument* document, const TiXmlElement* element,
                                     scPrototypeNode** node,
                                     const scAttributeSplit* split = nullptr);

}  // namespace velmor
