#include "skin/prototype.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

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

scPrototypeNode* NewScriptNode(const TiXmlElement* element) {
  auto* node = new (std::nothrow) scPrototypeScript();
  if (node == nullptr) return nullptr;
  node->m_sourcePath = FromUtf8(element->Attribute("src"));
  node->m_inlineText = FromUtf8(element->GetText());
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

scPrototypeElement* NewElementNode(scIContentDocument* document, const TiXmlElement* element) {
  auto* node = new (std::nothrow) scPrototypeElement();
  if (node == nullptr) return nullptr;
  node->m_tag = FromUtf8(element->Value());
  size_t count = 0;
  for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next()) ++count;
  if (count != 0) {
    // Collected in document order and sorted once (the first of equal names wins).
    std::vector<scPrototypeAttributes::value_type> attributes;
    attributes.reserve(count);
    for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
      attributes.emplace_back(FromUtf8(a->Name()), FromUtf8(a->Value()));
    node->m_attributes.Assign(std::move(attributes));
  }
  node->m_hasId = node->m_attributes.find(L"id") != node->m_attributes.end();
  node->m_text = TextFromUtf8(element->GetText());
  node->m_ownerDocument = document;
  return node;
}

scPrototypeNode* NewNode(scIContentDocument* document, const TiXmlElement* element) {
  try {
    if (strcmp(element->Value(), "script") == 0) return NewScriptNode(element);
    return NewElementNode(document, element);
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

HRESULT BuildPrototype(scIContentDocument* document, const TiXmlElement* element,
                       scPrototypeNode** node) {
  if (node == nullptr) return E_POINTER;
  *node = nullptr;
  if (element == nullptr) return E_INVALIDARG;
  scPrototypeNode* root = NewNode(document, element);
  if (root == nullptr) return E_OUTOFMEMORY;
  if (root->m_kind == kPrototypeScript) {
    *node = root;
    return S_OK;
  }
  std::vector<BuildFrame> stack;
  try {
    stack.push_back({element, static_cast<scPrototypeElement*>(root), element->FirstChildElement(), {}});
    while (!stack.empty()) {
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
      scPrototypeNode* child = NewNode(document, childXml);
      if (child == nullptr) continue;  // left out of the tree
      if (child->m_kind == kPrototypeScript) {
        top.children.push_back(child);
      } else {
        stack.push_back({childXml, static_cast<scPrototypeElement*>(child),
                         childXml->FirstChildElement(), {}});
      }
    }
  } catch (const std::bad_alloc&) {
    for (size_t i = stack.size(); i-- > 0;) {
      for (scPrototypeNode* child : stack[i].children) child->Release();
      if (i > 0) stack[i].node->Release();
    }
    root->Release();
    return E_OUTOFMEMORY;
  }
  *node = root;
  return S_OK;
}

}  // namespace velmor
