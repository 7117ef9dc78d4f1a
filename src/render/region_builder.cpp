#include "render/region_builder.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace velmor {
namespace {

// Native region coordinates are 27-bit on Windows; anything outside is off every screen anyway.
constexpr int64_t kMinCoordinate = -(int64_t{1} << 27);
constexpr int64_t kMaxCoordinate = (int64_t{1} << 27) - 1;

LONG Clamp(int64_t value) {
  return static_cast<LONG>(std::clamp(value, kMinCoordinate, kMaxCoordinate));
}

// Rectangles per ExtCreateRegion call. The system unites them one at a time, each union costing
// as much as the region built so far, so small pieces are built first and then paired up.
constexpr size_t kPieceRects = 64;

HRGN CreatePiece(const RECT* rects, size_t count) {
  const size_t bytes = sizeof(RGNDATAHEADER) + count * sizeof(RECT);
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes]);
  if (!buffer) return nullptr;
  auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(count);
  data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
  RECT bound = rects[0];
  for (size_t i = 1; i < count; ++i) {
    bound.left = std::min(bound.left, rects[i].left);
    bound.top = std::min(bound.top, rects[i].top);
    bound.right = std::max(bound.right, rects[i].right);
    bound.bottom = std::max(bound.bottom, rects[i].bottom);
  }
  data->rdh.rcBound = bound;
  std::copy(rects, rects + count, reinterpret_cast<RECT*>(data->Buffer));
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), data);
}

void DeleteAll(std::vector<HRGN>& regions) {
  for (HRGN region : regions) {
    if (region != nullptr) ::DeleteObject(region);
  }
  regions.clear();
}

}  // namespace

void scRegionBuilder::AddRect(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return;
  const RECT rect{Clamp(x), Clamp(y), Clamp(int64_t{x} + width), Clamp(int64_t{y} + height)};
  if (rect.left >= rect.right || rect.top >= rect.bottom) return;
  m_rects.push_back(rect);
}

bool scRegionBuilder::AddRegion(Gdiplus::Region& region, int dx, int dy) {
  const Gdiplus::Matrix identity;
  const UINT count = region.GetRegionScansCount(&identity);
  if (region.GetLastStatus() != Gdiplus::Ok) return false;
  if (count == 0) return true;
  std::vector<Gdiplus::Rect> scans(count);
  INT read = static_cast<INT>(count);
  if (region.GetRegionScans(&identity, scans.data(), &read) != Gdiplus::Ok) return false;
  m_rects.reserve(m_rects.size() + static_cast<size_t>(read));
  for (INT i = 0; i < read; ++i) {
    const Gdiplus::Rect& r = scans[static_cast<size_t>(i)];
    AddRect(r.X + dx, r.Y + dy, r.Width, r.Height);
  }
  return true;
}

size_t MergeRowRects(std::vector<RECT>& rects) {
  std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) {
    if (a.top != b.top) return a.top < b.top;
    if (a.bottom != b.bottom) return a.bottom < b.bottom;
    return a.left < b.left;
  });
  size_t kept = 0;
  for (size_t i = 0; i < rects.size(); ++i) {
    RECT& last = rects[kept > 0 ? kept - 1 : 0];
    const RECT& r = rects[i];
    if (kept > 0 && last.top == r.top && last.bottom == r.bottom && r.left <= last.right) {
      last.right = std::max(last.right, r.right);
    } else {
      rects[kept++] = r;
    }
  }
  rects.resize(kept);
  return kept;
}

HRGN CreateRegionFromRects(std::vector<RECT> rects) {
  if (rects.empty()) return ::CreateRectRgn(0, 0, 0, 0);
  std::vector<HRGN> regions;
  try {
    MergeRowRects(rects);
    regions.reserve(rects.size() / kPieceRects + 1);
    for (size_t at = 0; at < rects.size(); at += kPieceRects) {
      HRGN piece = CreatePiece(&rects[at], std::min(kPieceRects, rects.size() - at));
      if (piece == nullptr) {
        DeleteAll(regions);
        return nullptr;
      }
      regions.push_back(piece);
    }
    // Pairs of neighbours are united level by level: each level costs about the size of the
    // whole region, and there are log2(pieces) levels.
    while (regions.size() > 1) {
      std::vector<HRGN> next;
      next.reserve(regions.size() / 2 + 1);
      for (size_t i = 0; i < regions.size(); i += 2) {
        HRGN first = regions[i];
        regions[i] = nullptr;
        next.push_back(first);
        if (i + 1 == regions.size()) break;
        const int combined = ::CombineRgn(first, first, regions[i + 1], RGN_OR);
        ::DeleteObject(regions[i + 1]);
        regions[i + 1] = nullptr;
        if (combined == ERROR) {
          DeleteAll(next);
          DeleteAll(regions);
          return nullptr;
        }
      }
      regions.swap(next);
    }
    return regions.front();
  } catch (...) {
    DeleteAll(regions);
    throw;
  }
}

HRGN scRegionBuilder::CreateNativeRegion() const {
  try {
    return CreateRegionFromRects(m_rects);
  } catch (...) {
    return nullptr;
  }
}

std::vector<RECT> NativeRegionRects(HRGN region) {
  std::vector<RECT> rects;
  const DWORD bytes = ::GetRegionData(region, 0, nullptr);
  if (bytes < sizeof(RGNDATAHEADER)) return rects;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes]);
  if (!buffer) return rects;
  auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
  if (::GetRegionData(region, bytes, data) != bytes) return rects;
  const auto* first = reinterpret_cast<const RECT*>(data->Buffer);
  rects.assign(first, first + data->rdh.nCount);
  return rects;
}

HRGN LimitRegionRects(HRGN region, size_t maxRects) {
  if (region == nullptr) return nullptr;
  try {
    std::vector<RECT> rects = NativeRegionRects(region);
    if (rects.size() <= maxRects) return region;
    RECT bound = rects.front();
    for (const RECT& r : rects) ::UnionRect(&bound, &bound, &r);
    for (LONG gap = 2; gap < bound.right - bound.left; gap *= 2) {
      // Rows keep their banded order: joining neighbours closer than 'gap' keeps it.
      size_t kept = 0;
      for (size_t i = 0; i < rects.size(); ++i) {
        RECT& last = rects[kept > 0 ? kept - 1 : 0];
        const RECT& r = rects[i];
        if (kept > 0 && last.top == r.top && r.left - last.right < gap) {
          last.right = std::max(last.right, r.right);
        } else {
          rects[kept++] = r;
        }
      }
      rects.resize(kept);
      HRGN simpler = CreateRegionFromRects(rects);
      if (simpler == nullptr) break;
      rects = NativeRegionRects(simpler);  // rows that became equal are joined by the system
      if (!rects.empty() && rects.size() <= maxRects) {
        ::DeleteObject(region);
        return simpler;
      }
      ::DeleteObject(simpler);
      if (rects.empty()) break;
    }
    ::SetRectRgn(region, bound.left, bound.top, bound.right, bound.bottom);
    return region;
  } catch (...) {
    return region;
  }
}

}  // namespace velmor
