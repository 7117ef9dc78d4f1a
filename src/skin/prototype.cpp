#include "skin/prototype.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "skin/attribute_chunks.h"
#include "tinyxml.h"

namespace velmor {

// The arena's memory: blocks that grow with the tree, each with its size in front.
struct scPrototypeArena::Block {
  Block* next;
  size_t size;
};

namespace {

// Blocks double up to this size: a large skin takes a few dozen, a small one wastes little.
constexpr size_t kFirstBlock = 4 * 1024;
constexpr size_t kLargestBlock = 64 * 1024;
// Nodes hold pointers and texts, nothing wider.
constexpr size_t kBlockHeader = (sizeof(void*) * 2 + alignof(void*) - 1) & ~(alignof(void*) - 1);

}  // namespace

scPrototypeArena* scPrototypeArena::Create() { return new (std::nothrow) scPrototypeArena(); }

scPrototypeArena::~scPrototypeArena() {
  while (m_blocks != nullptr) {
    Block* next = m_blocks->next;
    ::operator delete(m_blocks);
    m_blocks = next;
  }
}

void scPrototypeArena::Release() {
  if (--m_refCount == 0) delete this;
}

void* scPrototypeArena::Allocate(size_t bytes, size_t alignment) {
  // Texts are only aligned for their code units, so every size stays even and so does m_next.
  size_t skip = (alignment - reinterpret_cast<uintptr_t>(m_next) % alignment) % alignment;
  const size_t room = static_cast<size_t>(m_limit - m_next);
  if (m_next == nullptr || skip > room || bytes > room - skip) {
    // Each block doubles the last, up to a limit; a larger request gets a block of its own.
    const size_t header = kBlockHeader;
    const size_t previous = m_blocks != nullptr ? m_blocks->size : kFirstBlock / 2;
    size_t size = previous < kLargestBlock ? previous * 2 : kLargestBlock;
    if (bytes > size - header) {
      if (bytes > SIZE_MAX - header) throw std::bad_alloc();
      size = header + bytes;
    }
    auto* block = static_cast<Block*>(::operator new(size, std::nothrow));
    if (block == nullptr) throw std::bad_alloc();
    block->next = m_blocks;
    block->size = size;
    m_blocks = block;
    m_next = reinterpret_cast<char*>(block) + header;
    m_limit = reinterpret_cast<char*>(block) + size;
    skip = 0;
  }
  m_latest = m_next + skip;
  m_next = m_latest + bytes;
  return m_latest;
}

void scPrototypeArena::Trim(const void* end) {
  char* at = static_cast<char*>(const_cast<void*>(end));
  if (at >= m_latest && at < m_next) m_next = at;
}

scPrototypeText scPrototypeArena::Copy(std::wstring_view text) {
  auto* units = AllocateArray<wchar_t>(text.size() + 1);
  std::wmemcpy(units, text.data(), text.size());
  units[text.size()] = L'\0';
  return scPrototypeText(units, text.size());
}

scPrototypeText scPrototypeArena::Widen(const char* text, bool expandLineFeeds) {
  if (text == nullptr || *text == '\0') return L"";
  if (!expandLineFeeds) {
    // Most texts are short and ASCII: widened straight into the free part of the block in one
    // pass. Anything else (or a block too full) is left to the general way below.
    auto* units = reinterpret_cast<wchar_t*>(m_next);
    const size_t room = static_cast<size_t>(m_limit - m_next) / sizeof(wchar_t);
    size_t i = 0;
    for (; i < room; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == 0 || c >= 0x80) break;
      units[i] = c;
    }
    if (i < room && text[i] == '\0') {
      units[i] = L'\0';
      m_latest = m_next;
      m_next += (i + 1) * sizeof(wchar_t);
      return scPrototypeText(units, i);
    }
  }
  // A UTF-8 text never needs more UTF-16 units than it has bytes (plus one per line feed
  // expanded). Skin names and most values are ASCII, which widens unit by unit; anything else
  // takes one conversion call.
  size_t bytes = 0, feeds = 0;
  bool ascii = true;
  for (; text[bytes] != '\0'; ++bytes) {
    feeds += text[bytes] == '\n';
    ascii = ascii && static_cast<unsigned char>(text[bytes]) < 0x80;
  }
  if (!expandLineFeeds) feeds = 0;
  if (bytes > static_cast<size_t>(INT_MAX) - feeds) return L"";
  auto* units = AllocateArray<wchar_t>(bytes + feeds + 1);
  size_t length = 0;
  if (ascii) {
    for (size_t i = 0; i < bytes; ++i) {
      if (feeds != 0 && text[i] == '\n') units[length++] = L'\r';
      units[length++] = static_cast<wchar_t>(text[i]);
    }
  } else {
    // Converted at the end of the space, then moved to its start with the feeds expanded (every
    // converted line feed comes from a line feed byte, so writing never overtakes reading).
    wchar_t* converted = units + feeds;
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(bytes), converted,
                                            static_cast<int>(bytes));
    for (int i = 0; i < count; ++i) {
      const wchar_t unit = converted[i];
      if (feeds != 0 && unit == L'\n') units[length++] = L'\r';
      units[length++] = unit;
    }
  }
  units[length] = L'\0';
  Trim(units + length + 1);
  return scPrototypeText(units, length);
}

