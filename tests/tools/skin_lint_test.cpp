// velmor-lint's checks: one broken skin per row, each with exactly the diagnostics it must give
// (line and column included), and a skin using every attribute on its good side that gives none.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "skin_lint.h"
#include "support/test_env.h"

namespace velmor::lint {
namespace {

struct BrokenSkin {
  const char* name;
  const char* body;      // the window's content, or a whole file when it starts with "<?"
  const char* expected;  // "line:column: severity: message" lines
  int status;
};

const char kHead[] = "<window width=\"100\" height=\"80\">\n";

const BrokenSkin kBroken[] = {
    {"xml_error", "<?xml version=\"1.0\"?>\n<window>\n  <image></window>\n",
     "3:10: error: XML: Error reading end tag.; the file does not load\n", 2},
    {"root_case", "<?xml version=\"1.0\"?>\n<Window width=\"10\"/>\n",
     "2:1: error: the root element is \"Window\"; a skin file's root must be \"window\"\n", 2},
    {"unknown_tag", "  <imag left=\"1\"/>\n",
     "2:3: error: unknown element \"imag\" (did you mean image?); it and everything inside it are "
     "skipped\n", 2},
    {"misspelt_attribute", "  <image stretchmode=\"stretch\"/>\n",
     "2:10: warning: unknown attribute \"stretchmode\" on image; did you mean stretchMode?\n", 1},
    {"keyword_case", "  <image left=\"1\" stretchMode=\"Stretch\"/>\n",
     "2:19: warning: stretchMode=\"Stretch\" is not read: keywords are case-sensitive; did you "
     "mean stretch?\n", 1},
    {"keyword_unknown", "  <subwindow horizontalAlignment=\"middle\"/>\n",
     "2:14: warning: horizontalAlignment=\"middle\" is not read: expected one of left, right, "
     "center, stretch\n", 1},
    {"colour_digits", "  <subwindow backgroundColor=\"#12345\"/>\n",
     "2:14: warning: backgroundColor=\"#12345\" is not read: expected #rgb, #rrggbb or a colour "
     "name\n", 1},
    {"colour_case", "  <textbox foregroundColor=\"Red\"/>\n",
     "2:12: warning: foregroundColor=\"Red\" is not read: colour names are lower case; did you "
     "mean red?\n", 1},
    {"boolean_case", "  <image visible=\"True\"/>\n",
     "2:10: warning: visible=\"True\" is not read: keywords are case-sensitive; did you mean "
     "true?\n", 1},
    {"integer", "  <image left=\"ten\"/>\n",
     "2:10: warning: left=\"ten\" is not read: expected an integer\n", 1},
    {"margins", "  <image nineGridMargins=\"4,4\"/>\n",
     "2:10: warning: nineGridMargins=\"4,4\" is not read: expected four integers: "
     "left,top,right,bottom\n", 1},
    {"handler_typo", "  <image onclik=\"go();\" oncustom=\"x();\"/>\n",
     "2:10: warning: unknown attribute \"onclik\" on image; did you mean onclick?\n", 1},
    {"duplicate_id", "  <image id=\"a\"/>\n  <subwindow id=\"a\"/>\n",
     "3:14: warning: id \"a\" is used again (first on line 2); scripts find only one of "
     "them\n", 1},
    {"missing_image", "  <image src=\"images/gone.png\"/>\n",
     "2:10: error: image \"images/gone.png\" not found (@\\images\\gone.png)\n", 2},
    {"missing_script", "  <script src=\"gone.js\"/>\n",
     "2:11: error: script \"gone.js\" not found (@\\gone.js)\n", 2},
    {"script_without_mark", "  <script src=\"utf8.js\"/>\n",
     "2:11: error: script \"utf8.js\" does not start with the UTF-16LE byte-order mark; the "
     "engine skips it\n", 2},
    {"popup_child", "  <menupopup>\n    <menuitem/>\n    <image/>\n  </menupopup>\n",
     "4:5: error: a menupopup takes only menuitem menuseparator menu; this image is ignored\n", 2},
    {"menu_without_popup", "  <menu>\n    <menuitem/>\n  </menu>\n",
     "2:3: error: the first child of a menu must be a menupopup\n", 2},
    {"splitter_panes", "  <splitter>\n    <subwindow/>\n    <splitterbar/>\n  </splitter>\n",
     "2:3: error: a splitter takes exactly three children: a pane, a splitterbar, a pane; it "
     "has 2\n", 2},
    {"too_deep", nullptr,
     "1:1: error: elements nest more than 256 deep; the engine does not load the file\n", 2},
};

// Every tag and grammar on its good side: near misses of the checks above must stay silent.
const char kClean[] =
    "<window id=\"w\" title=\"T\" screenLeft=\"0x10\" minWidth=\"10\" resizeMargins=\"1 2 3 4\"\n"
    "        bottomRightCorner=\"8,8\" titleBar=\"false\" onLoad=\"x();\" onmyevent=\"y();\">\n"
    "  <subwindow backgroundColor=\"buttonface\" clippingColor=\"transparent\"\n"
    "             backgroundImage=\"images/present.png\" backgroundImageStretchMode=\"ninegrid\"\n"
    "             cursor=\"HAND\" left=\"-4\" horizontalAlignment=\"stretch\">\n"
    "    <image src=\"images/present.png\" stretchMode=\"tile\" visible=\"true\"/>\n"
    "    <label fontStyle=\"Bold  Italic\" textAlignment=\"center vcenter\">text</label>\n"
    "    <widget contractId=\"@velmor.net/widgets/list;1\"/>\n"
    "  </subwindow>\n"
    "  <textbox type=\"number\" foregroundColor=\"#ABC\" disabledBackgroundColor=\"#a0b0c0\"/>\n"
    "  <menu><menupopup><menuitem/><menuseparator/></menupopup><image/></menu>\n"
    "  <splitter><image/><splitterbar/><image/></splitter>\n"
    "  <keyset><key/></keyset>\n"
    "  <script src=\"good.js\">var x;</script>\n"
    "</window>\n";

void WriteFile(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

class SkinLintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = test::MakeTempDir(L"lint");
    ::CreateDirectoryW((m_dir + L"\\images").c_str(), nullptr);
    WriteFile(m_dir + L"\\images\\present.png", "not read");
    WriteFile(m_dir + L"\\good.js", std::string("\xFF\xFE" "v\0a\0r\0", 8));
    WriteFile(m_dir + L"\\utf8.js", "var x;");
    m_options.imageFolder = m_dir;
  }

