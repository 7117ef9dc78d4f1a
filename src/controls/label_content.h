// scLabelContent: the "label" element. Draws one piece of text with GDI+ in its box over an
// optional fill, in colours and a font that follow the element's state (normal, hover,
// disabled). Everything is read from its attributes at each paint; the fonts themselves are
// kept by the process's font cache. A button draws its caption by the same rules. Scripts reach it
// as IDOMLabel.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>

#include "skin/element_classes.h"

namespace velmor {

// How a label looks in one state: what its attributes give for that state, with the defaults
// applied.
struct scLabelLook {
  uint32_t background = 0;           // 0xAARRGGBB; alpha 0 draws no fill
  uint32_t foreground = 0xFF000000;  // opaque black unless the skin says otherwise
  std::wstring face;
  int32_t size = 0;   // pixels
  int32_t style = 0;  // GDI+ FontStyle bits
};

// The look of 'element' (a label, or anything read by the label's rules) for the state word
// 'state': disabled variants first, then hover variants (hover fonts only when not disabled),
// then the plain attributes, then the defaults.
scLabelLook ChooseLabelLook(scIContent* element, ULONG state);

// The stock GUI font's face and absolute height, read once per process.
const std::wstring& DefaultLabelFace();
int32_t DefaultLabelSize();

// How much of a label's text is handed to GDI+: what can show in the visible part of its box
// (the same pixels, a fraction of the cost for long paragraphs), or all of it.
enum class scLabelTextCut { kToVisibleLines, kNone };

// Draws 'text' as a label does into (0, 0, width, height) of 'graphics': the look's font and
// colour, "textAlignment" and "wordWrap" read from 'element', '&' underlining the next character.
void DrawLabelText(Gdiplus::Graphics* graphics, scIContent* element, const std::wstring& text,
                   const scLabelLook& look, int width, int height,
                   scLabelTextCut cut = scLabelTextCut::kToVisibleLines);

// The text between the tags when it stands for "value", as a label's text or a button's
// caption: the skin gives no "value" or an empty one and no script has stored one
// ('scriptValueStored'; a reader of the skin alone passes false). Null otherwise.
const scPrototypeText* ElementTextForValue(const scPrototypeElement* prototype,
                                           bool scriptValueStored);

class scLabelContent : public scScriptContentClass<scLabelContent, element_interfaces::kLabel,
                                                   IDOMNodeImpl<scLabelContent, IDOMLabel>> {
 public:
  const wchar_t* NodeName() const override { return L"label"; }

  // A label with no value (or an empty one) in the skin shows the text between its tags: the
  // "value" attribute answers that text until a script sets one.
  bool STDMETHODCALLTYPE GetAttr(const wchar_t* name, VARIANT* value) override;
  bool STDMETHODCALLTYPE HasAttr(const wchar_t* name) override;
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  // The fill is the box and the text is clipped to it.
  uint32_t PaintExtent() const override { return kPaintsInsideBox; }

  // IDOMLabel
  STDMETHODIMP get_value(BSTR* value) override;
  STDMETHODIMP put_value(BSTR value) override;
  STDMETHODIMP get_foregroundColor(VARIANT* value) override;
  STDMETHODIMP put_foregroundColor(VARIANT value) override;

 private:
  // The element's text while it stands for "value".
  const scPrototypeText* ElementText() const {
    return ElementTextForValue(m_prototype, HasLiveAttr(L"value"));
  }
  // Stores a script's value for 'name' and repaints the label.
  HRESULT PutAndRepaint(const wchar_t* name, const VARIANT& value);
};

}  // namespace velmor
