#include "skin_lint.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <map>
#include <memory>

#include "base/text_convert.h"
#include "skin/attribute_table.h"
#include "skin/skin_xml.h"
#include "skin/value_grammar.h"
#include "tinyxml.h"

namespace velmor::lint {
namespace {

std::wstring Wide(const char* text) {
  std::wstring out;
  if (text != nullptr) (void)MultiByteToWide(CP_UTF8, text, -1, out);
  while (!out.empty() && out.back() == L'\0') out.pop_back();
  return out;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  (void)WideToMultiByte(CP_UTF8, text.c_str(), static_cast<int>(text.size()), out);
  return out;
}

std::vector<std::wstring> Words(const wchar_t* list) {
  std::vector<std::wstring> words;
  std::wstring word;
  for (const wchar_t* c = list; c != nullptr && *c != L'\0'; ++c) {
    if (*c == L' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += *c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// Edit distance, ignoring letter case.
size_t Distance(const std::wstring& a, const std::wstring& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = towlower(a[i - 1]) == towlower(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The candidate nearest to 'name', if it is nearest enough to be a slip of the keyboard.
std::wstring Nearest(const std::wstring& name, const std::vector<std::wstring>& candidates) {
  std::wstring best;
  size_t bestDistance = std::max<size_t>(2, name.size() / 3) + 1;
  for (const std::wstring& candidate : candidates) {
    const size_t d = Distance(name, candidate);
    if (d < bestDistance) {
      bestDistance = d;
      best = candidate;
    }
  }
  return best;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// As the loader joins a base folder and a relative path (the engine's base folders are full
// paths, so '..' steps out of the folder rather than being dropped).
std::wstring Append(const std::wstring& folder, const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = {};
  if (::GetFullPathNameW(folder.c_str(), MAX_PATH, buffer, nullptr) == 0)
    return folder + L"\\" + path;
  std::wstring relative = path;
  std::replace(relative.begin(), relative.end(), L'/', L'\\');
  if (!::PathAppendW(buffer, relative.c_str())) return folder + L"\\" + path;
  return buffer;
}

class FileLinter {
 public:
  FileLinter(const std::wstring& folder, const std::wstring& file, const Options& options,
             std::vector<Diagnostic>& out)
      : m_folder(folder), m_file(file), m_options(options), m_out(out) {}

  void Run() {
    std::string text;
    {
      std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(m_file.c_str(), L"rb"), fclose);
      if (!file || !ReadXmlText(file.get(), text)) {
        Report(1, 1, Severity::kError, L"cannot read the file");
        return;
      }
      if (MeasureXmlNesting(file.get(), kMaxSkinNesting) > kMaxSkinNesting) {
        Report(1, 1, Severity::kError,
               L"elements nest more than " + std::to_wstring(kMaxSkinNesting) +
                   L" deep; the engine does not load the file");
        return;
      }
    }
    TiXmlBase::SetCondenseWhiteSpace(false);
    TiXmlDocument xml;
    xml.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (xml.Error()) {
      Report(xml.ErrorRow(), xml.ErrorCol(), Severity::kError,
             L"XML: " + Wide(xml.ErrorDesc()) + L"; the file does not load");
      return;
    }
    const TiXmlElement* root = xml.FirstChildElement();
    if (root == nullptr) {
      Report(1, 1, Severity::kError, L"no root element; the file does not load");
      return;
    }
    if (strcmp(root->Value(), "window") != 0) {
      Report(root, Severity::kError,
             L"the root element is \"" + Wide(root->Value()) +
                 L"\"; a skin file's root must be \"window\"");
      return;
    }
    Element(root);
  }

 private:
  void Report(int line, int column, Severity severity, const std::wstring& message) {
    m_out.push_back({m_file, std::max(line, 1), std::max(column, 1), severity, message});
  }
  void Report(const TiXmlBase* at, Severity severity, const std::wstring& message) {
    Report(at->Row(), at->Column(), severity, message);
  }

  void Element(const TiXmlElement* element) {
    const std::wstring tag = Wide(element->Value());
    const scTagRow* row = FindSkinTag(tag.c_str());
    if (row == nullptr) {
      std::wstring message = L"unknown element \"" + tag + L"\"";
      const std::wstring nearest = Nearest(tag, TagNames());
      if (!nearest.empty()) message += L" (did you mean " + nearest + L"?)";
      Report(element, Severity::kError, message + L"; it and everything inside it are skipped");
      return;
    }
    for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
      Attribute(*row, tag, a);
    Children(*row, tag, element);
    if (row->childRule == scChildRule::kNone) return;
    for (const TiXmlElement* child = element->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement())
      Element(child);
  }

  static std::vector<std::wstring> TagNames() {
    int count = 0;
    const scTagRow* tags = SkinTags(&count);
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) names.push_back(tags[i].tag);
    return names;
  }

  static std::vector<std::wstring> AttributeNames(const scTagRow& tag) {
    std::vector<std::wstring> names;
    for (int i = 0; i < tag.rowCount; ++i) names.push_back(tag.rows[i].name);
    if (const scTagRow* also = tag.also != nullptr ? FindSkinTag(tag.also) : nullptr) {
      for (int i = 0; i < also->rowCount; ++i) names.push_back(also->rows[i].name);
    }
    if (tag.common) {
      int count = 0;
      const scAttributeRow* common = CommonAttributes(&count);
      for (int i = 0; i < count; ++i) names.push_back(common[i].name);
    }
    return names;
  }

  void Children(const scTagRow& row, const std::wstring& tag, const TiXmlElement* element) {
    std::vector<const TiXmlElement*> children;
    for (const TiXmlElement* c = element->FirstChildElement(); c != nullptr;
         c = c->NextSiblingElement())
      children.push_back(c);
    const std::vector<std::wstring> allowed = Words(row.children);
    switch (row.childRule) {
      case scChildRule::kAny:
        break;
      case scChildRule::kNone:
        if (!children.empty())
          Report(children[0], Severity::kWarning,
                 L"elements inside " + tag + L" are ignored");
        break;
      case scChildRule::kOnly:
        for (const TiXmlElement* child : children) {
          const std::wstring name = Wide(child->Value());
          if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
            Report(child, Severity::kError,
                   L"a " + tag + L" takes only " + std::wstring(row.children) + L"; this " +
                       name + L" is ignored");
        }
        break;
      case scChildRule::kFirstIs:
        if (children.empty() || Wide(children[0]->Value()) != allowed[0])
          Report(element, Severity::kError,
                 L"the first child of a " + tag + L" must be a " + allowed[0]);
        break;
      case scChildRule::kThreePanes:
        if (children.size() != 3 || Wide(children[1]->Value()) != allowed[0])
          Report(element, Severity::kError,
                 L"a " + tag + L" takes exactly three children: a pane, a " + allowed[0] +
                     L", a pane; it has " + std::to_wstring(children.size()));
        break;
    }
  }

  void Attribute(const scTagRow& tag, const std::wstring& tagName, const TiXmlAttribute* a) {
    const std::wstring name = Wide(a->Name());
    const std::wstring value = Wide(a->Value());
    const scAttributeRow* row = FindAttribute(tag, name.c_str());
    if (row == nullptr) {
      const bool handler = name.size() > 2 && name.compare(0, 2, L"on") == 0;
      // Handler names ignore the case of the event; any other event name may be a custom one
      // that scripts fire, so only nearest misses of a known handler are reported.
      if (handler) {
        for (const std::wstring& known : AttributeNames(tag)) {
          if (SameIgnoringCase(known, name)) return;
        }
      }
      if (!tag.described && !handler) return;
      const std::wstring nearest = Nearest(name, AttributeNames(tag));
      if (handler && nearest.empty()) return;
      std::wstring message = L"unknown attribute \"" + name + L"\" on " + tagName;
      if (!nearest.empty()) message += L"; did you mean " + nearest + L"?";
      Report(a, Severity::kWarning, message);
      return;
    }
    Value(*row, name, value, a);
  }

  // name="value" is not read: why.
  void Unread(const TiXmlAttribute* a, const std::wstring& name, const std::wstring& value,
              const std::wstring& why) {
    Report(a, Severity::kWarning, name + L"=\"" + value + L"\" is not read: " + why);
  }

  // Keywords, and booleans as the two keywords "true" and "false".
  void Keyword(const scAttributeRow& row, const std::wstring& name, const std::wstring& value,
               const TiXmlAttribute* a) {
    const std::vector<std::wstring> words =
        Words(row.grammar == scAttrGrammar::kBoolean ? L"true false" : row.keywords);
    const bool anyCase = row.grammar == scAttrGrammar::kKeywordNoCase;
    const auto check = [&](const std::wstring& word) {
      for (const std::wstring& known : words) {
        if (known == word || (anyCase && SameIgnoringCase(known, word))) return;
      }
      for (const std::wstring& known : words) {
        if (SameIgnoringCase(known, word)) {
          Unread(a, name, value, L"keywords are case-sensitive; did you mean " + known + L"?");
          return;
        }
      }
      Unread(a, name, value, L"expected " + Expected(row));
    };
    if (row.grammar == scAttrGrammar::kKeywordList) {
      for (const std::wstring& word : Words(value.c_str())) check(word);
    } else {
      check(value);
    }
  }

  static std::wstring Expected(const scAttributeRow& row) {
    switch (row.grammar) {
      case scAttrGrammar::kDecimal:
      case scAttrGrammar::kInteger:
        return L"an integer";
      case scAttrGrammar::kBoolean:
        return L"true or false";
      case scAttrGrammar::kColor:
        return L"#rgb, #rrggbb or a colour name";
      case scAttrGrammar::kMargins:
        return L"four integers: left,top,right,bottom";
      case scAttrGrammar::kCorner:
        return L"two integers: width,height";
      case scAttrGrammar::kKeywordList:
        return L"words from: " + std::wstring(row.keywords);
      default: {
        std::wstring list;
        for (const std::wstring& word : Words(row.keywords))
          list += (list.empty() ? L"" : L", ") + word;
        return L"one of " + list;
      }
    }
  }

  // Whole text as an integer of the row's grammar (the engine reads a leading number and stops).
  static bool WholeInteger(const std::wstring& value, bool autoBase) {
    int32_t number = 0;
    const wchar_t* end = nullptr;
    if (autoBase) {
      ParseAutoBaseInt(value.c_str(), number, &end);
    } else {
      ParseDecimalInt(value.c_str(), number, &end);
    }
    const wchar_t* start = value.c_str();
    while (*start == L' ' || *start == L'\t') ++start;
    if (*start == L'+' || *start == L'-') ++start;
    return end != nullptr && end > start && *end == L'\0';
  }

  void Value(const scAttributeRow& row, const std::wstring& name, const std::wstring& value,
             const TiXmlAttribute* a) {
    const auto unread = [&] { Unread(a, name, value, L"expected " + Expected(row)); };
    switch (row.grammar) {
      case scAttrGrammar::kDecimal:
      case scAttrGrammar::kInteger:
        if (!WholeInteger(value, row.grammar == scAttrGrammar::kInteger)) unread();
        break;
      case scAttrGrammar::kColor: {
        uint32_t color = 0;
        if (ParseColor(value.c_str(), color)) break;
        std::wstring lower = value;
        for (wchar_t& c : lower) c = towlower(c);
        if (ParseColor(lower.c_str(), color)) {
          Unread(a, name, value, L"colour names are lower case; did you mean " + lower + L"?");
        } else {
          unread();
        }
        break;
      }
      case scAttrGrammar::kMargins: {
        int32_t margins[4];
        if (!ParseMarginList(value.c_str(), margins)) unread();
        break;
      }
      case scAttrGrammar::kCorner: {
        int32_t x = 0, y = 0;
        if (!ParseCornerSize(value.c_str(), x, y)) unread();
        break;
      }
      case scAttrGrammar::kBoolean:
      case scAttrGrammar::kKeyword:
      case scAttrGrammar::kKeywordNoCase:
      case scAttrGrammar::kKeywordList:
        Keyword(row, name, value, a);
        break;
      case scAttrGrammar::kImagePath:
        if (!value.empty() && !FileExists(ImagePath(value)))
          Report(a, Severity::kError,
                 L"image \"" + value + L"\" not found (" + ImagePath(value) + L")");
        break;
      case scAttrGrammar::kScriptPath:
        ScriptFile(value, a);
        break;
      case scAttrGrammar::kId: {
        const auto [at, added] = m_ids.emplace(value, a->Row());
        if (!added)
          Report(a, Severity::kWarning,
                 L"id \"" + value + L"\" is used again (first on line " +
                     std::to_wstring(at->second) + L"); scripts find only one of them");
        break;
      }
      case scAttrGrammar::kText:
      case scAttrGrammar::kHandler:
        break;
    }
  }

  std::wstring ImagePath(const std::wstring& value) const {
    if (!::PathIsRelativeW(value.c_str())) return value;
    std::wstring folder = m_options.imageFolder;
    if (folder.empty()) {
      const std::wstring beside = Append(m_folder, L"..\\default");
      folder = FolderExists(beside) ? beside : m_folder;
    }
    return Append(folder, value);
  }

  void ScriptFile(const std::wstring& value, const TiXmlAttribute* a) {
    if (value.empty()) return;
    const std::wstring path = Append(m_folder, value);
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"rb"), fclose);
    if (!file) {
      Report(a, Severity::kError, L"script \"" + value + L"\" not found (" + path + L")");
      return;
    }
    unsigned char mark[2] = {};
    if (fread(mark, 1, 2, file.get()) != 2 || mark[0] != 0xFF || mark[1] != 0xFE)
      Report(a, Severity::kError,
             L"script \"" + value +
                 L"\" does not start with the UTF-16LE byte-order mark; the engine skips it");
  }

  const std::wstring& m_folder;
  const std::wstring& m_file;
  const Options& m_options;
  std::vector<Diagnostic>& m_out;
  std::map<std::wstring, int> m_ids;
};

void AppendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

}  // namespace

std::vector<Diagnostic> LintFile(const std::wstring& folder, const std::wstring& file,
                                 const Options& options) {
  std::vector<Diagnostic> out;
  FileLinter(folder, file, options, out).Run();
  return out;
}

std::vector<Diagnostic> LintPath(const std::wstring& path, const Options& options) {
  if (!FolderExists(path)) {
    std::wstring folder = path;
    const size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash);
    return LintFile(folder, path, options);
  }
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((path + L"\\*.xml").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        files.push_back(path + L"/" + found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  std::sort(files.begin(), files.end());
  std::vector<Diagnostic> out;
  if (files.empty()) out.push_back({path, 1, 1, Severity::kError, L"no .xml files in the folder"});
  for (const std::wstring& file : files) {
    std::vector<Diagnostic> more = LintFile(path, file, options);
    out.insert(out.end(), more.begin(), more.end());
  }
  return out;
}

std::string FormatText(const std::vector<Diagnostic>& diagnostics) {
  std::string out;
  for (const Diagnostic& d : diagnostics) {
    out += Narrow(d.file) + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " +
           SeverityName(d.severity) + ": " + Narrow(d.message) + "\n";
  }
  return out;
}

std::string FormatJson(const std::vector<Diagnostic>& diagnostics) {
  std::string out = "[";
  for (const Diagnostic& d : diagnostics) {
    out += out.size() > 1 ? ",\n {" : "\n {";
    out += "\"file\": ";
    AppendJsonString(out, Narrow(d.file));
    out += ", \"line\": " + std::to_string(d.line) + ", \"column\": " + std::to_string(d.column) +
           ", \"severity\": \"" + SeverityName(d.severity) + "\", \"message\": ";
    AppendJsonString(out, Narrow(d.message));
    out += "}";
  }
  out += diagnostics.empty() ? "]\n" : "\n]\n";
  return out;
}

int ExitStatus(const std::vector<Diagnostic>& diagnostics) {
  int status = 0;
  for (const Diagnostic& d : diagnostics)
    status = std::max(status, d.severity == Severity::kError ? 2 : 1);
  return status;
}

}  // namespace velmor::lint
