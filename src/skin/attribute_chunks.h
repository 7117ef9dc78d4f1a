// Long attribute lists, split before parsing. The parser checks every new attribute of an
// element against all the ones before it, so one element with n attributes costs n² steps. Start
// tags with more than kAttributesPerChunk attributes are therefore rewritten before parsing: the
// element keeps the first chunk of its attributes plus a marker attribute, and each further chunk
// becomes an empty child element (named like the marker) placed before the element's content. The
// prototype builder joins the chunks again and checks that the parser read exactly the chunks the
// rewrite made; when it did not, the original text is parsed as it is.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

class TiXmlElement;

namespace velmor {

constexpr size_t kAttributesPerChunk = 64;

// What the prototype builder answers when the parser did not read the chunks the rewrite made.
constexpr HRESULT kAttributeSplitMismatch = HRESULT(0x8007000DL);  // ERROR_INVALID_DATA

struct scAttributeSplit {
  // The name of the marker attribute and of the chunk elements; empty when nothing was split.
  std::string marker;
  // Per rewritten element, in document order: the attribute counts of its chunks (the first is
  // the one the element keeps, without the marker).
  std::vector<std::vector<size_t>> elements;
};

// Writes into 'rewritten' the text with its start tags of more than kAttributesPerChunk
// attributes split; answers what it split (an empty marker, and 'rewritten' untouched, when
// there was nothing to split). The same pass measures the element nesting into 'depth' when it
// is given: what MeasureXmlNesting answers (without its limit), or -1 for markup only that scan
// reads as the parser would, so that the text needs the nesting scan of its own.
scAttributeSplit SplitLongAttributeLists(const std::string& text, std::string& rewritten,
                                         int* depth = nullptr);

// One element's attributes as the file wrote them, chunks joined. Built by the prototype
// builder for each element it reads.
class scSplitElementReader {
 public:
  explicit scSplitElementReader(const scAttributeSplit* split) : m_split(split) {}

  enum Result {
    kRead,
    kMismatch,   // the parser did not read the chunks the rewrite made
    kDuplicate,  // two chunks name the same attribute: the file does not parse
  };
  // Reads 'element': its attributes with the chunks joined, in the file's order, its text and
  // its first child element past the chunks.
  Result Read(const TiXmlElement* element);
  // Reads 'element' and its whole subtree without keeping anything, for subtrees the prototype
  // tree leaves out.
  Result Skip(const TiXmlElement* element);
  // After Read: the name/value pairs (UTF-8, as the parser stores them).
  const std::vector<std::pair<const char*, const char*>>& Attributes() const { return m_attributes; }
  // After Read: the first child element that belongs to the file, and the element's text (the
  // text node that follows the chunks, or the element's own text when there are none).
  const TiXmlElement* FirstChildElement() const { return m_firstChild; }
  const char* Text() const { return m_text; }
  // Whether every rewritten element was met.
  bool AllElementsSeen() const;

 private:
  const scAttributeSplit* m_split;
  std::vector<std::pair<const char*, const char*>> m_attributes;
  const TiXmlElement* m_firstChild = nullptr;
  const char* m_text = nullptr;
  size_t m_seen = 0;
};

}  // namespace velmor
