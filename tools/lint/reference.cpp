// The attribute reference of the skin authors' guide, written from the engine's table.
#include <windows.h>

#include "base/text_convert.h"
#include "skin/attribute_table.h"
#include "skin_lint.h"

namespace velmor::lint {
namespace {

std::string Utf8(const wchar_t* text) {
  std::string out;
  if (text != nullptr) (void)WideToMultiByte(CP_UTF8, text, -1, out);
  while (!out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

std::string Keywords(const wchar_t* list, const char* separator) {
  std::string out, word;
  const std::string text = Utf8(list) + " ";
  for (const char c : text) {
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      out += (out.empty() ? "" : separator) + ("`" + word + "`");
      word.clear();
    }
  }
  return out;
}

std::string GrammarText(const scAttributeRow& row) {
  switch (row.grammar) {
    case scAttrGrammar::kDecimal: return "integer";
    case scAttrGrammar::kInteger: return "integer (`0x` hexadecimal, leading `0` octal)";
    case scAttrGrammar::kBoolean: return "`true` or `false`";
    case scAttrGrammar::kColor: return "colour";
    case scAttrGrammar::kMargins: return "`left,top,right,bottom`";
    case scAttrGrammar::kCorner: return "`width,height`";
    case scAttrGrammar::kKeyword: return Keywords(row.keywords, ", ");
    case scAttrGrammar::kKeywordNoCase: return Keywords(row.keywords, ", ") + " (any case)";
    case scAttrGrammar::kKeywordList: return "words: " + Keywords(row.keywords, " ");
    case scAttrGrammar::kImagePath: return "image path";
    case scAttrGrammar::kScriptPath: return "script path";
    case scAttrGrammar::kText: return "text";
    case scAttrGrammar::kId: return "name, unique in the window";
    case scAttrGrammar::kHandler: return "script";
  }
  return "";
}

void Table(std::string& out, const scAttributeRow* rows, int count) {
  out += "| Attribute | Value | Default | Meaning |\n|---|---|---|---|\n";
  for (int i = 0; i < count; ++i) {
    out += "| `" + Utf8(rows[i].name) + "` | " + GrammarText(rows[i]) + " | " +
           Utf8(rows[i].fallback) + " | " + Utf8(rows[i].meaning) + " |\n";
  }
}

}  // namespace

std::string AttributeReference() {
  std::string out =
      "Keywords are exact and case-sensitive unless a row says otherwise; a value the engine "
      "cannot read leaves the default. Colours are `#rgb`, `#rrggbb`, the lower-case CSS colour "
      "names, `transparent` or a system colour name (`buttonface`, `windowtext`, ...). "
      "`velmor-lint` checks a skin against these tables.\n\n"
      "### Every element\n\n";
  int count = 0;
  const scAttributeRow* common = CommonAttributes(&count);
  Table(out, common, count);
  const scTagRow* tags = SkinTags(&count);
  std::string pending;
  for (int i = 0; i < count; ++i) {
    const scTagRow& tag = tags[i];
    if (!tag.described) {
      pending += (pending.empty() ? "`" : ", `") + Utf8(tag.tag) + "`";
      continue;
    }
    out += "\n### `" + Utf8(tag.tag) + "`: " + Utf8(tag.summary) + "\n\n";
    if (!tag.common) out += "The attributes of every element do not apply.\n\n";
    if (tag.also != nullptr) out += "Also every attribute of `" + Utf8(tag.also) + "`.\n\n";
    if (tag.rowCount == 0) {
      out += "No attributes of its own.\n";
    } else {
      Table(out, tag.rows, tag.rowCount);
    }
  }
  if (!pending.empty())
    out += "\nNot built yet, so their own attributes are not listed (nor checked): " + pending +
           ".\n";
  return out;
}

}  // namespace velmor::lint
