// The label's state rules and text drawing: which colour and font attributes apply in which
// state, the default GUI font, and the GDI+ font, format and brush the text is drawn with.
#include <windows.h>

#include "base/bstr.h"
#include "controls/label_content.h"
#include "events/event_state_manager.h"
#include "images/font_cache.h"
#include "render/paint.h"
#include "skin/attribute_readers.h"
#include "skin/value_grammar.h"

namespace velmor {
namespace {

// One attribute in its three state variants.
struct Variants {
  const wchar_t* plain;
  const wchar_t* hover;
  const wchar_t* disabled;
};

constexpr Variants kBackground{L"backgroundColor", L"hoverBackgroundColor",
                               L"disabledBackgroundColor"};
constexpr Variants kForeground{L"foregroundColor", L"hoverForegroundColor",
                               L"disabledForegroundColor"};
constexpr Variants kFace{L"fontFace", L"hoverFontFace", L"disabledFontFace"};
constexpr Variants kSize{L"fontSize", L"hoverFontSize", L"disabledFontSize"};
constexpr Variants kStyle{L"fontStyle", L"hoverFontStyle", L"disabledFontStyle"};

bool ReadFace(scIContent* element, const wchar_t* name, std::wstring& face) {
  return GetStringAttr(element, name, face) && !face.empty();
}

bool ReadSize(scIContent* element, const wchar_t* name, int32_t& size) {
  int32_t value = 0;
  if (!GetIntAttr(element, name, value) || value <= 0) return false;
  size = value;
  return true;
}

// Style words, or a number a script stored (taken as the style bits themselves).
bool ReadStyle(scIContent* element, const wchar_t* name, int32_t& style) {
  UniqueVariant value;
  if (!element->GetAttr(name, &value)) return false;
  if (V_VT(&value) == VT_I4) {
    style = V_I4(&value);
    return true;
  }
  return V_VT(&value) == VT_BSTR && ParseFontStyle(V_BSTR(&value) ? V_BSTR(&value) : L"", style);
}

// Colours: the disabled variant, then the hover variant, then the plain attribute.
template <class T, class Read>
bool ChooseColour(scIContent* element, const Variants& names, bool disabled, bool hover, T& out,
                  Read read) {
  if (disabled && read(element, names.disabled, out)) return true;
  if (hover && read(element, names.hover, out)) return true;
  return read(element, names.plain, out);
}

// Font items: a disabled label skips the hover variants.
template <class T, class Read>
bool ChooseFontItem(scIContent* element, const Variants& names, bool disabled, bool hover, T& out,
                    Read read) {
  if (disabled) {
    if (read(element, names.disabled, out)) return true;
  } else if (hover && read(element, names.hover, out)) {
    return true;
  }
  return read(element, names.plain, out);
}

struct DefaultFont {
  std::wstring face;
  int32_t size = 0;
};

const DefaultFont& TheDefaultFont() {
  static const DefaultFont font = [] {
    DefaultFont read;
    LOGFONTW logfont{};
    if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logfont), &logfont) != 0) {
      read.face = logfont.lfFaceName;
      read.size = logfont.lfHeight < 0 ? -logfont.lfHeight : logfont.lfHeight;
    }
    return read;
  }();
  return font;
}

// Texts shorter than this are drawn whole: measuring where to cut them costs more than the
// glyphs it could save.
constexpr size_t kLongText = 512;

// How much of 'text' the visible part of 'layout' can show. GDI+ lays out and rasterises every
// line it is given, even lines far below the box or outside the window, so a long paragraph
// would cost its full length at every paint. Lines are laid out from the top (a centred text is
// drawn from its own top as well), and a line breaks where it does whatever follows the line
// after it: cutting after the lines GDI+ fits down to the visible bottom plus three more lines
// leaves every line that can show as it was. Bottom-aligned text is placed from its last line,
// so it is drawn whole.
size_t VisibleTextLength(Gdiplus::Graphics* graphics, const std::wstring& text,
                         const Gdiplus::Font& font, const Gdiplus::RectF& layout,
                         const Gdiplus::StringFormat& format) {
  if (text.size() < kLongText || format.GetLineAlignment() == Gdiplus::StringAlignmentFar)
    return text.size();
  Gdiplus::RectF visible;
  if (graphics->GetVisibleClipBounds(&visible) != Gdiplus::Ok) return text.size();
  const Gdiplus::REAL line = font.GetHeight(graphics);
  if (!(line > 0)) return text.size();
  Gdiplus::StringFormat fromTop(&format);
  fromTop.SetLineAlignment(Gdiplus::StringAlignmentNear);
  const Gdiplus::RectF lines(0, 0, layout.Width, visible.GetBottom() + 1 + 3 * line);
  Gdiplus::RectF bounds;
  INT fitted = 0;
  INT filled = 0;
  if (graphics->MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, lines, &fromTop,
                              &bounds, &fitted, &filled) != Gdiplus::Ok ||
      fitted <= 0)
    return text.size();
  // A '&' shows nothing of its own: the fitted count may leave them out, so the cut goes as far
  // past it as there are of them.
  size_t shown = 0;
  size_t end = 0;
  while (end < text.size() && shown < static_cast<size_t>(fitted)) {
    if (text[end] != L'&') ++shown;
    ++end;
  }
  return end;
}

