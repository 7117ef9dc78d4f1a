#include "skin/id_registry.h"

#include <algorithm>
#include <cwchar>
#include <new>

namespace velmor {
namespace {

constexpr size_t kFirstCapacity = 16;

// FNV-1a over the code units.
size_t HashId(const wchar_t* id) {
  uint32_t hash = 2166136261u;
  for (; *id != L'\0'; ++id) {
    hash ^= static_cast<uint16_t>(*id);
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

scIdRegistry::Entry& scIdRegistry::Slot(Entry* table, size_t capacity, const wchar_t* id) const {
  // Linear probing: the table is never more than three quarters full, so a free slot ends
  // every search.
  for (size_t i = HashId(id) & (capacity - 1);; i = (i + 1) & (capacity - 1)) {
    Entry& entry = table[i];
    if (entry.id == kFree || wcscmp(&m_characters[entry.id], id) == 0) return entry;
  }
}

bool scIdRegistry::Grow() {
  const size_t capacity = m_capacity == 0 ? kFirstCapacity : m_capacity * 2;
  std::unique_ptr<Entry[]> table(new (std::nothrow) Entry[capacity]);
  if (!table) return false;
  for (size_t i = 0; i < m_capacity; ++i) {
    const Entry& entry = m_table[i];
    if (entry.id != kFree) Slot(table.get(), capacity, &m_characters[entry.id]) = entry;
  }
  m_table = std::move(table);
  m_capacity = capacity;
  return true;
}

HRESULT scIdRegistry::Add(const wchar_t* id, scIContent* element) {
  if (id == nullptr) return E_INVALIDARG;
  if ((m_size + 1) * 4 > m_capacity * 3 && !Grow()) return E_OUTOFMEMORY;
  Entry& entry = Slot(m_table.get(), m_capacity, id);
  if (entry.id != kFree) return S_FALSE;
  const size_t offset = m_characters.size();
  const size_t length = wcslen(id) + 1;
  if (offset + length >= kFree) return E_OUTOFMEMORY;
  try {
    // A quarter more each time rather than twice as much: a skin's ids are many and short, and
    // a doubled buffer would hold nearly as many unused characters as ids.
    if (m_characters.capacity() - offset < length)
      m_characters.reserve(offset + length + std::max<size_t>(offset / 4, 256));
    m_characters.insert(m_characters.end(), id, id + length);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  entry = {static_cast<uint32_t>(offset), element};
  ++m_size;
  return S_OK;
}

scIContent* scIdRegistry::Find(const wchar_t* id) const {
  if (id == nullptr || m_size == 0) return nullptr;
  return Slot(m_table.get(), m_capacity, id).element;
}

void scIdRegistry::Clear() {
  m_table.reset();
  std::vector<wchar_t>().swap(m_characters);
  m_capacity = 0;
  m_size = 0;
}

}  // namespace velmor
