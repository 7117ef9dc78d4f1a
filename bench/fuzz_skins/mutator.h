// Seeded, reproducible mutations of skin files. Most keep the file well-formed so that it loads
// and reaches layout, painting and scripts: hostile attribute values, attributes renamed, added
// and removed, elements repeated, removed, moved, renamed, deeply wrapped and inserted, long
// attribute lists, many siblings, handlers and scripts. A few skins also get byte-level damage
// (changed bytes, cut and repeated ranges, truncation). The same seed and index always give the
// same skin.
#pragma once
#include <cstdint>
#include <string>

namespace velmor::fuzz {

// A small, fast generator (splitmix64): the runs must not depend on the C library's rand().
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next();
  // A number in [0, bound); 0 when bound is 0.
  size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }
  bool OneIn(size_t n) { return Below(n) == 0; }

 private:
  uint64_t m_state;
};

// The skin number 'index' of a run with 'seed', made from 'original' by one to four mutations.
std::string MutateSkin(const std::string& original, uint64_t seed, uint64_t index);

}  // namespace velmor::fuzz
