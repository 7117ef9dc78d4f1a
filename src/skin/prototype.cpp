#include "skin/prototype.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "skin/attribute_chunks.h"
#include "tinyxml.h"

namespace velmor {

void scPrototypeNode::Release() {
  if (--m_refCount == 0) delete this;
}

scPrototypeElement::~scPrototypeElement() {
  // Release empties the list first; an element deleted otherwise still owns its children.
  if (m_children != nullptr) {
    uint32_t count = 0;
    scPrototypeNode** children = TakeChildren(&count);
    for (uint32_t i = count; i-- > 0;) children[i]->Release();
    delete[] children;
  }
}

scPrototypeNode** scPrototypeElement::TakeChildren(uint32_t* count) {
  scPrototypeNode** children = m_children;
  *count = m_childCount;
  m_children = nullptr;
  m_childCount = 0;
  return children;
}

void scPrototypeElement::Release() {
  // Releasing a child element empties its own list too; those releases go through one work list
  // instead of nested calls, so the depth of the tree never reaches the stack.
  std::vector<scPrototypeElement*> pending;
  scPrototypeElement* current = this;
  for (;;) {
    uint32_t count = 0;
    scPrototypeNode** children = current->TakeChildren(&count);
    for (uint32_t i = count; i-- > 0;) {
      scPrototypeNode* child = children[i];
      if (child->m_kind == kPrototypeElement) {
        pending.push_back(static_cast<scPrototypeElement*>(child));
      } else {
        child->Release();
      }
    }
    delete[] children;
    if (--current->m_refCount == 0) delete current;
    if (pending.empty()) break;
    current = pending.back();
    pending.pop_back();
  }
}

const std::wstring* scPrototypeElement::FindAttr(std::wstring_view name) const {
  const auto it = m_attributes.find(name);
  return it == m_attributes.end() ? nullptr : &it->second;
}

std::wstring ExpandLineFeeds(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

namespace {

// A UTF-8 text never needs more UTF-16 units than it has bytes. Skin names and most values are
// ASCII, which widens unit by unit; anything else takes one conversion call.
std::wstring FromUtf8(const char* text) {
  std::wstring out;
  if (text == nullptr || *text == '\0') return out;
  const size_t bytes = strlen(text);
  if (bytes > static_cast<size_t>(INT_MAX)) return out;
  out.resize(bytes);
  wchar_t* units = out.data();
  size_t i = 0;
  for (; i < bytes && static_cast<unsigned char>(text[i]) < 0x80; ++i) units[i] = text[i];
  if (i == bytes) return out;
  const int converted = ::MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(bytes), units,
                                              static_cast<int>(bytes));
  out.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
  return out;
}

// Attribute lists up to this long are ordered by their UTF-8 names before conversion.
constexpr size_t kPresortedAttributes = 16;

bool IsAscii(const char* text) {
  for (; *text != '\0'; ++text) {
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  }
  return true;
}

const char* FindAttribute(const scSplitElementReader& reader, const char* name) {
  for (const auto& [n, v] : reader.Attributes()) {
    if (strcmp(n, name) == 0) return v;
  }
  return nullptr;
}

scPrototypeNode* NewScriptNode(const scSplitElementReader& reader) {
  auto* node = new (std::nothrow) scPrototypeScript();
  if (node == nullptr) return nullptr;
  node->m_sourcePath = FromUtf8(FindAttribute(reader, "src"));
  node->m_inlineText = FromUtf8(reader.Text());
  return node;
}

// The element text with each line feed expanded to CR LF, converted in the same pass.
std::wstring TextFromUtf8(const char* text) {
  std::wstring out;
  if (text == nullptr || *text == '\0') return out;
  size_t bytes = 0, feeds = 0;
  bool ascii = true;
  for (; text[bytes] != '\0'; ++bytes) {
    feeds += text[bytes] == '\n';
    ascii = ascii && static_cast<unsigned char>(text[bytes]) < 0x80;
  }
  if (!ascii) return ExpandLineFeeds(FromUtf8(text));
  out.resize(bytes + feeds);
  wchar_t* units = out.data();
  for (size_t i = 0; i < bytes; ++i) {
    if (text[i] == '\n') *units++ = L'\r';
    *units++ = text[i];
  }
  return out;
}

scPrototypeElement* NewElementNode(scIContentDocument* document, const TiXmlElement* element,
                                   const scSplitElementReader& reader) {
  auto* node = new (std::nothrow) scPrototypeElement();
  if (node == nullptr) return nullptr;
  node->m_tag = FromUtf8(element->Value());
  const auto& read = reader.Attributes();
  if (!read.empty()) {
    // Collected and sorted once (the first of equal names wins). The usual handful is put in
    // order by its UTF-8 names first, which for ASCII is the order of the wide names: the wide
    // pairs then go in sorted and the final sort only checks them.
    uint8_t order[kPresortedAttributes];
    const size_t count = read.size();
    bool presort = count <= kPresortedAttributes;
    for (size_t i = 0; presort && i < count; ++i) presort = IsAscii(read[i].first);
    for (size_t i = 0; presort && i < count; ++i) {
      size_t j = i;
      for (; j > 0 && strcmp(read[i].first, read[order[j - 1]].first) < 0; --j)
        order[j] = order[j - 1];
      order[j] = static_cast<uint8_t>(i);
    }
    std::vector<scPrototypeAttributes::value_type> attributes;
    attributes.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const auto& [name, value] = read[presort ? order[i] : i];
      attributes.emplace_back(FromUtf8(name), FromUtf8(value));
    }
    node->m_attributes.Assign(std::move(attributes));
  }
  node->m_hasId = node->m_attributes.find(L"id") != node->m_attributes.end();
  node->m_text = TextFromUtf8(reader.Text());
  node->m_ownerDocument = document;
  return node;
}

// The node for 'element' (null when it cannot be allocated) and, for an element node, its first
// child element. 'result' is S_OK, or the failure that ends the whole build.
scPrototypeNode* NewNode(scIContentDocument* document, const TiXmlElement* element,
                         scSplitElementReader& reader, const TiXmlElement** firstChild,
                         HRESULT* result) {
  *firstChild = nullptr;
  *result = S_OK;
  const scSplitElementReader::Result read = reader.Read(element);
  if (read != scSplitElementReader::kRead) {
    *result = read == scSplitElementReader::kDuplicate ? E_FAIL : kAttributeSplitMismatch;
    return nullptr;
  }
  try {
    if (strcmp(element->Value(), "script") == 0) {
      scPrototypeNode* script = NewScriptNode(reader);
      // The children of a script element are left out of the tree.
      for (const TiXmlElement* child = reader.FirstChildElement(); child != nullptr;) {
        const TiXmlElement* next = child->NextSiblingElement();
        const scSplitElementReader::Result skipped = reader.Skip(child);
        if (skipped != scSplitElementReader::kRead) {
          *result =
              skipped == scSplitElementReader::kDuplicate ? E_FAIL : kAttributeSplitMismatch;
          if (script != nullptr) script->Release();
          return nullptr;
        }
        child = next;
      }
      return script;
    }
    *firstChild = reader.FirstChildElement();
    return NewElementNode(document, element, reader);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// One element whose children are being built.
struct BuildFrame {
  const TiXmlElement* xml;
  scPrototypeElement* node;
  const TiXmlElement* nextChild;
  std::vector<scPrototypeNode*> children;
};

// Moves the collected children into the node's array of exactly that size.
void FinishChildren(BuildFrame& frame) {
  const size_t count = frame.children.size();
  if (count == 0) return;
  auto* array = new (std::nothrow) scPrototypeNode*[count];
  if (array == nullptr) {
    // Out of memory: the children are left out, like any child that could not be allocated.
    for (size_t i = count; i-- > 0;) frame.children[i]->Release();
    frame.children.clear();
    return;
  }
  for (size_t i = 0; i < count; ++i) array[i] = frame.children[i];
  frame.node->m_children = array;
  frame.node->m_childCount = static_cast<uint32_t>(count);
  frame.children.clear();
}

}  // namespace

[[nodiscard]] HRESULT BuildPrototype(scIContentDocument* document, const TiXmlElement* element,
                       scPrototypeNode** node, const scAttributeSplit* split) {
  if (node == nullptr) return E_POINTER;
  *node = nullptr;
  if (element == nullptr) return E_INVALIDARG;
  scSplitElementReader reader(split);
  const TiXmlElement* rootChild = nullptr;
  HRESULT failure = S_OK;
  scPrototypeNode* root = NewNode(document, element, reader, &rootChild, &failure);
  if (root == nullptr) return FAILED(failure) ? failure : E_OUTOFMEMORY;
  if (root->m_kind == kPrototypeScript) {
    *node = root;
    return S_OK;
  }
  std::vector<BuildFrame> stack;
  try {
    stack.push_back({element, static_cast<scPrototypeElement*>(root), rootChild, {}});
    while (!stack.empty() && SUCCEEDED(failure)) {
      BuildFrame& top = stack.back();
      if (top.nextChild == nullptr) {
        FinishChildren(top);
        scPrototypeNode* done = top.node;
        stack.pop_back();
        if (!stack.empty()) stack.back().children.push_back(done);
        continue;
      }
      const TiXmlElement* childXml = top.nextChild;
      top.nextChild = childXml->NextSiblingElement();
      const TiXmlElement* grandChild = nullptr;
      scPrototypeNode* child = NewNode(document, childXml, reader, &grandChild, &failure);
      if (child == nullptr) continue;  // left out of the tree (or the build ends)
      if (child->m_kind == kPrototypeScript) {
        top.children.push_back(child);
      } else {
        stack.push_back({childXml, static_cast<scPrototypeElement*>(child), grandChild, {}});
      }
    }
    if (SUCCEEDED(failure) && !reader.AllElementsSeen()) failure = kAttributeSplitMismatch;
  } catch (const std::bad_alloc&) {
    failure = E_OUTOFMEMORY;
  }
  if (FAILED(failure)) {
    for (size_t i = stack.size(); i-- > 0;) {
      for (scPrototypeNode* child : stack[i].children) child->Release();
      if (i > 0) stack[i].node->Release();
    }
    root->Release();
    return failure;
  }
  *node = root;
  return S_OK;
}

}  // namespace velmor