  // The diagnostics of 'xml' without the file name; the skin folder reads as "@".
  std::string Lint(const std::string& xml, int* status) {
    WriteFile(m_dir + L"\\mainframe.xml", xml);
    const std::vector<Diagnostic> found = LintPath(m_dir, m_options);
    *status = ExitStatus(found);
    std::string text = FormatText(found);
    std::string file, folder;
    for (const wchar_t c : m_dir + L"/mainframe.xml:") file += static_cast<char>(c);
    for (const wchar_t c : m_dir) folder += static_cast<char>(c);
    for (size_t at; (at = text.find(file)) != std::string::npos;) text.erase(at, file.size());
    for (size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "@");
    return text;
  }

  std::wstring m_dir;
  Options m_options;
};

TEST_F(SkinLintTest, EachBrokenSkinGivesExactlyItsDiagnostics) {
  for (const BrokenSkin& skin : kBroken) {
    SCOPED_TRACE(skin.name);
    std::string xml;
    if (skin.body == nullptr) {
      xml = kHead;
      for (int i = 0; i < 257; ++i) xml += "<subwindow>";
      for (int i = 0; i < 257; ++i) xml += "</subwindow>";
      xml += "</window>\n";
    } else if (skin.body[0] == '<' && skin.body[1] == '?') {
      xml = skin.body;
    } else {
      xml = std::string(kHead) + skin.body + "</window>\n";
    }
    int status = -1;
    EXPECT_EQ(Lint(xml, &status), skin.expected);
    EXPECT_EQ(status, skin.status);
  }
}

TEST_F(SkinLintTest, AGoodSkinGivesNothingAndTheJsonFormCarriesTheSamePlaces) {
  int status = -1;
  EXPECT_EQ(Lint(kClean, &status), "");
  EXPECT_EQ(status, 0);

  WriteFile(m_dir + L"\\mainframe.xml", std::string(kHead) + "  <image left=\"a\\&quot;\"/>\n</window>\n");
  const std::string json = FormatJson(LintPath(m_dir, m_options));
  EXPECT_NE(json.find("\"line\": 2, \"column\": 10, \"severity\": \"warning\", \"message\": "
                      "\"left=\\\"a\\\\\\\"\\\" is not read: expected an integer\"}"),
            std::string::npos)
      << json;
}

}  // namespace
}  // namespace velmor::lint
