// Full repaint of a 1280 × 800 document window holding 1,000 elements: 40 subwindow panels with a
// background colour and a nine-grid background image, each holding 16 images drawn at natural
// size, stretched, tiled and as nine-grids, 4 labels (some filled, aligned in different ways) and
// 4 drawn buttons (a nine-grid picture under a centred caption). The engine's repaint (WM_PAINT
// of the whole client area: double buffer, tree walk, element painting, one BitBlt) against two
// baselines drawing into the same kind of buffer at absolute coordinates, with no element tree:
// bare GDI+ calls, and the very calls the engine's painting ends in (its own pixel copies for
// bitmaps and fills, GDI+ for text). All three pictures are compared pixel for pixel. Then what
// the window's kept frame saves: a repaint the platform asks for with nothing changed (a copy
// from the frame) and a repaint after one label's text changed (that label's box painted, the
// rest copied), against the full repaint. Prints medians of interleaved runs and their ratios.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "images/image_manager.h"
#include "render/double_buffer.h"
#include "render/image_draw.h"
#include "window/document.h"

using velmor::bench::InterleavedMediansMs;

namespace {

constexpr int kWidth = 1280, kHeight = 800;
constexpr int kPanelsAcross = 8, kPanelsDown = 5;  // 40 panels of 160 × 160
constexpr int kChildrenPerPanel = 24;              // 6 × 4 cells of 26 × 38
constexpr int kCellsAcross = 6;
// Of each panel's children: the first 16 are images, then 4 labels and 4 buttons.
constexpr int kImagesPerPanel = 16, kLabelsPerPanel = 4;
constexpr wchar_t kFace[] = L"Tahoma";
constexpr float kFontSize = 11;

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, codecs);
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