scPrototypeElement* scPrototypeArena::NewElement(scIContentDocument* document) {
  auto* node = new (Allocate(sizeof(scPrototypeElement))) scPrototypeElement(this);
  node->m_ownerDocument = document;
  AddRef();
  return node;
}

scPrototypeScript* scPrototypeArena::NewScript() {
  auto* node = new (Allocate(sizeof(scPrototypeScript))) scPrototypeScript(this);
  AddRef();
  return node;
}

void scPrototypeNode::ReleaseSelf() {
  if (--m_refCount != 0) return;
  // Nodes hold nothing outside the arena: ending one is giving back its count.
  scPrototypeArena* arena = m_arena;
  m_arena = nullptr;
  arena->Release();
}

void scPrototypeNode::Release() {
  if (m_kind != kPrototypeElement) {
    ReleaseSelf();
    return;
  }
  // Releasing a child element empties its own list too; those releases go through one work list
  // instead of nested calls, so the depth of the tree never reaches the stack.
  std::vector<scPrototypeElement*> pending;
  auto* current = static_cast<scPrototypeElement*>(this);
  for (;;) {
    scPrototypeNode** children = current->m_children;
    const uint32_t count = current->m_childCount;
    current->m_children = nullptr;
    current->m_childCount = 0;
    for (uint32_t i = count; i-- > 0;) {
      scPrototypeNode* child = children[i];
      if (child->m_kind == kPrototypeElement) {
        pending.push_back(static_cast<scPrototypeElement*>(child));
      } else {
        child->ReleaseSelf();
      }
    }
    current->ReleaseSelf();
    if (pending.empty()) break;
    current = pending.back();
    pending.pop_back();
  }
}

namespace {

// The last text converted in each place of an element (its tag, or an attribute's name or value
// by index). Sibling elements mostly repeat the names, and often the values, of the one before in
// the same places: a text equal to the last one in its place shares that conversion.
class RecentTexts {
 public:
  const scPrototypeText* Find(const char* text, size_t slot) const {
    if (slot >= m_recent.size() || m_recent[slot].text == nullptr) return nullptr;
    return strcmp(m_recent[slot].text, text) == 0 ? &m_recent[slot].wide : nullptr;
  }
  void Remember(const char* text, size_t slot, scPrototypeText wide) {
    if (slot >= m_recent.size()) m_recent.resize(slot + 1);
    m_recent[slot] = {text, wide};
  }

 private:
  struct Recent {
    const char* text = nullptr;  // in the parser's tree, which outlives the build
    scPrototypeText wide;
  };
  std::vector<Recent> m_recent;
};

// The tag and attribute names of one build, each converted once.
class NameTable {
 public:
  explicit NameTable(scPrototypeArena& arena) : m_arena(arena) {}

