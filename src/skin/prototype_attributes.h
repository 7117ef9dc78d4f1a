// The attributes of an element prototype: name/value pairs in one array sorted by the code units
// of the names. A skin element has a handful of attributes that are read often and almost never
// changed, so one array and a binary search beat a node per attribute; the interface is the part
// of an ordered map the engine uses. The array and the texts belong to the prototype's arena.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

namespace velmor {

// A text of the prototype tree (a tag, a name, a value, an element's text). Always followed by a
// NUL in memory, so data() may be handed on where a C string is wanted.
using scPrototypeText = std::wstring_view;

class scPrototypeAttributes {
 public:
  using value_type = std::pair<scPrototypeText, scPrototypeText>;
  using const_iterator = const value_type*;
  using iterator = const_iterator;  // names are never changed in place

  const_iterator begin() const { return m_items; }
  const_iterator end() const { return m_items + m_count; }
  size_t size() const { return m_count; }
  bool empty() const { return m_count == 0; }

  const_iterator find(std::wstring_view name) const {
    const auto at = std::lower_bound(
        begin(), end(), name,
        [](const value_type& item, std::wstring_view key) { return item.first < key; });
    return at != end() && at->first == name ? at : end();
  }
  const_iterator erase(const_iterator at) {
    value_type* item = m_items + (at - m_items);
    std::move(item + 1, m_items + m_count, item);
    --m_count;
    return item;
  }
  friend bool operator==(const scPrototypeAttributes& a, const scPrototypeAttributes& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

  // Takes 'count' pairs in document order, in storage that outlives the list: sorted by name in
  // place, and of equal names the first kept.
  void Assign(value_type* items, size_t count) {
    const auto less = [](const value_type& a, const value_type& b) { return a.first < b.first; };
    if (count <= kFewItems) {
      // A handful: sorted in place by insertion (stable, and no scratch buffer).
      for (size_t i = 1; i < count; ++i) {
        const value_type item = items[i];
        size_t j = i;
        for (; j > 0 && less(item, items[j - 1]); --j) items[j] = items[j - 1];
        items[j] = item;
      }
    } else {
      std::stable_sort(items, items + count, less);
    }
    value_type* last = std::unique(items, items + count, [](const value_type& a,
                                                            const value_type& b) {
      return a.first == b.first;
    });
    m_items = items;
    m_count = static_cast<uint32_t>(last - items);
  }

 private:
  static constexpr size_t kFewItems = 16;

  value_type* m_items = nullptr;
  uint32_t m_count = 0;
};

}  // namespace velmor
