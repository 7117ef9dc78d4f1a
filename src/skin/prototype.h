// The prototype tree: an immutable-after-load copy of a skin's XML that keeps only what the
// engine uses. Live elements are created from it and keep a reference to their own prototype,
// whose attributes are the defaults of the live element's attributes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "skin/prototype_attributes.h"

class TiXmlElement;
struct scIContentDocument;

namespace velmor {

enum scPrototypeKind : int32_t { kPrototypeElement = 0, kPrototypeScript = 1 };

// Base of both node kinds. Created with new and destroyed by its own Release; holders add a
// reference by incrementing m_refCount directly.
class scPrototypeNode {
 public:
  virtual ~scPrototypeNode() = default;
  // Drops one reference and deletes the node at zero.
  virtual void Release();

  scPrototypeNode(const scPrototypeNode&) = delete;
  scPrototypeNode& operator=(const scPrototypeNode&) = delete;

  int32_t m_kind;
  int32_t m_refCount = 1;

 protected:
  explicit scPrototypeNode(int32_t kind) : m_kind(kind) {}
};

class scPrototypeElement : public scPrototypeNode {
 public:
  scPrototypeElement() : scPrototypeNode(kPrototypeElement) {}
  ~scPrototypeElement() override;
  // Empties the child list first (releasing every child, last to first), then drops the element's
  // own reference. Works without recursion, so arbitrarily deep trees are released safely.
  void Release() override;

  // The attribute's value in this prototype, or null. Looked up without building a string.
  const std::wstring* FindAttr(std::wstring_view name) const;

  uint32_t m_childCount = 0;
  bool m_hasId = false;  // beside the count: no padding between them
  scPrototypeNode** m_children = nullptr;  // owned references
  std::wstring m_tag;
  scIContentDocument* m_ownerDocument = nullptr;  // not counted
  scPrototypeAttributes m_attributes;  // by code unit order of the names
  std::wstring m_text;  // line feeds expanded to CR LF

 private:
  // Hands the children over to the caller and leaves the list empty.
  scPrototypeNode** TakeChildren(uint32_t* count);
};

class scPrototypeScript : public scPrototypeNode {
 public:
  scPrototypeScript() : scPrototypeNode(kPrototypeScript) {}

  std::wstring m_sourcePath;  // the "src" attribute
  std::wstring m_inlineText;  // the element's text as written
};

struct scAttributeSplit;

// Builds the prototype of 'element' and its subtree (walked without recursion). A child whose
// node cannot be allocated is left out. S_OK or E_OUTOFMEMORY when the root itself fails. When
// the text was parsed with long attribute lists split ('split'), the chunks are joined again:
// E_FAIL when two chunks name the same attribute, kAttributeSplitMismatch when the parser did not
// read the chunks the rewrite made.
[[nodiscard]] HRESULT BuildPrototype(scIContentDocument* document, const TiXmlElement* element,
                                     scPrototypeNode** node,
                                     const scAttributeSplit* split = nullptr);

// Replaces every "\n" by "\r\n".
std::wstring ExpandLineFeeds(const std::wstring& text);

}  // namespace velmor
