// The process-wide image manager: decoded skin bitmaps, their animation containers and the
// window-shape regions made from them, each cached by the path exactly as the skin wrote it
// (two spellings of one file are two entries). Relative paths are looked up under
// "skins\default" beside the program, whichever skin the windows come from. Entries stay until
// the end of the run empties the cache; UI thread only, no locks.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/com_object.h"
#include "images/img_container.h"

namespace velmor {

class CImageManager {
 public:
  CImageManager() = default;
  CImageManager(const CImageManager&) = delete;
  CImageManager& operator=(const CImageManager&) = delete;
  ~CImageManager();

  // The cached image for the path, decoding it on first use; null when the file is missing or
  // not an image (nothing is reported: callers simply draw nothing).
  Gdiplus::Bitmap* GetImage(const wchar_t* path);
  // The shared container for the path (a new reference), null when there is no image.
  ComPtr<imgIContainer> GetImageContainer(const wchar_t* path);

  // Window-shape regions made from images, owned by the cache.
  Gdiplus::Region* FindRegion(const wchar_t* path) const;
  // Stores a region under the path and answers the cached one: when the path already has a
  // region, that first one stays and 'region' is freed. Null on failure.
  Gdiplus::Region* AddRegion(const wchar_t* path, std::unique_ptr<Gdiplus::Region> region);

  // The pixels of 'image' (its active frame) as premultiplied 32-bit ARGB, rows top first and
  // 'width' pixels each, read once and kept: painting copies them straight into its buffer
  // instead of going through GDI+, whose software drawing costs tens of nanoseconds a pixel
  // under Wine. Null when the image is too large for the cache's budget or cannot be read.
  // 'opaque', when given, tells whether every pixel has full alpha.
  const uint32_t* GetPremultipliedPixels(Gdiplus::Bitmap* image, UINT* width, UINT* height,
                                         bool* opaque = nullptr);
  // Forgets the pixels read from 'image' (its active frame changed).
  void DropPixels(const Gdiplus::Bitmap* image);

  // Frees every image and region and lets go of the containers (which stop animating and
  // forget their image). Runs at the end of a run, while GDI+ is still up.
  void EmptyCache();

  size_t ImageCount() const { return m_images.size(); }
  size_t ContainerCount() const { return m_containers.size(); }
  size_t RegionCount() const { return m_regions.size(); }

  // Pixels the copies may hold together (32 MB).
  static constexpr size_t kPixelBudget = 8u << 20;

 private:
  // Looked up by the caller's characters on every paint, without making a string of them.
  std::map<std::wstring, std::unique_ptr<Gdiplus::Bitmap>, std::less<>> m_images;
  std::map<std::wstring, ComPtr<imgContainer>> m_containers;
  std::map<std::wstring, std::unique_ptr<Gdiplus::Region>> m_regions;
  struct PixelCopy {
    UINT width = 0, height = 0;
    bool opaque = false;
    std::vector<uint32_t> pixels;
  };
  std::map<const Gdiplus::Bitmap*, PixelCopy> m_pixels;
  size_t m_pixelCount = 0;
};

// The one manager of the process, created on first use; null only if that allocation failed.
CImageManager* GetImageManager();

// Empties the manager's caches if it exists (without creating it), and the font cache.
void EmptyImageCache();

// The file an image path names: relative paths are appended to "skins\default" beside the
// module; a drive or share root is used as it is. 'buffer' holds MAX_PATH characters.
bool ResolveImagePath(const wchar_t* path, wchar_t* buffer);

}  // namespace velmor
