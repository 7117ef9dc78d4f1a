// The attributes of an element prototype: name/value pairs in one array sorted by the code units
// of the names. A skin element has a handful of attributes that are read often and almost never
// changed, so one array and a binary search beat a node per attribute; the interface is the part
// of an ordered map the engine uses. The array and the texts belong to the prototype's arena.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <tuple>
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
  // The attributes whose names begin with 'prefix': one run of the sorted array.
  std::pair<const_iterator, const_iterator> WithPrefix(std::wstring_view prefix) const {
    const_iterator first = std::lower_bound(
        begin(), end(), prefix,
        [](const value_type& item, std::wstring_view key) { return item.first < key; });
    const_iterator last = std::partition_point(first, end(), [prefix](const value_type& item) {
      return item.first.substr(0, prefix.size()) == prefix;
    });
    return {first, last};
  }

  // Whether some name in [first, last) may equal 'name' when letter case is ignored. Exact for
  // ASCII letters; a name with other characters where the comparison reaches them counts as a
  // match, since their case folding is the platform's. Each character narrows the sorted run to
  // the names with its lower or its upper case letter there, so a long run costs a few searches;
  // names written in many mixes of letter case, which would branch at every letter, count as a
  // match once the searches pass a small bound.
  static bool MayEqualIgnoringCase(const_iterator first, const_iterator last,
                                   std::wstring_view name) {
    int searches = kCaseSearchBound;
    return MayEqualIgnoringCase(first, last, name, 0, searches);
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
  static constexpr int kCaseSearchBound = 64;

  static bool MayEqualIgnoringCase(const_iterator first, const_iterator last,
                                   std::wstring_view name, size_t at, int& searches) {
    for (; first != last; ++at) {
      // The run shares the first 'at' characters of 'name' (up to case); shorter names sort first.
      if (first->first.size() == at) {
        if (at == name.size()) return true;
        if (++first == last) return false;
      }
      if (at == name.size()) return false;
      if (static_cast<wchar_t>((last - 1)->first[at]) >= 0x80 || name[at] >= 0x80) return true;
      if ((searches -= 2) < 0) return true;
      const wchar_t lower = AsciiLower(name[at]);
      if (lower >= L'a' && lower <= L'z') {
        const auto upper = At(first, last, at, static_cast<wchar_t>(lower - (L'a' - L'A')));
        if (MayEqualIgnoringCase(upper.first, upper.second, name, at + 1, searches)) return true;
      }
      std::tie(first, last) = At(first, last, at, lower);
    }
    return false;
  }

  static wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
  }
  // The names in [first, last), all longer than 'at', with 'c' at position 'at'.
  static std::pair<const_iterator, const_iterator> At(const_iterator first, const_iterator last,
                                                      size_t at, wchar_t c) {
    return std::equal_range(first, last, c, Compare{at});
  }
  struct Compare {
    size_t at;
    bool operator()(const value_type& item, wchar_t c) const { return item.first[at] < c; }
    bool operator()(wchar_t c, const value_type& item) const { return c < item.first[at]; }
  };

  value_type* m_items = nullptr;
  uint32_t m_count = 0;
};

}  // namespace velmor