// The drawing of one text with a font already made.
struct TextDrawing {
  Gdiplus::Graphics* graphics;
  const std::wstring& text;
  const Gdiplus::StringFormat& format;
  const Gdiplus::Brush& brush;
  int width;
  int height;
  scLabelTextCut cut;

  void With(const Gdiplus::Font& font) const {
    const Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(width),
                                static_cast<Gdiplus::REAL>(height));
    // Wine's GDI+ draws a wrapped text's last line whole even where it passes the bottom of the
    // layout box: the text is kept inside the label's box by a clip of its own.
    const Gdiplus::GraphicsState saved = graphics->Save();
    graphics->IntersectClip(layout);
    // A label wholly outside the window or the area being painted costs nothing.
    if (!graphics->IsVisibleClipEmpty()) {
      const size_t length = cut == scLabelTextCut::kNone
                                ? text.size()
                                : VisibleTextLength(graphics, text, font, layout, format);
      (void)DrawTextCentered(graphics, text.c_str(), static_cast<INT>(length), &font, layout,
                             &format, &brush);
    }
    graphics->Restore(saved);
  }
};

}  // namespace

const std::wstring& DefaultLabelFace() { return TheDefaultFont().face; }
int32_t DefaultLabelSize() { return TheDefaultFont().size; }

scLabelLook ChooseLabelLook(scIContent* element, ULONG state) {
  scLabelLook look;
  if (element == nullptr) return look;
  bool disabledAttribute = false;
  const bool disabled = (state & kStateDisabled) != 0 ||
                        (GetBoolAttr(element, L"disabled", disabledAttribute) && disabledAttribute);
  const bool hover = (state & kStateHover) != 0;
  ChooseColour(element, kBackground, disabled, hover, look.background, GetColorAttr);
  ChooseColour(element, kForeground, disabled, hover, look.foreground, GetColorAttr);
  if (!ChooseFontItem(element, kFace, disabled, hover, look.face, ReadFace))
    look.face = DefaultLabelFace();
  if (!ChooseFontItem(element, kSize, disabled, hover, look.size, ReadSize))
    look.size = DefaultLabelSize();
  ChooseFontItem(element, kStyle, disabled, hover, look.style, ReadStyle);
  return look;
}

void DrawLabelText(Gdiplus::Graphics* graphics, scIContent* element, const std::wstring& text,
                   const scLabelLook& look, int width, int height, scLabelTextCut cut) {
  if (graphics == nullptr || text.empty()) return;
  Gdiplus::StringFormat format(0, LANG_NEUTRAL);
  std::wstring words;
  if (GetStringAttr(element, L"textAlignment", words)) {
    int32_t horizontal = Gdiplus::StringAlignmentNear;
    int32_t vertical = Gdiplus::StringAlignmentNear;
    ParseTextAlignment(words.c_str(), horizontal, vertical);
    format.SetAlignment(static_cast<Gdiplus::StringAlignment>(horizontal));
    format.SetLineAlignment(static_cast<Gdiplus::StringAlignment>(vertical));
  }
  bool wrap = false;
  if (!(GetBoolAttr(element, L"wordWrap", wrap) && wrap))
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  format.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
  format.SetTrimming(Gdiplus::StringTrimmingNone);
  const Gdiplus::SolidBrush brush{Gdiplus::Color(look.foreground)};
  const TextDrawing drawing{graphics, text, format, brush, width, height, cut};
  if (const Gdiplus::Font* font = SkinFont(look.face, look.size, look.style)) drawing.With(*font);
}

}  // namespace velmor
