#include "images/font_cache.h"

#include <map>
#include <memory>

namespace velmor {
namespace {

// Skins made by hand use a handful of fonts; made by a program, they may name a new size in
// every element. Past this many the cache starts again rather than grow without end.
constexpr size_t kMostFonts = 256;

// Keyed by the bytes of what the font is made from: 'S' + style, size and face for skin fonts,
// 'L' + the LOGFONT for the others.
std::map<std::wstring, std::unique_ptr<Gdiplus::Font>>* g_fonts = nullptr;

const Gdiplus::Font* Keep(std::wstring key, std::unique_ptr<Gdiplus::Font> font) {
  if (!font || font->GetLastStatus() != Gdiplus::Ok) return nullptr;
  // Never deleted itself, as the image cache: the process may end after GDI+ has shut down.
  if (g_fonts == nullptr) g_fonts = new std::map<std::wstring, std::unique_ptr<Gdiplus::Font>>;
  if (g_fonts->size() >= kMostFonts) g_fonts->clear();
  return g_fonts->emplace(std::move(key), std::move(font)).first->second.get();
}

const Gdiplus::Font* Find(const std::wstring& key) {
  if (g_fonts == nullptr) return nullptr;
  const auto it = g_fonts->find(key);
  return it != g_fonts->end() ? it->second.get() : nullptr;
}

std::wstring LogfontKey(const LOGFONTW& logfont) {
  std::wstring key(1, L'L');
  key.append(reinterpret_cast<const wchar_t*>(&logfont), sizeof(logfont) / sizeof(wchar_t));
  return key;
}

std::unique_ptr<Gdiplus::Font> MakeFromLogfont(const LOGFONTW& logfont) {
  HDC screen = ::GetDC(nullptr);
  std::unique_ptr<Gdiplus::Font> font(new Gdiplus::Font(screen, &logfont));
  ::ReleaseDC(nullptr, screen);
  return font;
}

}  // namespace

const Gdiplus::Font* SkinFont(const std::wstring& face, int32_t size, int32_t style) {
  try {
    std::wstring key(1, L'S');
    key += static_cast<wchar_t>(static_cast<uint32_t>(style) >> 16);
    key += static_cast<wchar_t>(style & 0xFFFF);
    key += static_cast<wchar_t>(static_cast<uint32_t>(size) >> 16);
    key += static_cast<wchar_t>(size & 0xFFFF);
    key += face;
    if (const Gdiplus::Font* kept = Find(key)) return kept;
    const Gdiplus::FontFamily family(face.c_str());
    if (family.GetLastStatus() == Gdiplus::Ok) {
      return Keep(std::move(key),
                  std::make_unique<Gdiplus::Font>(&family, static_cast<Gdiplus::REAL>(size), style,
                                                  Gdiplus::UnitPixel));
    }
    // GDI+'s own generic families may be missing altogether: the font mapper always answers.
    LOGFONTW logfont{};
    logfont.lfHeight = -size;
    logfont.lfWeight = (style & Gdiplus::FontStyleBold) ? FW_BOLD : FW_NORMAL;
    logfont.lfItalic = (style & Gdiplus::FontStyleItalic) ? TRUE : FALSE;
    logfont.lfUnderline = (style & Gdiplus::FontStyleUnderline) ? TRUE : FALSE;
    logfont.lfStrikeOut = (style & Gdiplus::FontStyleStrikeout) ? TRUE : FALSE;
    logfont.lfCharSet = DEFAULT_CHARSET;
    face.copy(logfont.lfFaceName, LF_FACESIZE - 1);
    return Keep(std::move(key), MakeFromLogfont(logfont));
  } catch (...) {
    return nullptr;
  }
}

const Gdiplus::Font* FontFromLogfont(const LOGFONTW& logfont) {
  try {
    std::wstring key = LogfontKey(logfont);
    if (const Gdiplus::Font* kept = Find(key)) return kept;
    return Keep(std::move(key), MakeFromLogfont(logfont));
  } catch (...) {
    return nullptr;
  }
}

void EmptyFontCache() {
  if (g_fonts != nullptr) g_fonts->clear();
}

}  // namespace velmor
