// The attributes of an element prototype: names and values kept in one array sorted by the
// code units of the names. A skin element has a handful of attributes that are read often and
// almost never changed, so one allocation per element and a binary search beat a node per
// attribute; the interface is the part of an ordered map the engine uses.
#pragma once
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmor {

class scPrototypeAttributes {
 public:
  using value_type = std::pair<std::wstring, std::wstring>;
  using const_iterator = std::vector<value_type>::const_iterator;
  using iterator = const_iterator;  // names are never changed in place

  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }
  size_t size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }

  const_iterator find(std::wstring_view name) const {
    const auto at = LowerBound(name);
    return at != m_items.end() && at->first == name ? const_iterator(at) : end();
  }
  // Adds the pair unless the name is there already (the first value wins).
  template <class Name, class Value>
  std::pair<const_iterator, bool> emplace(Name&& name, Value&& value) {
    const std::wstring_view key(name);
    auto at = LowerBound(key);
    if (at != m_items.end() && at->first == key) return {at, false};
    at = m_items.emplace(at, std::wstring(std::forward<Name>(name)),
                         std::wstring(std::forward<Value>(value)));
    return {at, true};
  }
  const_iterator erase(const_iterator at) { return m_items.erase(at); }
  friend bool operator==(const scPrototypeAttributes&, const scPrototypeAttributes&) = default;

  // Takes pairs in document order at once: sorted by name, and of equal names the first kept.
  void Assign(std::vector<value_type>&& items) {
    m_items = std::move(items);
    const auto less = [](const value_type& a, const value_type& b) { return a.first < b.first; };
    if (m_items.size() <= kFewItems) {
      // A handful: sorted in place by insertion (stable, and no scratch buffer).
      for (size_t i = 1; i < m_items.size(); ++i) {
        for (size_t j = i; j > 0 && less(m_items[j], m_items[j - 1]); --j)
          std::swap(m_items[j], m_items[j - 1]);
      }
    } else {
      std::stable_sort(m_items.begin(), m_items.end(), less);
    }
    m_items.erase(std::unique(m_items.begin(), m_items.end(),
                              [](const value_type& a, const value_type& b) {
                                return a.first == b.first;
                              }),
                  m_items.end());
  }

 private:
  static constexpr size_t kFewItems = 16;

  std::vector<value_type>::iterator LowerBound(std::wstring_view name) const {
    auto& items = const_cast<std::vector<value_type>&>(m_items);
    return std::lower_bound(items.begin(), items.end(), name,
                            [](const value_type& item, std::wstring_view key) {
                              return std::wstring_view(item.first) < key;
                            });
  }

  std::vector<value_type> m_items;
};

}  // namespace velmor
