// Full repaint of a 1280 × 800 document window holding 1,000 elements: 40 subwindow panels with a
// background colour and a nine-grid background image, each holding 16 images drawn at natural
// size, stretched, tiled and as nine-grids, 4 labels (some filled, aligned in different ways) and
// 4 drawn buttons (a nine-grid picture under a centred caption). The engine's repaint (WM_PAINT of the whole client
// area: double buffer, tree walk, element painting, one BitBlt) against the same drawing calls
// issued directly with GDI+ at absolute coordinates into the same kind of buffer. Prints medians
// of several interleaved runs and their ratio.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "images/image_manager.h"
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
          xml += "  <label" + box + TextAttributes(text) + "/>\n";
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

// 'columns': also redraw each part's last column, as the engine's stretch does to keep the
// right edge solid (so the two sides issue the same drawing calls).
void DrawGrid(Gdiplus::Graphics& g, Gdiplus::Bitmap* image, const RECT& d, int m, bool columns) {
  const int w = static_cast<int>(image->GetWidth()), h = static_cast<int>(image->GetHeight());
  auto part = [&](int dl, int dt, int dr, int db, int sl, int st, int sr, int sb) {
    g.DrawImage(image, Gdiplus::Rect(dl, dt, dr - dl, db - dt), sl, st, sr - sl, sb - st,
                Gdiplus::UnitPixel);
    if (columns && dr - dl > 1 && sr - sl > 1)
      g.DrawImage(image, Gdiplus::Rect(dr - 1, dt, 1, db - dt), sr - 1, st, 1, sb - st,
                  Gdiplus::UnitPixel);
  };
  part(d.left, d.top, d.left + m, d.top + m, 0, 0, m, m);
  part(d.right - m, d.top, d.right, d.top + m, w - m, 0, w, m);
  part(d.left, d.bottom - m, d.left + m, d.bottom, 0, h - m, m, h);
  part(d.right - m, d.bottom - m, d.right, d.bottom, w - m, h - m, w, h);
  part(d.left + m, d.top, d.right - m, d.top + m, m, 0, w - m, m);
  part(d.left + m, d.bottom - m, d.right - m, d.bottom, m, h - m, w - m, h);
  part(d.left, d.top + m, d.left + m, d.bottom - m, 0, m, m, h - m);
  part(d.right - m, d.top + m, d.right, d.bottom - m, w - m, m, w, h - m);
  part(d.left + m, d.top + m, d.right - m, d.bottom - m, m, m, w - m, h - m);
}

// A label's drawing with bare GDI+ calls: the fill, then the text clipped to its box in a format
// made for it with a font made from its family; a vertically centred text has its em box centred
// (the font's height scaled by em height over line spacing), drawn top-aligned below that offset.
void DrawLabel(Gdiplus::Graphics& g, const Text& t, const RECT& box) {
  const float w = static_cast<float>(box.right - box.left), h = static_cast<float>(box.bottom - box.top);
  if ((t.background >> 24) != 0) {
    Gdiplus::SolidBrush fill{Gdiplus::Color(t.background)};
    g.FillRectangle(&fill, static_cast<INT>(box.left), static_cast<INT>(box.top),
                    static_cast<INT>(box.right - box.left), static_cast<INT>(box.bottom - box.top));
  }
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

// The same picture with bare GDI+ calls: one buffer, one Graphics, absolute coordinates.
void PaintBare(HWND window, const std::vector<Draw>& draws, bool columns) {
  HDC target = ::GetDC(window);
  HDC memory = ::CreateCompatibleDC(target);
  HBITMAP bitmap = ::CreateCompatibleBitmap(target, kWidth, kHeight);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  {
    Gdiplus::Graphics g(memory);
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::SolidBrush panel(Gdiplus::Color(0xFF203040));
    for (const Draw& d : draws) {
      const int w = d.box.right - d.box.left, h = d.box.bottom - d.box.top;
      const int iw = d.image != nullptr ? static_cast<int>(d.image->GetWidth()) : 0,
                ih = d.image != nullptr ? static_cast<int>(d.image->GetHeight()) : 0;
      switch (d.kind) {
        case Kind::kPanel:
          g.FillRectangle(&panel, d.box.left, d.box.top, w, h);
          DrawGrid(g, d.image, d.box, 6, columns);
          break;
        case Kind::kNatural:
          g.DrawImage(d.image,
                      Gdiplus::Rect(d.box.left, d.box.top, std::min(w, iw), std::min(h, ih)), 0, 0,
                      std::min(w, iw), std::min(h, ih), Gdiplus::UnitPixel);
          break;
        case Kind::kStretched:
          g.DrawImage(d.image, Gdiplus::Rect(d.box.left, d.box.top, w, h), 0, 0, iw, ih,
                      Gdiplus::UnitPixel);
          g.DrawImage(d.image, Gdiplus::Rect(d.box.right - 1, d.box.top, 1, h), iw - 1, 0, 1, ih,
                      Gdiplus::UnitPixel);
          break;
        case Kind::kTiled: {
          Gdiplus::TextureBrush brush(d.image, Gdiplus::WrapModeTile);
          brush.TranslateTransform(static_cast<Gdiplus::REAL>(d.box.left),
                                   static_cast<Gdiplus::REAL>(d.box.top));
          g.FillRectangle(&brush, d.box.left, d.box.top, w, h);
          break;
        }
        case Kind::kNineGrid:
          DrawGrid(g, d.image, d.box, 4, columns);
          break;
        case Kind::kLabel:
          DrawLabel(g, *d.text, d.box);
          break;
        case Kind::kButton:
          DrawGrid(g, d.image, d.box, 4, columns);
          DrawLabel(g, *d.text, d.box);
          break;
      }
    }
  }
  ::BitBlt(target, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, target);
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

    constexpr int kRuns = 31;
    const std::vector<double> medians = InterleavedMediansMs(
        kRuns, {
                   [&] {
                     PaintBare(window, draws, false);
                     ::GdiFlush();
                     return true;
                   },
                   [&] {
                     PaintBare(window, draws, true);
                     ::GdiFlush();
                     return true;
                   },
                   [&] {
                     ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                     ::GdiFlush();
                     return true;
                   },
               });
    std::printf("full repaint of a %ldx%ld window with %zu elements, median of %d runs\n",
                client.right, client.bottom, draws.size(), kRuns);
    std::printf("  bare GDI+ calls, same calls as the engine   %8.3f ms  (baseline)\n", medians[1]);
    std::printf("  bare GDI+ calls, no last-column redraws     %8.3f ms  ratio %.2f\n", medians[0],
                medians[0] / medians[1]);
    std::printf("  engine WM_PAINT                             %8.3f ms  ratio %.2f\n", medians[2],
                medians[2] / medians[1]);
    if (draws.size() != 1000) rc = 1;
    document->Destroy();
    document->Release();
    velmor::EmptyImageCache();
  }
  Gdiplus::GdiplusShutdown(token);
  ::CoUninitialize();
  return rc;
}
