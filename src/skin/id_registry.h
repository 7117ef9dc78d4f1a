// The document's id registry: element ids to elements, the first element registered under an id
// keeping it. A skin gives most of its elements an id, so the registry keeps no node per id: the
// ids' characters sit one after another in one buffer and an entry of an open table is an
// offset into it and the element (16 bytes, against a map node with its own string of 72).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct scIContent;

namespace velmor {

class scIdRegistry {
 public:
  scIdRegistry() = default;
  scIdRegistry(const scIdRegistry&) = delete;
  scIdRegistry& operator=(const scIdRegistry&) = delete;

  // Registers 'element' under a copy of 'id'. S_FALSE when the id is taken already,
  // E_OUTOFMEMORY when the registry cannot grow.
  [[nodiscard]] HRESULT Add(const wchar_t* id, scIContent* element);
  // The element registered under 'id', or null.
  scIContent* Find(const wchar_t* id) const;
  void Clear();

 private:
  static constexpr uint32_t kFree = 0xFFFFFFFF;
  struct Entry {
    uint32_t id = kFree;  // the offset of the id's characters in m_characters
    scIContent* element = nullptr;
  };
  // The slot holding 'id', or the free slot where it would go.
  Entry& Slot(Entry* table, size_t capacity, const wchar_t* id) const;
  [[nodiscard]] bool Grow();

  std::vector<wchar_t> m_characters;  // every id with its terminating null
  std::unique_ptr<Entry[]> m_table;
  size_t m_capacity = 0;  // a power of two, or 0
  size_t m_size = 0;
};

}  // namespace velmor