std::wstring WriteImage(const std::wstring& folder, const wchar_t* name, int w, int h,
                        Gdiplus::ARGB seed) {
  Gdiplus::Bitmap bitmap(w, h, PixelFormat32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.SetPixel(
          x, y,
          Gdiplus::Color(0xFF000000u |
                         (seed + static_cast<Gdiplus::ARGB>(x * 7919 + y * 104729)) % 0xFFFFFFu));
  CLSID png{};
  const std::wstring path = folder + L"\\" + name;
  if (!PngEncoder(&png) || bitmap.Save(path.c_str(), &png, nullptr) != Gdiplus::Ok) return L"";
  return path;
}

std::string Utf8(const std::wstring& text) { return std::string(text.begin(), text.end()); }

enum class Kind { kPanel, kNatural, kStretched, kTiled, kNineGrid, kLabel, kButton };

// A label's (or a button caption's) text and how it is drawn.
struct Text {
  const wchar_t* text;
  Gdiplus::StringAlignment horizontal, vertical;
  Gdiplus::ARGB foreground, background;  // a background with alpha 0 is not filled
  INT style;
};

// The labels and captions used, in turn; the skin writes the same in attributes.
const Text kTexts[] = {
    {L"&Open", Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter, 0xFF1F2A36, 0, 0},
    {L"Status", Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentNear, 0xFFFFFFFF, 0xFF2D6CDF,
     Gdiplus::FontStyleBold},
    {L"42 items", Gdiplus::StringAlignmentFar, Gdiplus::StringAlignmentCenter, 0xFF9FB3C8, 0, 0},
    {L"Long text cut at the edge", Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentFar,
     0xFF203040, 0xFFF4F6FA, Gdiplus::FontStyleItalic},
};
constexpr int kTextCount = sizeof(kTexts) / sizeof(kTexts[0]);

std::string TextAttributes(const Text& t) {
  static const char* const across[] = {"left", "center", "right"};
  static const char* const down[] = {"top", "vcenter", "bottom"};
  static const char* const styles[] = {"Normal", "Bold", "Italic"};
  char colours[80];
  std::snprintf(colours, sizeof(colours), " foregroundColor=\"#%06lx\"",
                static_cast<unsigned long>(t.foreground & 0xFFFFFF));
  std::string xml = colours;
  if ((t.background >> 24) != 0) {
    std::snprintf(colours, sizeof(colours), " backgroundColor=\"#%06lx\"",
                  static_cast<unsigned long>(t.background & 0xFFFFFF));
    xml += colours;
  }
  std::string value;
  for (const wchar_t* c = t.text; *c; ++c) value += *c == L'&' ? std::string("&amp;") : std::string(1, static_cast<char>(*c));
  return xml + " fontFace=\"Tahoma\" fontSize=\"11\" fontStyle=\"" + styles[t.style] +
         "\" textAlignment=\"" + across[t.horizontal] + " " + down[t.vertical] + "\" value=\"" +
         value + "\"";
}

// One element's drawing at absolute client coordinates, as the baseline issues it.
struct Draw {
  Kind kind;
  RECT box;
  Gdiplus::Bitmap* image;
  const Text* text;
};

struct Images {
  std::wstring natural, stretched, tiled, grid, panel;
};

std::string MakeSkin(const Images& im, std::vector<Draw>& draws, velmor::CImageManager* cache) {
  const char* const modes[] = {"", " stretchMode=\"stretch\"", " stretchMode=\"tile\"",
                               " stretchMode=\"ninegrid\" nineGridMargins=\"4,4,4,4\""};
  const std::wstring* paths[] = {&im.natural, &im.stretched, &im.tiled, &im.grid};
  const Kind kinds[] = {Kind::kNatural, Kind::kStretched, Kind::kTiled, Kind::kNineGrid};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<window width=\"1280\" height=\"800\">\n";
  for (int py = 0; py < kPanelsDown; ++py) {
    for (int px = 0; px < kPanelsAcross; ++px) {
      const int left = px * 160, top = py * 160;
      xml += "<subwindow left=\"" + std::to_string(left) + "\" top=\"" + std::to_string(top) +
             "\" width=\"160\" height=\"160\" backgroundColor=\"#203040\" backgroundImage=\"" +
             Utf8(im.panel) +
             "\" backgroundImageStretchMode=\"ninegrid\" nineGridMargins=\"6,6,6,6\">\n";
      draws.push_back({Kind::kPanel, RECT{left, top, left + 160, top + 160},
                       cache->GetImage(im.panel.c_str()), nullptr});
      for (int i = 0; i < kChildrenPerPanel; ++i) {
        const int x = 2 + (i % kCellsAcross) * 26, y = 2 + (i / kCellsAcross) * 38;
        const std::string box = " left=\"" + std::to_string(x) + "\" top=\"" + std::to_string(y) +
                                "\" width=\"24\" height=\"36\"";
        const RECT absolute{left + x, top + y, left + x + 24, top + y + 36};
        const Text& text = kTexts[(i + px + py) % kTextCount];
        if (i < kImagesPerPanel) {
          const int k = (i + px + py) % 4;
          xml += "  <image" + box + " src=\"" + Utf8(*paths[k]) + "\"" + modes[k] + "/>\n";
          draws.push_back({kinds[k], absolute, cache->GetImage(paths[k]->c_str()), nullptr});
        } else if (i < kImagesPerPanel + kLabelsPerPanel) {
          // The first label is the one the small-change repaint changes.
          const bool changed = px == 0 && py == 0 && i == kImagesPerPanel;
          xml += "  <label" + box + (changed ? " id=\"changed\"" : "") + TextAttributes(text) +
                 "/>\n";
          draws.push_back({Kind::kLabel, absolute, nullptr, &text});
        } else {
          xml += "  <button" + box + " image=\"" + Utf8(im.grid) + "\" hoverImage=\"" +
                 Utf8(im.panel) + "\" stretchMode=\"ninegrid\" nineGridMargins=\"4,4,4,4\"" +
                 TextAttributes(text) + "/>\n";
          draws.push_back({Kind::kButton, absolute, cache->GetImage(im.grid.c_str()), &text});
        }
      }
      xml += "</subwindow>\n";
    }
  }
  return xml + "</window>\n";
}

// How the baselines draw bitmaps and fills: with GDI+ calls, or with the pixel copies the
// engine's paint makes itself (the same calls the engine issues, without its element tree).
enum class Calls { kGdiPlus, kEngineCopies };

// One bitmap part into a destination rectangle. Skins show a part scaled across with its last
// column from the source's last column, where GDI+ may show an inner one (narrowed) or, at some
// positions, none: GDI+ draws it again over the part (the benchmark's images are opaque).
void Part(Gdiplus::Graphics& g, Calls calls, Gdiplus::Bitmap* image, const RECT& d,
          const RECT& s) {
  const int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left,
            sh = s.bottom - s.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (calls == Calls::kEngineCopies) {
    velmor::scPixelTarget::Draw(&g, image, d, s);
    return;
  }
  g.DrawImage(image, Gdiplus::Rect(d.left, d.top, dw, dh), s.left, s.top, sw, sh,
              Gdiplus::UnitPixel);
  if (sw != dw && dw > 1 && sw > 1)
    g.DrawImage(image, Gdiplus::Rect(d.right - 1, d.top, 1, dh), s.right - 1, s.top, 1, sh,
                Gdiplus::UnitPixel);
}

void DrawGrid(Gdiplus::Graphics& g, Calls calls, Gdiplus::Bitmap* image, const RECT& d, LONG m) {
  const LONG w = static_cast<LONG>(image->GetWidth()), h = static_cast<LONG>(image->GetHeight());
  const LONG l = d.left, t = d.top, r = d.right, b = d.bottom;
  Part(g, calls, image, RECT{l, t, l + m, t + m}, RECT{0, 0, m, m});
  Part(g, calls, image, RECT{r - m, t, r, t + m}, RECT{w - m, 0, w, m});
  Part(g, calls, image, RECT{l, b - m, l + m, b}, RECT{0, h - m, m, h});
  Part(g, calls, image, RECT{r - m, b - m, r, b}, RECT{w - m, h - m, w, h});
  Part(g, calls, image, RECT{l + m, t, r - m, t + m}, RECT{m, 0, w - m, m});
  Part(g, calls, image, RECT{l + m, b - m, r - m, b}, RECT{m, h - m, w - m, h});
  Part(g, calls, image, RECT{l, t + m, l + m, b - m}, RECT{0, m, m, h - m});
  Part(g, calls, image, RECT{r - m, t + m, r, b - m}, RECT{w - m, m, w, h - m});
  Part(g, calls, image, RECT{l + m, t + m, r - m, b - m}, RECT{m, m, w - m, h - m});
}

void Fill(Gdiplus::Graphics& g, Calls calls, Gdiplus::ARGB colour, const RECT& box) {
  if (calls == Calls::kEngineCopies) {
    velmor::scPixelTarget::Fill(&g, colour, box);
    return;
  }
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  g.FillRectangle(&brush, static_cast<INT>(box.left), static_cast<INT>(box.top),
                  static_cast<INT>(box.right - box.left), static_cast<INT>(box.bottom - box.top));
}

// A label's drawing with bare GDI+ calls: the fill, then the text clipped to its box in a format
// made for it with a font made from its family; a vertically centred text has its em box centred
// (the font's height scaled by em height over line spacing), drawn top-aligned below that offset.
void DrawLabel(Gdiplus::Graphics& g, Calls calls, const Text& t, const RECT& box) {
  const float w = static_cast<float>(box.right - box.left), h = static_cast<float>(box.bottom - box.top);
  if ((t.background >> 24) != 0) Fill(g, calls, t.background, box);
  Gdiplus::StringFormat format(0, LANG_NEUTRAL);
  format.SetAlignment(t.horizontal);
  format.SetLineAlignment(t.vertical);
  format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  format.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
  format.SetTrimming(Gdiplus::StringTrimmingNone);
  Gdiplus::SolidBrush brush{Gdiplus::Color(t.foreground)};
  Gdiplus::FontFamily family(kFace);
  Gdiplus::Font font(&family, kFontSize, t.style, Gdiplus::UnitPixel);
  const INT length = static_cast<INT>(wcslen(t.text));
  const Gdiplus::RectF layout(static_cast<float>(box.left), static_cast<float>(box.top), w, h);
  // The text stays inside its box, as a label keeps it.
  const Gdiplus::GraphicsState saved = g.Save();
  g.IntersectClip(layout);
  if (t.vertical != Gdiplus::StringAlignmentCenter) {
    g.DrawString(t.text, length, &font, layout, &format, &brush);
    g.Restore(saved);
    return;
  }
  Gdiplus::REAL block = font.GetHeight(&g);
  Gdiplus::FontFamily fontFamily;
  font.GetFamily(&fontFamily);
  block = block * fontFamily.GetEmHeight(t.style) / fontFamily.GetLineSpacing(t.style);
  const float offset = (h - block) / 2;
  Gdiplus::StringFormat nearFormat(&format);
  nearFormat.SetLineAlignment(Gdiplus::StringAlignmentNear);
  g.DrawString(t.text, length, &font,
               Gdiplus::RectF(static_cast<float>(box.left), box.top + offset, w, h - offset),
               &nearFormat, &brush);
  g.Restore(saved);
}

// The colours of a buffer the size of the window (without the unused top byte), row after row.
std::vector<uint32_t> Colours(const velmor::scDoubleBuffer& buffer) {
  ::GdiFlush();
  const auto* pixels = reinterpret_cast<const uint32_t*>(buffer.Pixels());
  std::vector<uint32_t> out(pixels, pixels + static_cast<size_t>(kWidth) * kHeight);
  for (uint32_t& pixel : out) pixel &= 0xFFFFFF;
  return out;
}

// The same picture without the engine: one buffer like the engine's, one Graphics, the drawing
// calls at absolute coordinates, then one BitBlt. The window goes through the platform's paint as
// for the engine's WM_PAINT (invalidated, then painted between BeginPaint and EndPaint, which
// also send it WM_NCPAINT and WM_ERASEBKGND). 'picture', when given, receives the colours.
void PaintBare(HWND window, const std::vector<Draw>& draws, Calls calls,
               std::vector<uint32_t>* picture = nullptr) {
  ::InvalidateRect(window, nullptr, FALSE);
  PAINTSTRUCT paint;
  HDC target = ::BeginPaint(window, &paint);
  {
    // The engine's own double buffer, so both sides pay the same for it.
    const velmor::scDoubleBuffer buffer(target, RECT{0, 0, kWidth, kHeight});
    {
      Gdiplus::Bitmap pixels(kWidth, kHeight, buffer.Stride(), PixelFormat32bppRGB,
                             buffer.Pixels());
      Gdiplus::Graphics g(&pixels);
      g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
      g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
      std::optional<velmor::scPixelTarget> copies;
      if (calls == Calls::kEngineCopies)
        copies.emplace(&g, buffer.Pixels(), buffer.Stride(), kWidth, kHeight);
      for (const Draw& d : draws) {
        const LONG w = d.box.right - d.box.left, h = d.box.bottom - d.box.top;
        const RECT whole{0, 0, d.image != nullptr ? static_cast<LONG>(d.image->GetWidth()) : 0,
                         d.image != nullptr ? static_cast<LONG>(d.image->GetHeight()) : 0};
        switch (d.kind) {
          case Kind::kPanel:
            Fill(g, calls, 0xFF203040, d.box);
            DrawGrid(g, calls, d.image, d.box, 6);
            break;
          case Kind::kNatural: {
            const RECT shown{0, 0, std::min(w, whole.right), std::min(h, whole.bottom)};
            Part(g, calls, d.image,
                 RECT{d.box.left, d.box.top, d.box.left + shown.right, d.box.top + shown.bottom},
                 shown);
            break;
          }
          case Kind::kStretched:
            Part(g, calls, d.image, d.box, whole);
            break;
          case Kind::kTiled:
            if (calls == Calls::kEngineCopies) {
              // The pattern starts at the element's corner, as the engine anchors it.
              g.TranslateTransform(static_cast<Gdiplus::REAL>(d.box.left),
                                   static_cast<Gdiplus::REAL>(d.box.top));
              velmor::scPixelTarget::Tile(&g, d.image, RECT{0, 0, w, h}, whole);
              g.ResetTransform();
            } else {
              Gdiplus::TextureBrush brush(d.image, Gdiplus::WrapModeTile);
              brush.TranslateTransform(static_cast<Gdiplus::REAL>(d.box.left),
                                       static_cast<Gdiplus::REAL>(d.box.top));
              g.FillRectangle(&brush, Gdiplus::Rect(d.box.left, d.box.top, w, h));
            }
            break;
          case Kind::kNineGrid:
            DrawGrid(g, calls, d.image, d.box, 4);
            break;
          case Kind::kLabel:
            DrawLabel(g, calls, *d.text, d.box);
            break;
          case Kind::kButton:
            DrawGrid(g, calls, d.image, d.box, 4);
            DrawLabel(g, calls, *d.text, d.box);
            break;
        }
      }
    }
    if (picture != nullptr) *picture = Colours(buffer);
  }  // copied to the window here
  ::EndPaint(window, &paint);
}

// The engine's picture of the whole window, painted into a buffer through WM_PRINTCLIENT.
std::vector<uint32_t> EnginePicture(HWND window) {
  HDC screen = ::GetDC(window);
  std::vector<uint32_t> picture;
  {
    const velmor::scDoubleBuffer canvas(screen, RECT{0, 0, kWidth, kHeight});
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    picture = Colours(canvas);
  }
  ::ReleaseDC(window, screen);
  return picture;
}

size_t Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  size_t count = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
  return count + (a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

// The pixels where 'a' and 'b' differ, counted by the kind of the element drawn last there.
std::string DifferingByKind(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                            const std::vector<Draw>& draws) {
  // What each element covers: a natural-size image its image's size, a label without a
  // background nothing (its text lies over the panel).
  std::vector<int> owner(a.size(), -1);
  for (size_t i = 0; i < draws.size(); ++i) {
    const Draw& d = draws[i];
    RECT box = d.box;
    if (d.kind == Kind::kNatural) {
      box.right = std::min<LONG>(box.right, box.left + static_cast<LONG>(d.image->GetWidth()));
      box.bottom = std::min<LONG>(box.bottom, box.top + static_cast<LONG>(d.image->GetHeight()));
    }
    if (d.kind == Kind::kLabel && (d.text->background >> 24) == 0) continue;
    for (LONG y = std::max(0L, box.top); y < std::min<LONG>(kHeight, box.bottom); ++y)
      for (LONG x = std::max(0L, box.left); x < std::min<LONG>(kWidth, box.right); ++x)
        owner[static_cast<size_t>(y) * kWidth + x] = static_cast<int>(i);
  }
  static const char* const names[] = {"panels",    "natural", "stretched", "tiled",
                                      "nine-grids", "labels",  "buttons"};
  size_t counts[7] = {};
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i] && owner[i] >= 0) ++counts[static_cast<int>(draws[owner[i]].kind)];
  std::string out;
  for (int k = 0; k < 7; ++k)
    out += std::string(k ? ", " : "") + names[k] + " " + std::to_string(counts[k]);
  return out;
}

}  // namespace

