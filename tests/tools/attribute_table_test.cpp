// The engine's attribute table against what the engine reads and what the guide says: a name an
// element class reads must have its row, and the guide's reference must be the table's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "skin/attribute_table.h"
#include "skin_lint.h"

namespace velmor {
namespace {

std::string Utf8(const wchar_t* text) {
  std::string out;
  for (; text != nullptr && *text != L'\0'; ++text) out += static_cast<char>(*text);
  return out;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void AddWords(std::set<std::string>& words, const wchar_t* list) {
  std::istringstream in(Utf8(list));
  for (std::string word; in >> word;) words.insert(word);
}

// Every name the table knows: tags, attributes, keywords and the events handlers hear.
std::set<std::string> TableWords() {
  std::set<std::string> words;
  const auto addRows = [&](const scAttributeRow* rows, int count) {
    for (int i = 0; i < count; ++i) {
      words.insert(Utf8(rows[i].name));
      if (rows[i].grammar == scAttrGrammar::kHandler) words.insert(Utf8(rows[i].name + 2));
      AddWords(words, rows[i].keywords);
    }
  };
  int count = 0;
  const scAttributeRow* common = CommonAttributes(&count);
  addRows(common, count);
  const scTagRow* tags = SkinTags(&count);
  for (int i = 0; i < count; ++i) {
    words.insert(Utf8(tags[i].tag));
    addRows(tags[i].rows, tags[i].rowCount);
  }
  return words;
}

// Wide literals in element code that are not attribute names: a file mode, the document's node
// name, the names of the window's drag handles, members of event objects, the features of
// window.open, the edit control's class name, the key names' lower-case Ctrl and the window's own
// script members.
const char* const kNotAttributes[] = {"rb",      "document", "on",     "move",  "topleft",
                                      "topright", "bottomleft", "bottomright", "activated",
                                      "center",  "hidden",   "modal",  "owner", "notdisableparent",
                                      "edit",    "ctrl", "showGameList", "showTroubleShooter"};

TEST(AttributeTableTest, EveryNameTheElementsReadHasARow) {
  std::set<std::string> known = TableWords();
  known.insert(std::begin(kNotAttributes), std::end(kNotAttributes));
  // The layers that build, lay out, paint and drive elements. The value grammar's own keyword
  // tables (colour names, window features) are not attribute names.
  const std::filesystem::path src = VELMOR_SOURCE_DIR "/src";
  const std::regex literal("L\"([a-z][A-Za-z]*)\"");
  std::string missing;
  int files = 0;
  for (const char* layer : {"skin", "events", "render", "controls", "menus", "window", "sticky",
                            "mainframe"}) {
    if (!std::filesystem::exists(src / layer)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src / layer)) {
      const std::string name = entry.path().filename().string();
      if (name == "value_grammar.cpp" || name == "attribute_table.cpp") continue;
      ++files;
      const std::string text = ReadAll(entry.path());
      for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
        if (known.count((*it)[1].str()) == 0)
          missing += std::string(layer) + "/" + name + ": " + (*it)[1].str() + "\n";
      }
    }
  }
  EXPECT_GT(files, 20);
  EXPECT_EQ(missing, "") << "names read by the engine without a row in src/skin/attribute_table.cpp "
                            "(or, when they are no attribute, in kNotAttributes)";
}

TEST(AttributeTableTest, TheGuidesReferenceIsTheTables) {
  const std::string guide = ReadAll(VELMOR_SOURCE_DIR "/docs/skin-authors.md");
  const std::string begin = "<!-- attribute reference -->\n";
  const std::string end = "<!-- end of attribute reference -->";
  const size_t from = guide.find(begin);
  const size_t to = guide.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  const std::string section = guide.substr(from + begin.size(), to - from - begin.size());
  EXPECT_EQ(section, "\n" + lint::AttributeReference() + "\n")
      << "run scripts/update-reference.sh to write the table into docs/skin-authors.md";
}

}  // namespace
}  // namespace velmor
