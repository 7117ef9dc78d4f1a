#include "skin/attribute_table.h"

#include <cwchar>

namespace velmor {
namespace {

using G = scAttrGrammar;

constexpr const wchar_t* kDrawingModes = L"stretch tile ninegrid";
constexpr const wchar_t* kFontStyles = L"Normal Bold Italic Underline Strikeout";

const scAttributeRow kCommon[] = {
    {L"id", G::kId, nullptr, L"none", L"the name scripts find the element by (`document.getElementById`)"},
    {L"left", G::kDecimal, nullptr, L"0", L"x position in the parent element, in pixels"},
    {L"top", G::kDecimal, nullptr, L"0", L"y position in the parent element, in pixels"},
    {L"width", G::kDecimal, nullptr, L"0", L"width in pixels"},
    {L"height", G::kDecimal, nullptr, L"0", L"height in pixels"},
    {L"horizontalAlignment", G::kKeyword, L"left right center stretch", L"left",
     L"how the element follows its parent's width"},
    {L"verticalAlignment", G::kKeyword, L"top bottom center stretch", L"top",
     L"how the element follows its parent's height"},
    {L"visible", G::kBoolean, nullptr, L"true", L"`false` hides the element and its children"},
    {L"disabled", G::kBoolean, nullptr, L"false",
     L"`true` gives the disabled state and makes the element and its children ignore the mouse"},
    {L"passThrough", G::kBoolean, nullptr, L"false",
     L"`true`: the element gets no mouse events, its children still do"},
    {L"cursor", G::kKeywordNoCase, L"system hand help sizeall sizenesw sizens sizenwse sizewe uparrow",
     L"system", L"the mouse pointer over the element"},
    {L"tooltip", G::kText, nullptr, L"none", L"text shown when the pointer rests on the element"},
    {L"onsize", G::kHandler, nullptr, L"none", L"the element was moved or resized"},
    {L"onmousemove", G::kHandler, nullptr, L"none", L"the pointer moved over the element"},
    {L"onmousedown", G::kHandler, nullptr, L"none", L"a mouse button went down over the element"},
    {L"onmouseup", G::kHandler, nullptr, L"none", L"the left button went up"},
    {L"onclick", G::kHandler, nullptr, L"none", L"the left button went down and up on the element"},
    {L"ondblclick", G::kHandler, nullptr, L"none", L"the second press of a double click"},
    {L"onmouseover", G::kHandler, nullptr, L"none", L"the pointer entered the element"},
    {L"onmouseout", G::kHandler, nullptr, L"none", L"the pointer left the element"},
    {L"position", G::kKeyword,
     L"before_start before_end after_start after_end start_before start_after end_before end_after "
     L"overlap after_pointer",
     L"none", L"where a menu opened against this element goes"},
    {L"popupanchor", G::kKeyword, L"topleft topright bottomleft bottomright", L"topleft",
     L"the point of this element a menu opened against it is placed on"},
    {L"popupalign", G::kKeyword, L"topleft topright bottomleft bottomright", L"topleft",
     L"the corner of a menu opened against this element put on that point"},
};

// window: the root of every skin file.
const scAttributeRow kWindow[] = {
    {L"title", G::kText, nullptr, L"empty", L"the window's title"},
    {L"screenLeft", G::kInteger, nullptr, L"unchanged", L"where the window opens (screen pixels)"},
    {L"screenTop", G::kInteger, nullptr, L"unchanged", L"where the window opens (screen pixels)"},
    {L"titleBar", G::kBoolean, nullptr, L"false", L"`true` gives the window the system's frame and caption"},
    {L"resizeMargins", G::kMargins, nullptr, L"2,2,2,2",
     L"how close to each edge the mouse resizes the window"},
    {L"bottomRightCorner", G::kCorner, nullptr, L"none",
     L"size of the grip in the bottom-right corner that resizes the window"},
    {L"minWidth", G::kInteger, nullptr, L"the system's", L"smallest width when resizing"},
    {L"minHeight", G::kInteger, nullptr, L"the system's", L"smallest height when resizing"},
    {L"maxWidth", G::kInteger, nullptr, L"the system's", L"largest width when resizing"},
    {L"maxHeight", G::kInteger, nullptr, L"the system's", L"largest height when resizing"},
    {L"maximizable", G::kBoolean, nullptr, L"true", L"`false` refuses maximizing (read each time)"},
    {L"stickyBorderWidth", G::kInteger, nullptr, L"none",
     L"magnetic distance: the window snaps to and docks on its owner's (or the desktop's) edges"},
    {L"onload", G::kHandler, nullptr, L"none", L"the window's content is built and placed"},
    {L"onunload", G::kHandler, nullptr, L"none", L"the window is being destroyed"},
    {L"onsizemode", G::kHandler, nullptr, L"none", L"the window became normal, minimised or maximised"},
    {L"onclose", G::kHandler, nullptr, L"none", L"the window is asked to close"},
    {L"onactivate", G::kHandler, nullptr, L"none", L"the window became active or inactive"},
    {L"onok", G::kHandler, nullptr, L"none", L"the dialog command OK (Enter)"},
    {L"oncancel", G::kHandler, nullptr, L"none", L"the dialog command Cancel (Escape)"},
};

// image: a picture.
const scAttributeRow kImage[] = {
    {L"src", G::kImagePath, nullptr, L"none", L"the picture"},
    {L"stretchMode", G::kKeyword, kDrawingModes, L"natural size",
     L"how the picture fills the box"},
    {L"nineGridMargins", G::kMargins, nullptr, L"0,0,0,0",
     L"the picture's fixed borders with `stretchMode=\"ninegrid\"`"},
};

// subwindow: a panel, and what claims a window's shape.
const scAttributeRow kSubwindow[] = {
    {L"backgroundColor", G::kColor, nullptr, L"none", L"fills the box (and claims it for the window's shape)"},
    {L"backgroundImage", G::kImagePath, nullptr, L"none", L"a picture drawn over the colour"},
    {L"backgroundImageStretchMode", G::kKeyword, kDrawingModes, L"natural size",
     L"how `backgroundImage` fills the box"},
    {L"nineGridMargins", G::kMargins, nullptr, L"0,0,0,0",
     L"the picture's fixed borders with the `ninegrid` mode"},
    {L"clippingImage", G::kImagePath, nullptr, L"`backgroundImage`",
     L"the picture whose pixels shape the window"},
    {L"clippingColor", G::kColor, nullptr, L"none",
     L"pixels of this colour are cut out of the window's shape"},
};

// checkbox, radio: native buttons with a mark.
const scAttributeRow kCheckBox[] = {
    {L"value", G::kText, nullptr, L"none", L"the caption beside the mark"},
    {L"label", G::kText, nullptr, L"none", L"the caption when `value` is absent"},
    {L"backgroundColor", G::kColor, nullptr, L"the system's", L"the colour behind the mark and caption"},
};

// textbox: a native edit field.
const scAttributeRow kTextBox[] = {
    {L"value", G::kText, nullptr, L"the element's text", L"the text the box starts with"},
    {L"emptyText", G::kText, nullptr, L"none", L"a grey hint while the box is empty"},
    {L"type", G::kKeyword, L"password number", L"plain text", L"`password` shows bullets, `number` takes digits"},
    {L"multiline", G::kBoolean, nullptr, L"false", L"several lines"},
    {L"wordWrap", G::kBoolean, nullptr, L"false", L"lines of a multi-line box wrap"},
    {L"verticalScrollBar", G::kBoolean, nullptr, L"false", L"a vertical scroll bar"},
    {L"horizontalScrollBar", G::kBoolean, nullptr, L"false", L"a horizontal scroll bar"},
    {L"readOnly", G::kBoolean, nullptr, L"false", L"the text cannot be changed"},
    {L"border", G::kBoolean, nullptr, L"false", L"a sunken edge"},
    {L"backgroundColor", G::kColor, nullptr, L"the system's", L"the box's colour"},
    {L"disabledBackgroundColor", G::kColor, nullptr, L"`backgroundColor`", L"the colour while disabled"},
    {L"foregroundColor", G::kColor, nullptr, L"black", L"the text colour"},
    {L"disabledForegroundColor", G::kColor, nullptr, L"`foregroundColor`", L"the text colour while disabled"},
};

// label: text drawn in its box, with a look for each state.
const scAttributeRow kLabel[] = {
    {L"value", G::kText, nullptr, L"the element's text",
     L"the text; `&` underlines the next character (`&&` for an ampersand)"},
    {L"foregroundColor", G::kColor, nullptr, L"#000000", L"the text colour"},
    {L"hoverForegroundColor", G::kColor, nullptr, L"`foregroundColor`", L"the text colour while hovered"},
    {L"disabledForegroundColor", G::kColor, nullptr, L"`foregroundColor`", L"the text colour while disabled"},
    {L"backgroundColor", G::kColor, nullptr, L"none", L"fills the box behind the text"},
    {L"hoverBackgroundColor", G::kColor, nullptr, L"`backgroundColor`", L"the fill while hovered"},
    {L"disabledBackgroundColor", G::kColor, nullptr, L"`backgroundColor`", L"the fill while disabled"},
    {L"fontFace", G::kText, nullptr, L"the system's GUI font", L"the font family"},
    {L"hoverFontFace", G::kText, nullptr, L"`fontFace`", L"the font family while hovered"},
    {L"disabledFontFace", G::kText, nullptr, L"`fontFace`", L"the font family while disabled"},
    {L"fontSize", G::kInteger, nullptr, L"the GUI font's", L"the font's size in pixels"},
    {L"hoverFontSize", G::kInteger, nullptr, L"`fontSize`", L"the size while hovered"},
    {L"disabledFontSize", G::kInteger, nullptr, L"`fontSize`", L"the size while disabled"},
    {L"fontStyle", G::kKeywordList, kFontStyles, L"Normal", L"the font's style"},
    {L"hoverFontStyle", G::kKeywordList, kFontStyles, L"`fontStyle`", L"the style while hovered"},
    {L"disabledFontStyle", G::kKeywordList, kFontStyles, L"`fontStyle`", L"the style while disabled"},
    {L"textAlignment", G::kKeywordList, L"left center right top vcenter bottom", L"left top",
     L"where the text sits; the last word across and down wins"},
    {L"wordWrap", G::kBoolean, nullptr, L"false", L"long text breaks into lines at the box's width"},
};

// button: a drawn button, a picture for each state and a caption read as a label's.
const scAttributeRow kButton[] = {
    {L"image", G::kImagePath, nullptr, L"none", L"the picture; also of every state without one"},
    {L"hoverImage", G::kImagePath, nullptr, L"`image`", L"the picture while hovered"},
    {L"downImage", G::kImagePath, nullptr, L"`image`", L"the picture while pressed"},
    {L"disabledImage", G::kImagePath, nullptr, L"`image`", L"the picture while disabled"},
    {L"checkImage", G::kImagePath, nullptr, L"`image`", L"the picture while checked"},
    {L"checkHoverImage", G::kImagePath, nullptr, L"`hoverImage`", L"hovered and checked"},
    {L"checkDownImage", G::kImagePath, nullptr, L"`downImage`", L"pressed and checked"},
    {L"checkDisabledImage", G::kImagePath, nullptr, L"`disabledImage`", L"disabled and checked"},
    {L"stretchMode", G::kKeyword, kDrawingModes, L"natural size", L"how the picture fills the button"},
    {L"nineGridMargins", G::kMargins, nullptr, L"0,0,0,0",
     L"the picture's fixed borders with `stretchMode=\"ninegrid\"`"},
    {L"checkTooltip", G::kText, nullptr, L"none", L"the tooltip while checked"},
    {L"type", G::kKeyword, L"menu", L"none", L"`menu`: the button opens its popup menu"},
};

// splitter: two panes and a bar between them.
const scAttributeRow kSplitter[] = {
    {L"horizontal", G::kBoolean, nullptr, L"false", L"`true`: one pane above the other"},
    {L"leftPaneMinSize", G::kInteger, nullptr, L"0", L"the smallest width a drag leaves the first pane"},
    {L"rightPaneMinSize", G::kInteger, nullptr, L"0", L"the smallest width a drag leaves the second pane"},
    {L"topPaneMinSize", G::kInteger, nullptr, L"0", L"the first pane's smallest height (horizontal)"},
    {L"bottomPaneMinSize", G::kInteger, nullptr, L"0", L"the second pane's smallest height (horizontal)"},
    {L"rightAligned", G::kBoolean, nullptr, L"false",
     L"`true`: the second pane keeps its width when the splitter resizes"},
    {L"bottomAligned", G::kBoolean, nullptr, L"false",
     L"`true`: the second pane keeps its height (horizontal)"},
    {L"proportional", G::kBoolean, nullptr, L"false", L"`true`: both panes keep their proportion"},
};

// splitterbar: the bar, drawn like a subwindow.
const scAttributeRow kSplitterBar[] = {
    {L"backgroundImage", G::kImagePath, nullptr, L"none", L"the bar's picture"},
    {L"backgroundImageStretchMode", G::kKeyword, kDrawingModes, L"natural size",
     L"how the picture fills the bar"},
};

// widget: a component from outside the engine in the element's box.
const scAttributeRow kWidget[] = {
    {L"contractId", G::kText, nullptr, L"none", L"the contract ID of the component to host"},
    {L"useService", G::kBoolean, nullptr, L"false",
     L"`true`: host the component's shared service instead of a new instance"},
};

// menu (a title or a submenu) and menuitem.
const scAttributeRow kMenu[] = {
    {L"label", G::kText, nullptr, L"none", L"the title's or submenu's text"},
};

const scAttributeRow kMenuItem[] = {
    {L"label", G::kText, nullptr, L"none", L"the item's text; an item without one is left out"},
    {L"key", G::kText, nullptr, L"none", L"the id of a `key` whose shortcut text the item shows"},
    {L"checked", G::kBoolean, nullptr, L"false", L"`true` shows a check mark"},
    {L"type", G::kKeyword, L"radio", L"none", L"`radio`: the check mark is round"},
    {L"defaultItem", G::kBoolean, nullptr, L"false", L"`true` shows the item bold"},
    {L"oncommand", G::kHandler, nullptr, L"none", L"the item was chosen (after the menu closed)"},
};

// key: a keyboard shortcut of the window.
const scAttributeRow kKey[] = {
    {L"key", G::kText, nullptr, L"none", L"one character: its upper-case form is the key"},
    {L"keycode", G::kText, nullptr, L"none", L"a key name, exact case (\"VK_F5\"); used without `key`"},
    {L"modifiers", G::kKeywordList, L"shift alt control Ctrl any", L"none",
     L"keys that must be held; `any` makes those named before it optional"},
    {L"keytext", G::kText, nullptr, L"the key's name", L"what a menu item shows for the key"},
    {L"oncommand", G::kHandler, nullptr, L"none", L"the shortcut was pressed"},
};

const scAttributeRow kScript[] = {
    {L"src", G::kScriptPath, nullptr, L"none", L"a script file run after the element's own text"},
};

#define VELMOR_ROWS(rows) rows, static_cast<int>(sizeof(rows) / sizeof(rows[0]))
#define VELMOR_NO_ROWS nullptr, 0

// One line per tag. A class that is not built yet keeps 'described' false until its block of
// rows lands here.
const scTagRow kTags[] = {
    {L"window", scChildRule::kAny, nullptr, VELMOR_ROWS(kWindow), true, true,
     L"the root of every skin file: the window itself"},
    {L"image", scChildRule::kAny, nullptr, VELMOR_ROWS(kImage), true, true, L"a picture"},
    {L"subwindow", scChildRule::kAny, nullptr, VELMOR_ROWS(kSubwindow), true, true,
     L"a panel: colour, picture, children; what shapes the window"},
    {L"button", scChildRule::kAny, nullptr, VELMOR_ROWS(kButton), true, true,
     L"a drawn button: a picture per state and a caption", L"label"},
    {L"label", scChildRule::kAny, nullptr, VELMOR_ROWS(kLabel), true, true, L"text"},
    {L"checkbox", scChildRule::kAny, nullptr, VELMOR_ROWS(kCheckBox), true, true, L"a native check box"},
    {L"radio", scChildRule::kAny, nullptr, VELMOR_ROWS(kCheckBox), true, true, L"a native radio button"},
    {L"textbox", scChildRule::kAny, nullptr, VELMOR_ROWS(kTextBox), true, true, L"a native edit field"},
    {L"datepicker", scChildRule::kAny, nullptr, VELMOR_NO_ROWS, true, true, L"a native date picker"},
    {L"timepicker", scChildRule::kAny, nullptr, VELMOR_NO_ROWS, true, true, L"a native time picker"},
    {L"splitter", scChildRule::kThreePanes, L"splitterbar", VELMOR_ROWS(kSplitter), true, true,
     L"two panes and a bar between them"},
    {L"splitterbar", scChildRule::kAny, nullptr, VELMOR_ROWS(kSplitterBar), true, true, L"a splitter's bar"},
    {L"widget", scChildRule::kAny, nullptr, VELMOR_ROWS(kWidget), true, true, L"an embedded component"},
    {L"menubar", scChildRule::kAny, nullptr, VELMOR_NO_ROWS, true, true, L"a row of menus"},
    {L"menu", scChildRule::kFirstIs, L"menupopup", VELMOR_ROWS(kMenu), true, true,
     L"a menu title; its first child is its popup"},
    {L"menupopup", scChildRule::kOnly, L"menuitem menuseparator menu", VELMOR_NO_ROWS, true, true,
     L"a popup menu"},
    {L"menuitem", scChildRule::kAny, nullptr, VELMOR_ROWS(kMenuItem), true, true, L"a menu command"},
    {L"menuseparator", scChildRule::kAny, nullptr, VELMOR_NO_ROWS, true, true, L"a line between menu items"},
    {L"keyset", scChildRule::kOnly, L"key", VELMOR_NO_ROWS, true, true, L"keyboard shortcuts"},
    {L"key", scChildRule::kAny, nullptr, VELMOR_ROWS(kKey), true, true, L"a keyboard shortcut"},
    {L"script", scChildRule::kNone, nullptr, VELMOR_ROWS(kScript), true, false,
     L"script text and files, run where they stand"},
};

#undef VELMOR_ROWS
#undef VELMOR_NO_ROWS

const scAttributeRow* FindRow(const scAttributeRow* rows, int count, const wchar_t* name) {
  for (int i = 0; i < count; ++i) {
    if (wcscmp(rows[i].name, name) == 0) return &rows[i];
  }
  return nullptr;
}

}  // namespace

const scAttributeRow* CommonAttributes(int* count) {
  *count = static_cast<int>(sizeof(kCommon) / sizeof(kCommon[0]));
  return kCommon;
}

const scTagRow* SkinTags(int* count) {
  *count = static_cast<int>(sizeof(kTags) / sizeof(kTags[0]));
  return kTags;
}

const scTagRow* FindSkinTag(const wchar_t* tag) {
  for (const scTagRow& row : kTags) {
    if (wcscmp(row.tag, tag) == 0) return &row;
  }
  return nullptr;
}

const scAttributeRow* FindAttribute(const scTagRow& tag, const wchar_t* name) {
  if (const scAttributeRow* row = FindRow(tag.rows, tag.rowCount, name)) return row;
  if (const scTagRow* also = tag.also != nullptr ? FindSkinTag(tag.also) : nullptr) {
    if (const scAttributeRow* row = FindRow(also->rows, also->rowCount, name)) return row;
  }
  int count = 0;
  const scAttributeRow* common = CommonAttributes(&count);
  return tag.common ? FindRow(common, count, name) : nullptr;
}

}  // namespace velmor