int main() {
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  int rc = 0;
  {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    Images im{WriteImage(folder, L"vb-natural.png", 20, 30, 11),
              WriteImage(folder, L"vb-stretched.png", 12, 16, 23),
              WriteImage(folder, L"vb-tiled.png", 7, 5, 37),
              WriteImage(folder, L"vb-grid.png", 16, 16, 41),
              WriteImage(folder, L"vb-panel.png", 32, 32, 53)};
    std::vector<Draw> draws;
    velmor::CImageManager* cache = velmor::GetImageManager();
    const std::string xml = MakeSkin(im, draws, cache);
    const std::wstring path = velmor::bench::WriteTempFile(L"velmor-bench-repaint.xml", xml);
    velmor::scDocument* document = nullptr;
    if (path.empty() || FAILED(velmor::scDocument::CreateObject(&document)) ||
        FAILED(document->Load(folder.c_str(), path.c_str()))) {
      std::printf("cannot load the benchmark window\n");
      return 1;
    }
    HWND window = document->WindowHandle();
    // Frameless, so the client area is the whole 1280 × 800.
    ::SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP);
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, 0);
    ::SetWindowPos(window, HWND_TOP, 0, 0, kWidth, kHeight,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    ::UpdateWindow(window);
    RECT client{};
    ::GetClientRect(window, &client);

    // The engine's paint and the same calls without its tree must make the very same picture.
    // GDI+ makes the same picture where nothing is scaled; scaling, Wine's GDI+ computes its
    // sample positions in single precision, which picks the neighbouring source pixel for some
    // destination pixels (by the destination's position in the buffer) and leaves some edge
    // columns or rows undrawn, where the engine's copies sample exactly and keep edges solid: those differences
    // are shown by kind, and cost the same work.
    std::vector<uint32_t> bare, copies;
    PaintBare(window, draws, Calls::kGdiPlus, &bare);
    PaintBare(window, draws, Calls::kEngineCopies, &copies);
    const std::vector<uint32_t> engine = EnginePicture(window);
    const size_t engineDiffers = Differing(engine, copies);

    // Each body ends with its pixels on the screen: EndPaint hands the window's pixels to the X
    // server only when the thread has not been idle for a while, and a BitBlt through GetDC not
    // at all, so every body ends with a look at the empty queue, which hands them over.
    auto shown = [] {
      MSG message;
      ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
      return true;
    };
    Microsoft::WRL::ComPtr<IDOMLabel> label;
    if (scIContent* changed = document->FindElementById(L"changed"))
      (void)changed->QueryInterface(IID_PPV_ARGS(&label));
    bool flip = false;
    constexpr int kRuns = 31;
    const std::vector<double> medians = InterleavedMediansMs(
        kRuns, {
                   [&] {
                     PaintBare(window, draws, Calls::kGdiPlus);
                     return shown();
                   },
                   [&] {
                     PaintBare(window, draws, Calls::kEngineCopies);
                     return shown();
                   },
                   [&] {
                     // Everything stale, as after a size change: the whole tree is painted.
                     (void)document->lock(velmor::kPaintLock);
                     (void)document->unlock(velmor::kPaintLock);
                     ::UpdateWindow(window);
                     return shown();
                   },
                   [&] {
                     ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                     return shown();
                   },
                   [&] {
                     flip = !flip;
                     velmor::UniqueBstr value(flip ? L"Changed" : L"Again");
                     if (!label || FAILED(label->put_value(value.Get()))) return false;
                     ::UpdateWindow(window);
                     return shown();
                   },
               });
    std::printf("full repaint of a %ldx%ld window with %zu elements, median of %d interleaved "
                "runs, %s\n",
                client.right, client.bottom, draws.size(), kRuns,
                velmor::bench::LoadAverage().c_str());
    std::printf("  bare GDI+ calls                                  %8.3f ms  (baseline)\n",
                medians[0]);
    std::printf("  the engine's own calls, without its element tree %8.3f ms  ratio %.2f\n",
                medians[1], medians[1] / medians[0]);
    std::printf("  engine WM_PAINT of the whole tree                %8.3f ms  ratio %.2f, "
                "%.2f of its own calls\n",
                medians[2], medians[2] / medians[0], medians[2] / medians[1]);
    std::printf("  platform repaint, nothing changed (frame copy)   %8.3f ms  %.4f of the full "
                "repaint\n",
                medians[3], medians[3] / medians[2]);
    std::printf("  repaint after one label's text changed           %8.3f ms  %.4f of the full "
                "repaint\n",
                medians[4], medians[4] / medians[2]);
    std::printf("  pixels: engine WM_PAINT against its own calls: %s\n",
                engineDiffers == 0 ? "the same"
                                   : (std::to_string(engineDiffers) + " DIFFER").c_str());
    std::printf("          bare GDI+ against them, %zu differ: %s\n", Differing(bare, copies),
                DifferingByKind(bare, copies, draws).c_str());
    if (engineDiffers != 0) rc = 1;
    if (draws.size() != 1000) rc = 1;
    LOG_IF_FAILED(document->Destroy());
    document->Release();
    velmor::EmptyImageCache();
  }
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return rc;
}
