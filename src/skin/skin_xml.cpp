#include "skin/skin_xml.h"

#include <cstring>
#include <memory>
#include <string>

#include "skin/attribute_chunks.h"
#include "skin/prototype.h"
#include "tinyxml.h"

namespace velmor {
namespace {

// The NULs the parse needs after the text.
constexpr size_t kParsePadding = 4;

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};

// The parts of XML that change the element depth. Everything else (text, attribute values in
// quotes, comments, CDATA, processing instructions, declarations) is skipped the way TinyXML
// skips it. Where the two could disagree the scan counts deeper, never shallower, so a file it
// lets through never nests deeper in the parser.
class NestingScanner {
 public:
  explicit NestingScanner(int limit) : m_limit(limit) {}

  // Feeds one chunk; false once the limit is exceeded.
  bool Feed(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      // Text and quoted values change nothing until their closing character: jump to it.
      if (m_state == State::Text || m_state == State::Quote) {
        const char wanted = m_state == State::Text ? '<' : m_quote;
        const void* found = memchr(data + i, wanted, size - i);
        if (found == nullptr) return true;
        i = static_cast<size_t>(static_cast<const char*>(found) - data);
      }
      Step(data[i]);
      if (m_max > m_limit) return false;
    }
    return true;
  }
  int Max() const { return m_max; }

 private:
  enum class State { Text, Open, Markup, Declaration, Comment, CData, Instruction, EndTag, StartTag, Quote };

  void Step(char c) {
    switch (m_state) {
      case State::Text:
        if (c == '<') m_state = State::Open;
        break;
      case State::Open:
        if (c == '!') {
          m_state = State::Markup;
          m_markupLength = 0;
        } else if (c == '?') {
          m_state = State::Instruction;
          m_last = 0;
        } else if (c == '/') {
          m_state = State::EndTag;
        } else {
          m_state = State::StartTag;
          m_last = c;
        }
        break;
      case State::Markup: {
        // "<!--" and "<![CDATA[" open blocks that may contain '<' and '>'; any other "<!"
        // declaration ends at the next '>'.
        m_markup[m_markupLength++] = c;
        const int n = m_markupLength;
        const bool comment = n <= 2 && memcmp(m_markup, "--", n) == 0;
        const bool cdata = n <= 7 && memcmp(m_markup, "[CDATA[", n) == 0;
        if (comment && n == 2) {
          m_state = State::Comment;
          m_last = m_prev = 0;
        } else if (cdata && n == 7) {
          m_state = State::CData;
          m_last = m_prev = 0;
        } else if (!comment && !cdata) {
          m_state = c == '>' ? State::Text : State::Declaration;
        }
        break;
      }
      case State::Declaration:
        if (c == '>') m_state = State::Text;
        break;
      case State::Comment:
      case State::CData: {
        const char closer = m_state == State::Comment ? '-' : ']';
        if (c == '>' && m_last == closer && m_prev == closer) m_state = State::Text;
        m_prev = m_last;
        m_last = c;
        break;
      }
      case State::Instruction:
        // The parser ends "<?...": at the first '>' (only the XML declaration reads quoted
        // values, which can only make this count higher than the parser's).
        if (c == '>') m_state = State::Text;
        break;
      case State::EndTag:
        if (c == '>') {
          if (m_depth > 0) --m_depth;
          m_state = State::Text;
        }
        break;
      case State::StartTag:
        if (c == '"' || c == '\'') {
          m_quote = c;
          m_state = State::Quote;
        } else if (c == '>') {
          if (m_last != '/') {
            ++m_depth;
            if (m_depth > m_max) m_max = m_depth;
          }
          m_state = State::Text;
        }
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') m_last = c;
        break;
      case State::Quote:
        if (c == m_quote) {
          m_state = State::StartTag;
          m_last = c;
        }
        break;
    }
  }

  int m_limit;
  int m_depth = 0;
  int m_max = 0;
  State m_state = State::Text;
  char m_markup[8] = {};
  int m_markupLength = 0;
  char m_last = 0, m_prev = 0, m_quote = 0;
};

}  // namespace

