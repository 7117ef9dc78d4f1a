#include "skin/attribute_chunks.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "tinyxml.h"

namespace velmor {
namespace {

// The parser's character classes (its "C" locale rules; every byte from 127 up counts as a
// letter of a name).
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 127 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

// A start tag with more attributes than fit in one chunk.
struct LongTag {
  size_t nameStart;             // after '<'
  size_t nameEnd;
  size_t listEnd;               // the '/' or '>' that ends the tag
  size_t tagEnd;                // after the closing '>'
  bool empty;                   // written "<tag ... />"
  std::vector<size_t> bounds;   // the end of each attribute
};

// Reads the start tag whose '<' is at 'at'. False when the parser would stop inside it (the
// document then ends there for the parser too).
bool ReadStartTag(const std::string& text, size_t at, LongTag& tag) {
  const size_t n = text.size();
  size_t p = at + 1;
  tag.nameStart = p;
  while (p < n && IsNameChar(text[p])) ++p;
  tag.nameEnd = p;
  tag.bounds.clear();
  for (;;) {
    while (p < n && IsSpace(text[p])) ++p;
    if (p >= n) return false;
    if (text[p] == '>' || text[p] == '/') {
      tag.empty = text[p] == '/';
      if (tag.empty && (p + 1 >= n || text[p + 1] != '>')) return false;
      tag.listEnd = p;
      tag.tagEnd = p + (tag.empty ? 2 : 1);
      return true;
    }
    if (!IsNameStart(text[p])) return false;
    while (p < n && IsNameChar(text[p])) ++p;
    while (p < n && IsSpace(text[p])) ++p;
    if (p >= n || text[p] != '=') return false;
    ++p;
    while (p < n && IsSpace(text[p])) ++p;
    if (p >= n) return false;
    if (text[p] == '"' || text[p] == '\'') {
      const size_t close = text.find(text[p], p + 1);
      if (close == std::string::npos) return false;
      p = close + 1;
    } else {
      // The parser takes unquoted values up to white space or the end of the tag.
      while (p < n && !IsSpace(text[p]) && text[p] != '/' && text[p] != '>') {
        if (text[p] == '"' || text[p] == '\'') return false;
        ++p;
      }
    }
    tag.bounds.push_back(p);
  }
}

// The start tags to rewrite, in document order. Comments, CDATA sections, declarations,
// processing instructions and end tags are skipped the way the parser skips them. With 'depth',
// the deepest element nesting is counted on the way, as MeasureXmlNesting counts it; -1 when the
// text has markup that scan reads differently (a '<' before a character that starts neither a
// name nor other markup, or a start tag this scan stops in), which must then be measured apart.
std::vector<LongTag> FindLongTags(const std::string& text, int* depth) {
  std::vector<LongTag> found;
  LongTag tag;
  size_t i = 0;
  int current = 0, deepest = 0;
  bool followed = true;
  for (;;) {
    const size_t at = text.find('<', i);
    if (at == std::string::npos) break;
    size_t end = std::string::npos;
    if (text.compare(at, 4, "<!--") == 0) {
      end = text.find("-->", at + 4);
      if (end != std::string::npos) end += 3;
    } else if (text.compare(at, 9, "<![CDATA[") == 0) {
      end = text.find("]]>", at + 9);
      if (end != std::string::npos) end += 3;
    } else if (at + 1 < text.size() && IsNameStart(text[at + 1])) {
      if (!ReadStartTag(text, at, tag)) {
        followed = false;
        break;
      }
      end = tag.tagEnd;
      if (tag.bounds.size() > kAttributesPerChunk) found.push_back(tag);
      if (!tag.empty && ++current > deepest) deepest = current;
    } else {
      const char next = at + 1 < text.size() ? text[at + 1] : '!';
      followed = followed && (next == '/' || next == '?' || next == '!');
      end = text.find('>', at + 1);
      if (end != std::string::npos) {
        ++end;
        if (next == '/' && current > 0) --current;
      }
    }
    if (end == std::string::npos) break;
    i = end;
  }
  if (depth != nullptr) *depth = followed ? deepest : -1;
  return found;
}

// A name for the marker that the text does not contain anywhere.
std::string ChooseMarker(const std::string& text) {
  for (unsigned suffix = 0;; ++suffix) {
    std::string marker = "velmor-attributes-" + std::to_string(suffix);
    if (text.find(marker) == std::string::npos) return marker;
  }
}

}  // namespace

scAttributeSplit SplitLongAttributeLists(const std::string& text, std::string& out, int* depth) {
  scAttributeSplit split;
  const std::vector<LongTag> tags = FindLongTags(text, depth);
  if (tags.empty()) return split;
  split.marker = ChooseMarker(text);
  const std::string& m = split.marker;
  out.clear();
  out.reserve(text.size() + text.size() / 8);
  size_t copied = 0;
  for (size_t index = 0; index < tags.size(); ++index) {
    const LongTag& tag = tags[index];
    const size_t count = tag.bounds.size();
    const size_t chunks = (count + kAttributesPerChunk - 1) / kAttributesPerChunk;
    std::vector<size_t> counts;
    // The element keeps the first chunk and the marker, whose value is its index.
    const size_t firstEnd = tag.bounds[kAttributesPerChunk - 1];
    out.append(text, copied, firstEnd - copied);
    out += ' ' + m + "=\"" + std::to_string(index) + "\">";
    counts.push_back(kAttributesPerChunk);
    for (size_t c = 1; c < chunks; ++c) {
      const size_t from = tag.bounds[c * kAttributesPerChunk - 1];
      const bool last = c + 1 == chunks;
      const size_t to = last ? tag.listEnd : tag.bounds[(c + 1) * kAttributesPerChunk - 1];
      out += '<' + m + ' ';
      out.append(text, from, to - from);
      out += "/>";
      counts.push_back(last ? count - c * kAttributesPerChunk : kAttributesPerChunk);
    }
    if (tag.empty) {
      out += "</";
      out.append(text, tag.nameStart, tag.nameEnd - tag.nameStart);
      out += '>';
    }
    copied = tag.tagEnd;
    split.elements.push_back(std::move(counts));
  }
  out.append(text, copied, std::string::npos);
  return split;
}

scSplitElementReader::Result scSplitElementReader::Read(const TiXmlElement* element) {
  m_attributes.clear();
  m_text = element->GetText();
  m_firstChild = element->FirstChildElement();
  const TiXmlAttribute* marker = element->LastAttribute();
  const bool host = m_split != nullptr && !m_split->marker.empty() && marker != nullptr &&
                    m_split->marker == marker->Name();
  for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr && a != marker;
       a = a->Next()) {
    m_attributes.emplace_back(a->Name(), a->Value());
  }
  if (!host) {
    if (marker != nullptr) m_attributes.emplace_back(marker->Name(), marker->Value());
    return kRead;
  }
  // The rewritten elements come in document order, each once.
  if (m_seen >= m_split->elements.size() || std::to_string(m_seen) != marker->Value())
    return kMismatch;
  const std::vector<size_t>& counts = m_split->elements[m_seen++];
  if (m_attributes.size() != counts[0]) return kMismatch;
  const TiXmlNode* node = element->FirstChild();
  for (size_t c = 1; c < counts.size(); ++c, node = node->NextSibling()) {
    const TiXmlElement* chunk = node != nullptr ? node->ToElement() : nullptr;
    if (chunk == nullptr || m_split->marker != chunk->Value()) return kMismatch;
    size_t read = 0;
    for (const TiXmlAttribute* a = chunk->FirstAttribute(); a != nullptr; a = a->Next(), ++read)
      m_attributes.emplace_back(a->Name(), a->Value());
    if (read != counts[c]) return kMismatch;
  }
  // The parser refuses an element that names an attribute twice; within a chunk it did so
  // itself, across chunks it is checked here.
  std::unordered_set<std::string_view> names;
  names.reserve(m_attributes.size());
  for (const auto& attribute : m_attributes) {
    if (!names.insert(attribute.first).second) return kDuplicate;
  }
  const TiXmlText* text = node != nullptr ? node->ToText() : nullptr;
  m_text = text != nullptr ? text->Value() : nullptr;
  m_firstChild = node == nullptr ? nullptr
                 : node->ToElement() != nullptr ? node->ToElement()
                                                : node->NextSiblingElement();
  return kRead;
}

scSplitElementReader::Result scSplitElementReader::Skip(const TiXmlElement* element) {
  // Subtrees the prototype tree leaves out are still read, so that every rewritten element is
  // accounted for.
  std::vector<const TiXmlElement*> pending{element};
  while (!pending.empty()) {
    const TiXmlElement* current = pending.back();
    pending.pop_back();
    const Result result = Read(current);
    if (result != kRead) return result;
    const size_t mark = pending.size();
    for (const TiXmlElement* child = m_firstChild; child != nullptr;
         child = child->NextSiblingElement())
      pending.push_back(child);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
  }
  return kRead;
}

bool scSplitElementReader::AllElementsSeen() const {
  return m_split == nullptr || m_seen == m_split->elements.size();
}

}  // namespace velmor