  // 'slot' is where the name stands: 0 for the tag, 1 + index for an attribute.
  scPrototypeText Intern(const char* name, size_t slot) {
    if (const scPrototypeText* same = m_recent.Find(name, slot)) return *same;
    const std::string_view key(name);
    auto [it, added] = m_names.try_emplace(key);
    if (added) {
      try {
        it->second = m_arena.Widen(name);
      } catch (...) {
        m_names.erase(it);
        throw;
      }
    }
    m_recent.Remember(name, slot, it->second);
    return it->second;
  }

 private:
  scPrototypeArena& m_arena;
  RecentTexts m_recent;
  std::unordered_map<std::string_view, scPrototypeText> m_names;  // keys in the parser's tree
};

// One build: the arena, the names, the last values and the reader of split attribute lists.
struct Builder {
  scIContentDocument* document;
  scPrototypeArena& arena;
  NameTable names;
  RecentTexts values;
  scSplitElementReader reader;
};

// The value of the attribute at 'index', sharing the text of an equal value before it.
scPrototypeText WidenValue(Builder& builder, const char* value, size_t index) {
  if (const scPrototypeText* same = builder.values.Find(value, index)) return *same;
  const scPrototypeText wide = builder.arena.Widen(value);
  builder.values.Remember(value, index, wide);
  return wide;
}

const char* FindAttribute(const scSplitElementReader& reader, const char* name) {
  for (const auto& [n, v] : reader.Attributes()) {
    if (strcmp(n, name) == 0) return v;
  }
  return nullptr;
}

scPrototypeNode* NewScriptNode(Builder& builder) {
  const scPrototypeText source = builder.arena.Widen(FindAttribute(builder.reader, "src"));
  const scPrototypeText text = builder.arena.Widen(builder.reader.Text());
  scPrototypeScript* node = builder.arena.NewScript();
  node->m_sourcePath = source;
  node->m_inlineText = text;
  return node;
}

scPrototypeElement* NewElementNode(Builder& builder, const TiXmlElement* element) {
  const scPrototypeText tag = builder.names.Intern(element->Value(), 0);
  const auto& read = builder.reader.Attributes();
  scPrototypeAttributes::value_type* attributes = nullptr;
  if (!read.empty()) {
    attributes = builder.arena.AllocateArray<scPrototypeAttributes::value_type>(read.size());
    for (size_t i = 0; i < read.size(); ++i) {
      attributes[i].first = builder.names.Intern(read[i].first, i + 1);
      attributes[i].second = WidenValue(builder, read[i].second, i);
    }
  }
  const scPrototypeText text = builder.arena.Widen(builder.reader.Text(), true);
  // Made last, so a failure above leaves no node counted in the arena.
  scPrototypeElement* node = builder.arena.NewElement(builder.document);
  node->m_tag = tag;
  node->m_attributes.Assign(attributes, read.size());
  node->m_text = text;
  return node;
}

// The node for 'element' (null when it cannot be allocated) and, for an element node, its first
// child element. 'result' is S_OK, or the failure that ends the whole build.
scPrototypeNode* NewNode(Builder& builder, const TiXmlElement* element,
                         const TiXmlElement** firstChild, HRESULT* result) {
  *firstChild = nullptr;
  *result = S_OK;
  scSplitElementReader& reader = builder.reader;
  const scSplitElementReader::Result read = reader.Read(element);
  if (read != scSplitElementReader::kRead) {
    *result = read == scSplitElementReader::kDuplicate ? E_FAIL : kAttributeSplitMismatch;
    return nullptr;
  }
  try {
    if (strcmp(element->Value(), "script") == 0) {
      scPrototypeNode* script = NewScriptNode(builder);
      // The children of a script element are left out of the tree.
      for (const TiXmlElement* child = reader.FirstChildElement(); child != nullptr;) {
        const TiXmlElement* next = child->NextSiblingElement();
        const scSplitElementReader::Result skipped = reader.Skip(child);
        if (skipped != scSplitElementReader::kRead) {
          *result =
              skipped == scSplitElementReader::kDuplicate ? E_FAIL : kAttributeSplitMismatch;
          script->Release();
          return nullptr;
        }
        child = next;
      }
      return script;
    }
    *firstChild = reader.FirstChildElement();
    return NewElementNode(builder, element);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// One element whose children are being built; they collect at the end of the shared list of
// pending children from 'firstPending' on.
struct BuildFrame {
  scPrototypeElement* node;
  const TiXmlElement* nextChild;
  size_t firstPending;
};

// Moves the frame's collected children into the node's list in the arena.
void FinishChildren(scPrototypeArena& arena, const BuildFrame& frame,
                    std::vector<scPrototypeNode*>& pending) {
  const size_t count = pending.size() - frame.firstPending;
  if (count == 0) return;
  scPrototypeNode** array = nullptr;
  try {
    array = arena.AllocateArray<scPrototypeNode*>(count);
  } catch (const std::bad_alloc&) {
    // Out of memory: the children are left out, like any child that could not be allocated.
    for (size_t i = pending.size(); i-- > frame.firstPending;) pending[i]->Release();
    pending.resize(frame.firstPending);
    return;
  }
  std::memcpy(array, pending.data() + frame.firstPending, count * sizeof(*array));
  frame.node->m_children = array;
  frame.node->m_childCount = static_cast<uint32_t>(count);
  pending.resize(frame.firstPending);
}

HRESULT BuildTree(Builder& builder, const TiXmlElement* element, scPrototypeNode** node) {
  const TiXmlElement* rootChild = nullptr;
  HRESULT failure = S_OK;
  scPrototypeNode* root = NewNode(builder, element, &rootChild, &failure);
  if (root == nullptr) return FAILED(failure) ? failure : E_OUTOFMEMORY;
  if (root->m_kind == kPrototypeScript) {
    *node = root;
    return S_OK;
  }
  std::vector<BuildFrame> stack;
  std::vector<scPrototypeNode*> pending;
  try {
    stack.push_back({static_cast<scPrototypeElement*>(root), rootChild, 0});
    while (!stack.empty() && SUCCEEDED(failure)) {
      BuildFrame& top = stack.back();
      if (top.nextChild == nullptr) {
        FinishChildren(builder.arena, top, pending);
        scPrototypeNode* done = top.node;
        stack.pop_back();
        if (!stack.empty()) pending.push_back(done);
        continue;
      }
      const TiXmlElement* childXml = top.nextChild;
      top.nextChild = childXml->NextSiblingElement();
      const TiXmlElement* grandChild = nullptr;
      scPrototypeNode* child = NewNode(builder, childXml, &grandChild, &failure);
      if (child == nullptr) continue;  // left out of the tree (or the build ends)
      if (child->m_kind == kPrototypeScript) {
        pending.push_back(child);
      } else {
        stack.push_back({static_cast<scPrototypeElement*>(child), grandChild, pending.size()});
      }
    }
    if (SUCCEEDED(failure) && !builder.reader.AllElementsSeen())
      failure = kAttributeSplitMismatch;
  } catch (const std::bad_alloc&) {
    failure = E_OUTOFMEMORY;
  }
  if (FAILED(failure)) {
    for (scPrototypeNode* child : pending) child->Release();
    for (size_t i = stack.size(); i-- > 1;) stack[i].node->Release();
    root->Release();
    return failure;
  }
  *node = root;
  return S_OK;
}

}  // namespace

[[nodiscard]] HRESULT BuildPrototype(scIContentDocument* document, const TiXmlElement* element,
                                     scPrototypeNode** node, const scAttributeSplit* split) {
  if (node == nullptr) return E_POINTER;
  *node = nullptr;
  if (element == nullptr) return E_INVALIDARG;
  scPrototypeArena* arena = scPrototypeArena::Create();
  if (arena == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = E_OUTOFMEMORY;
  try {
    Builder builder{document, *arena, NameTable(*arena), RecentTexts(), scSplitElementReader(split)};
    hr = BuildTree(builder, element, node);
  } catch (const std::bad_alloc&) {
  }
  // The nodes keep the arena alive from here on.
  arena->Release();
  return hr;
}

}  // namespace velmor
