// The engine's table of what a skin may say: every element tag, which children it takes, and
// for each tag the attributes its class reads, with their grammar, default and meaning. The
// element classes read these attributes; velmor-lint checks skins against the table and writes
// the attribute reference of the skin authors' guide from it, and a test fails when an element
// reads a name the table lacks. A new element class adds its tag's block to the table.
#pragma once
#include <cstdint>

namespace velmor {

// How the engine reads an attribute's text.
enum class scAttrGrammar : uint8_t {
  kDecimal,        // integer read once from the skin: sign and decimal digits
  kInteger,        // integer read from the live value: "0x" hexadecimal, leading "0" octal
  kBoolean,        // exactly "true" or "false"
  kColor,          // "#rgb", "#rrggbb", a CSS colour keyword, "transparent" or a system colour
  kMargins,        // four integers: left, top, right, bottom
  kCorner,         // two integers: width, height
  kKeyword,        // one of the row's keywords, exact case
  kKeywordNoCase,  // one of the row's keywords, any letter case
  kKeywordList,    // words separated by spaces, each one of the row's keywords, exact case
  kImagePath,      // a picture; relative paths resolve under skins\default beside the program
  kScriptPath,     // a script file (UTF-16LE with a byte-order mark), relative to the skin folder
  kText,           // any text
  kId,             // the element's id, unique in the window
  kHandler,        // script text run when the element hears the event the name ends in
};

struct scAttributeRow {
  const wchar_t* name;
  scAttrGrammar grammar;
  const wchar_t* keywords;  // space-separated, for the keyword grammars; else null
  const wchar_t* fallback;  // what the engine uses when the attribute is absent or unreadable
  const wchar_t* meaning;
};

// Which children a tag takes.
enum class scChildRule : uint8_t {
  kAny,        // any element
  kNone,       // children are ignored
  kOnly,       // only the tags listed in 'children' (others are ignored)
  kFirstIs,    // the first child must be the tag in 'children' (the rest may be anything)
  kThreePanes, // exactly three: a pane, the tag in 'children', a pane
};

struct scTagRow {
  const wchar_t* tag;
  scChildRule childRule;
  const wchar_t* children;      // space-separated tags for the child rule
  const scAttributeRow* rows;   // the tag's own attributes (those of every element come first)
  int rowCount;
  // False while the tag's class is not built: its own attributes are not known yet, so they
  // are neither listed nor checked.
  bool described;
  bool common;  // whether the attributes of every element apply
  const wchar_t* summary;
  const wchar_t* also = nullptr;  // a tag whose own attributes this one reads too
};

// Attributes every element reads ("id", geometry, alignment, state, cursor, tooltip, the mouse
// and size handlers).
const scAttributeRow* CommonAttributes(int* count);
// Every tag the engine builds, in the order of the guide, then "script".
const scTagRow* SkinTags(int* count);
const scTagRow* FindSkinTag(const wchar_t* tag);
// The row of 'name' on 'tag' (the tag's own rows first, then those of the tag it reads 'also',
// then the common ones), or null.
const scAttributeRow* FindAttribute(const scTagRow& tag, const wchar_t* name);

}  // namespace velmor
