#include "images/image_manager.h"

#include "images/font_cache.h"

#include <shlwapi.h>

#include <algorithm>

#include <new>
#include <string_view>

#include "base/module_instance.h"

namespace velmor {
namespace {

CImageManager* g_manager = nullptr;

}  // namespace

CImageManager::~CImageManager() { EmptyCache(); }

bool ResolveImagePath(const wchar_t* path, wchar_t* buffer) {
  if (path == nullptr || buffer == nullptr) return false;
  if (::PathIsRootW(path)) {
    if (::wcslen(path) >= MAX_PATH) return false;
    ::wcscpy(buffer, path);
    return true;
  }
  // Appending an absolute path replaces the folder, so full paths pass through unchanged.
  return GetPathBesideModule(L"skins\\default", buffer, MAX_PATH) &&
         ::PathAppendW(buffer, path) != FALSE;
}

Gdiplus::Bitmap* CImageManager::GetImage(const wchar_t* path) {
  if (path == nullptr) return nullptr;
  try {
    const auto it = m_images.find(std::wstring_view(path));
    if (it != m_images.end()) return it->second.get();

    wchar_t file[MAX_PATH] = L"";
    if (!ResolveImagePath(path, file)) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> image(new Gdiplus::Bitmap(file, FALSE));
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Bitmap* entry = image.get();
    m_images.emplace(path, std::move(image));
    return entry;
  } catch (...) {
    return nullptr;
  }
}

ComPtr<imgIContainer> CImageManager::GetImageContainer(const wchar_t* path) {
  if (path == nullptr) return nullptr;
  try {
    const std::wstring key(path);
    const auto it = m_containers.find(key);
    if (it != m_containers.end()) return it->second;

    Gdiplus::Bitmap* image = GetImage(path);
    if (image == nullptr) return nullptr;
    ComPtr<imgContainer> container;
    if (FAILED(imgContainer::CreateObject(container.ReleaseAndGetAddressOf()))) return nullptr;
    if (FAILED(container->Init(image))) return nullptr;
    m_containers.emplace(key, container);
    return container;
  } catch (...) {
    return nullptr;
  }
}

const uint32_t* CImageManager::GetPremultipliedPixels(Gdiplus::Bitmap* image, UINT* width,
                                                     UINT* height, bool* opaque) {
  if (image == nullptr || width == nullptr || height == nullptr) return nullptr;
  try {
    auto it = m_pixels.find(image);
    if (it == m_pixels.end()) {
      const UINT w = image->GetWidth(), h = image->GetHeight();
      const size_t count = static_cast<size_t>(w) * h;
      if (w == 0 || h == 0 || count > kPixelBudget - m_pixelCount) return nullptr;
      PixelCopy copy;
      copy.width = w;
      copy.height = h;
      copy.pixels.resize(count);
      Gdiplus::BitmapData data{};
      data.Width = w;
      data.Height = h;
      data.Stride = static_cast<INT>(w * 4);
      data.PixelFormat = PixelFormat32bppPARGB;
      data.Scan0 = copy.pixels.data();
      // GDI+ premultiplies while it copies, exactly as it does before it draws.
      const Gdiplus::Rect all(0, 0, static_cast<INT>(w), static_cast<INT>(h));
      if (image->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                          PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
        return nullptr;
      image->UnlockBits(&data);
      copy.opaque = std::all_of(copy.pixels.begin(), copy.pixels.end(),
                                [](uint32_t pixel) { return (pixel >> 24) == 0xFF; });
      it = m_pixels.emplace(image, std::move(copy)).first;
      m_pixelCount += count;
    }
    *width = it->second.width;
    *height = it->second.height;
    if (opaque != nullptr) *opaque = it->second.opaque;
    return it->second.pixels.data();
  } catch (...) {
    return nullptr;
  }
}

void CImageManager::DropPixels(const Gdiplus::Bitmap* image) {
  const auto it = m_pixels.find(image);
  if (it == m_pixels.end()) return;
  m_pixelCount -= it->second.pixels.size();
  m_pixels.erase(it);
}

Gdiplus::Region* CImageManager::FindRegion(const wchar_t* path) const {
  if (path == nullptr) return nullptr;
  try {
    const auto it = m_regions.find(path);
    return it != m_regions.end() ? it->second.get() : nullptr;
  } catch (...) {
    return nullptr;
  }
}

Gdiplus::Region* CImageManager::AddRegion(const wchar_t* path,
                                          std::unique_ptr<Gdiplus::Region> region) {
  if (path == nullptr || !region) return nullptr;
  try {
    Gdiplus::Region* entry = region.get();
    const auto [it, inserted] = m_regions.emplace(path, std::move(region));
    return inserted ? entry : it->second.get();
  } catch (...) {
    return nullptr;
  }
}

void CImageManager::EmptyCache() {
  // Containers first: they point into the images.
  for (auto& [path, container] : m_containers) container->Detach();
  m_containers.clear();
  m_pixels.clear();
  m_pixelCount = 0;
  m_regions.clear();
  m_images.clear();
}

CImageManager* GetImageManager() {
  // Never deleted: the process may end after GDI+ has shut down, when deleting GDI+ objects
  // is no longer allowed. The end of a run empties the caches instead.
  if (g_manager == nullptr) g_manager = new (std::nothrow) CImageManager;
  return g_manager;
}

void EmptyImageCache() {
  if (g_manager != nullptr) g_manager->EmptyCache();
  EmptyFontCache();
}

}  // namespace velmor
