// Kept apart from the drawing half: the attribute grammar and the drawing functions both name
// their mode constants kDraw... in this namespace.
#include <string>

#include "controls/image_box.h"
#include "skin/attribute_readers.h"
#include "skin/value_grammar.h"

namespace velmor {

void ReadImageBoxDrawing(scIContent* element, const wchar_t* modeAttribute,
                         scImageBoxDrawing& drawing) {
  drawing = scImageBoxDrawing{};
  std::wstring text;
  if (!GetStringAttr(element, modeAttribute, text)) return;
  int32_t mode = scImageBoxDrawing::kNatural;
  if (!ParseImageDrawingMode(text.c_str(), mode)) return;
  drawing.mode = mode;
  if (mode != scImageBoxDrawing::kNineGrid) return;
  std::wstring margins;
  if (GetStringAttr(element, L"nineGridMargins", margins)) {
    int32_t parsed[4] = {0, 0, 0, 0};
    // A short list leaves the numbers it did give, as the margin parser reports them.
    ParseMarginList(margins.c_str(), parsed);
    for (int i = 0; i < 4; ++i) drawing.margins[i] = parsed[i];
  }
}

}  // namespace velmor