int MeasureXmlNesting(FILE* file, int limit) {
  if (file == nullptr || fseek(file, 0, SEEK_SET) != 0) return -1;
  NestingScanner scanner(limit);
  char buffer[64 * 1024];
  size_t read;
  bool within = true;
  while (within && (read = fread(buffer, 1, sizeof(buffer), file)) > 0) {
    within = scanner.Feed(buffer, read);
  }
  const bool failed = ferror(file) != 0;
  if (fseek(file, 0, SEEK_SET) != 0 || failed) return -1;
  return scanner.Max();
}

int MeasureXmlNesting(const std::string& text, int limit) {
  NestingScanner scanner(limit);
  scanner.Feed(text.data(), text.size());
  return scanner.Max();
}

bool ReadXmlText(FILE* file, std::string& text) {
  text.clear();
  if (fseek(file, 0, SEEK_END) != 0) return false;
  const long length = ftell(file);
  if (length <= 0 || fseek(file, 0, SEEK_SET) != 0) return false;
  // Room for the padding the parse adds (ParseSkinText), so it never copies the text.
  text.reserve(static_cast<size_t>(length) + kParsePadding);
  text.resize(static_cast<size_t>(length));
  if (fread(text.data(), 1, text.size(), file) != text.size()) return false;
  // As the parser's own file loading does: the text ends at the first NUL, and CR LF and lone
  // CR become LF. Text before the first CR stays where it is.
  if (const void* nul = memchr(text.data(), '\0', text.size()))
    text.resize(static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
  const void* cr = memchr(text.data(), '\r', text.size());
  if (cr == nullptr) return true;
  size_t out = static_cast<size_t>(static_cast<const char*>(cr) - text.data());
  for (size_t in = out; in < text.size(); ++in) {
    if (text[in] == '\r') {
      text[out++] = '\n';
      if (in + 1 < text.size() && text[in + 1] == '\n') ++in;
    } else {
      text[out++] = text[in];
    }
  }
  text.resize(out);
  return true;
}

namespace {

// Parses 'text' and builds the prototype tree of its "window" root. 'text' is padded while it is
// parsed and given back as it was.
[[nodiscard]] HRESULT ParseSkinText(scIContentDocument* document, std::string& text,
                      const scAttributeSplit* split, scPrototypeElement** root) {
  // Element text keeps its line breaks (they become CR LF in the prototype).
  TiXmlBase::SetCondenseWhiteSpace(false);
  TiXmlDocument xml;
  // The parser may step up to three bytes past the end over a broken multi-byte character:
  // the text ends in enough NULs for that.
  const size_t size = text.size();
  text.append(kParsePadding, '\0');
  xml.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
  text.resize(size);
  if (xml.Error()) return E_FAIL;
  const TiXmlElement* top = xml.FirstChildElement();
  if (top == nullptr || strcmp(top->Value(), "window") != 0) return E_FAIL;
  scPrototypeNode* node = nullptr;
  const HRESULT hr = BuildPrototype(document, top, &node, split);
  if (FAILED(hr) || node == nullptr) return FAILED(hr) ? hr : E_FAIL;
  *root = static_cast<scPrototypeElement*>(node);
  return S_OK;
}

}  // namespace

[[nodiscard]] HRESULT ReadSkinFile(scIContentDocument* document, const wchar_t* path, scPrototypeElement** root) {
  if (root == nullptr) return E_POINTER;
  *root = nullptr;
  if (path == nullptr) return E_FAIL;
  try {
    std::string text;
    {
      std::unique_ptr<FILE, FileCloser> file(_wfopen(path, L"rb"));
      if (!file || !ReadXmlText(file.get(), text)) return E_FAIL;
    }
    // One pass finds the long attribute lists and, for ordinary markup, the nesting depth.
    std::string split;
    int depth = -1;
    const scAttributeSplit chunks = SplitLongAttributeLists(text, split, &depth);
    if (depth < 0) depth = MeasureXmlNesting(text, kMaxSkinNesting);
    if (depth > kMaxSkinNesting) return E_FAIL;
    if (chunks.marker.empty())
      return SUCCEEDED(ParseSkinText(document, text, nullptr, root)) ? S_OK : E_FAIL;
    const HRESULT hr = ParseSkinText(document, split, &chunks, root);
    // Text the rewrite misread is parsed as it was written.
    if (hr == kAttributeSplitMismatch)
      return SUCCEEDED(ParseSkinText(document, text, nullptr, root)) ? S_OK : E_FAIL;
    return SUCCEEDED(hr) ? S_OK : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace velmor
