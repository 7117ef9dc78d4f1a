#include "mutator.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace velmor::fuzz {
namespace {

// Attribute values that probe each grammar's edges (the cut UTF-8 sequence is followed by a
// character, so the quote after it still ends the value).
const char* const kValues[] = {
    "", "0", "-1", "1", "2147483647", "-2147483648", "99999999999999999999", "0x7fffffff",
    "0X10", "010", " 12", "+5", "1e9", "#", "#f", "#fff", "#FFFFFF", "#gggggg", "#ffff", "red",
    "Red", "transparent", "threedface", "buttonface", "stretch", "tile", "ninegrid", "center",
    "right", "bottom", "left top", "vcenter", "1,2,3,4", "1,2,3", "0x10;010;-4;+4", ",,,,", "1",
    "true", "false", "TRUE", "Bold Italic", "Underline  Strikeout", "hand", "sizeall", "system",
    "images/logo.png", "images/missing.png", "..\\..\\..\\..\\boot.ini", "C:\\none\\a.png",
    "\\\\?\\C:\\x.png", "con", "nul.png", "&amp;&lt;&gt;&quot;&apos;", "&#x4E2D;&#20013;",
    "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80", "\xC3(", "\xFF\xFE", "window.close();",
    "return false;", "throw 1;", "event.preventDefault();", "this.left = -100000;", "var = ;",
    "event.initEvent('click'); event.preventDefault();", "window.title = event.type;",
};

const char* const kAttributes[] = {
    "id", "left", "top", "width", "height", "right", "bottom", "horizontalAlignment",
    "verticalAlignment", "visible", "disabled", "passThrough", "backgroundColor", "clippingColor",
    "clippingImage", "backgroundImage", "backgroundImageStretchMode", "nineGridMargins", "src",
    "stretchMode", "title", "tooltip", "cursor", "foregroundColor", "fontFace", "fontSize",
    "fontStyle", "textAlignment", "resizeMargins", "bottomRightCorner", "stickyBorderWidth",
    "onclick", "onmousedown", "onmouseup", "onmousemove", "onmouseover", "onmouseout", "onload",
    "onunload", "onsize", "onsizemode", "onclose", "ondblclick", "oncommand", "onClick",
    "ONCLICK", "On", "on", "o",
};

const char* const kTags[] = {
    "window", "image", "subwindow", "button", "menubar", "menu", "menupopup", "menuitem",
    "menuseparator", "splitter", "splitterbar", "label", "widget", "textbox", "datepicker",
    "timepicker", "checkbox", "radio", "keyset", "key", "script", "Window", "unknown",
};

// Script bodies that end by themselves: hostile to the engine, not endless.
const char* const kScripts[] = {
    "window.title = new Array(200001).join('t');",
    "var s = 'ab'; while (s.length < 4194304) s += s; window.title = s; var back = window.title;",
    "for (var i = 0; i < 2000; i++) document.getElementById('x' + i);",
    "var e = document.getElementById('frame'); if (e) { e.width = 100000; e.height = -5; "
    "e.left = 2147483647; e.moveSizeTo(-1, -1, 0, 0); }",
    "window.lock(7); window.unlock(7); window.unlock(4); window.unlock(4); window.lock(4);",
    "window.sizemode = 2; window.sizemode = 1; window.sizemode = 0; window.sizemode = 9;",
    "window.moveSizeTo(-32000, -32000, 4000, 3000, 0); window.moveSizeTo(0, 0, 1, 1, 0);",
    "window.visible = true; window.visible = false; window.visible = true;",
    "var r = document.firstChild; while (r) { r.visible = !r.visible; r = r.firstChild; }",
    "var n = document.firstChild; for (var i = 0; n && i < 100; i++) n = n.nextSibling || "
    "n.firstChild; if (n) n.passThrough = true;",
    "try { ScriptLoader.LoadSubScript('missing.js'); } catch (e) {}",
    "try { ScriptLoader.LoadSubScriptFromFile('C:\\\\windows\\\\win.ini'); } catch (e) {}",
    "try { Components.CreateInstance('@velmor.net/none;1'); } catch (e) {}",
    "throw new Error('from the skin');",
    "var = ;",
    "window.topMost = true; window.topMost = false; window.activated = true;",
    "var x = document.getElementById('root'); if (x) { x.backgroundColor = {}; x.title = x; }",
    "window.close();",
    "var o = {}; for (var i = 0; i < 1000; i++) o = {next: o};",
};

std::string Pick(Random& r, const char* const* table, size_t count) { return table[r.Below(count)]; }
#define PICK(r, table) Pick(r, table, sizeof(table) / sizeof(table[0]))

// Text that may stand inside a double-quoted attribute value or element text: references the
// text already spells out stay as they are.
std::string Quoted(const std::string& text) {
  static const char* const kReferences[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#"};
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    bool reference = false;
    for (const char* known : kReferences) reference = reference || text.compare(i, strlen(known), known) == 0;
    if (c == '"') out += "&quot;";
    else if (c == '<') out += "&lt;";
    else if (c == '&' && !reference) out += "&amp;";
    else out += c;
  }
  return out;
}

// Where one element of the text stands: its start tag [open, startEnd), its content
// [startEnd, close) and its end tag [close, end). An empty element has startEnd == close == end.
struct Span {
  size_t open = 0, startEnd = 0, close = 0, end = 0;
  size_t depth = 0;
  bool empty() const { return close == end; }
};

struct Attribute {
  size_t name, nameEnd, value, valueEnd;  // the value between its quotes
};

size_t Skip(const std::string& s, size_t at, const char* until) {
  const size_t found = s.find(until, at);
  return found == std::string::npos ? s.size() : found + strlen(until);
}

// The end of the start tag at 'open' (just after its '>'), quoted values skipped; npos when it
// does not end.
size_t TagEnd(const std::string& s, size_t open) {
  for (size_t i = open + 1; i < s.size(); ++i) {
    if (s[i] == '"' || s[i] == '\'') {
      i = s.find(s[i], i + 1);
      if (i == std::string::npos) return i;
    } else if (s[i] == '>') {
      return i + 1;
    }
  }
  return std::string::npos;
}

// The complete elements of the text, in document order: comments, character data, processing
// instructions and declarations are stepped over. A text made malformed by earlier byte
// mutations gives what can still be matched.
std::vector<Span> Elements(const std::string& s) {
  std::vector<Span> spans;
  std::vector<size_t> open;  // indices into spans
  for (size_t at = s.find('<'); at != std::string::npos && at < s.size(); at = s.find('<', at)) {
    if (s.compare(at, 4, "<!--") == 0) { at = Skip(s, at + 4, "-->"); continue; }
    if (s.compare(at, 9, "<![CDATA[") == 0) { at = Skip(s, at + 9, "]]>"); continue; }
    if (s.compare(at, 2, "<?") == 0) { at = Skip(s, at + 2, "?>"); continue; }
    if (s.compare(at, 2, "<!") == 0) { at = Skip(s, at + 2, ">"); continue; }
    const size_t tagEnd = TagEnd(s, at);
    if (tagEnd == std::string::npos) break;
    if (s[at + 1] == '/') {
      if (!open.empty()) {
        Span& span = spans[open.back()];
        span.close = at;
        span.end = tagEnd;
        open.pop_back();
      }
    } else {
      Span span;
      span.open = at;
      span.startEnd = tagEnd;
      span.depth = open.size();
      if (s[tagEnd - 2] == '/') {
        span.close = span.end = tagEnd;
        spans.push_back(span);
      } else {
        span.close = span.end = std::string::npos;
        open.push_back(spans.size());
        spans.push_back(span);
      }
    }
    at = tagEnd;
  }
  std::vector<Span> complete;
  for (const Span& span : spans)
    if (span.end != std::string::npos) complete.push_back(span);
  return complete;
}

std::vector<Attribute> Attributes(const std::string& s, const Span& span) {
  std::vector<Attribute> list;
  for (size_t eq = s.find("=\"", span.open); eq != std::string::npos && eq < span.startEnd;
       eq = s.find("=\"", eq + 2)) {
    size_t name = eq;
    while (name > span.open && s[name - 1] != ' ' && s[name - 1] != '\n') --name;
    const size_t valueEnd = s.find('"', eq + 2);
    if (valueEnd == std::string::npos || valueEnd >= span.startEnd) break;
    list.push_back({name, eq, eq + 2, valueEnd});
    eq = valueEnd - 1;
  }
  return list;
}

bool HasAttribute(const std::string& s, const std::vector<Attribute>& list, const std::string& name) {
  for (const Attribute& a : list)
    if (s.compare(a.name, a.nameEnd - a.name, name) == 0) return true;
  return false;
}

// Just after the tag name of the element's start tag.
size_t NameEnd(const std::string& s, const Span& span) {
  return std::min(s.find_first_of(" />\n\t\r", span.open + 1), span.startEnd - 1);
}

// An attribute name the element does not have yet, or "" after a few tries.
std::string NewName(Random& r, const std::string& s, const std::vector<Attribute>& list) {
  for (int tries = 0; tries < 8; ++tries) {
    const std::string name = PICK(r, kAttributes);
    if (!HasAttribute(s, list, name)) return name;
  }
  return "";
}

std::string Value(Random& r, const std::string& name) {
  const bool handler = name.size() > 2 && (name[0] == 'o' || name[0] == 'O');
  return Quoted(handler && r.OneIn(2) ? PICK(r, kScripts) : PICK(r, kValues));
}

// A new element: a known tag (now and then another), distinct attribute names, a matching end.
std::string Element(Random& r) {
  const std::string tag = PICK(r, kTags);
  std::string e = "<" + tag;
  std::vector<std::string> names;
  for (size_t i = r.Below(6); i-- > 0;) {
    const std::string name = PICK(r, kAttributes);
    if (std::find(names.begin(), names.end(), name) != names.end()) continue;
    names.push_back(name);
    e += " " + name + "=\"" + Value(r, name) + "\"";
  }
  if (r.OneIn(3)) return e + "/>";
  return e + ">" + (r.OneIn(2) ? Quoted(PICK(r, kValues)) : std::string()) + "</" + tag + ">";
}

// A place inside the root element where an element may be inserted: the start or the end of a
// non-empty element's content, or just after an element inside the root.
size_t ContentPlace(Random& r, const std::vector<Span>& spans) {
  const Span& pick = spans[r.Below(spans.size())];
  if (pick.depth == 0 || (!pick.empty() && r.OneIn(2)))
    return pick.empty() ? spans[0].close : (r.OneIn(2) ? pick.startEnd : pick.close);
  return pick.end;
}

// Byte-level damage: most of it leaves no well-formed file behind.
void Damage(std::string& s, Random& r) {
  const size_t n = s.size();
  const size_t a = r.Below(n + 1), b = std::min(n, a + r.Below(64) + 1);
  switch (r.Below(4)) {
    case 0:  // flip bytes
      for (size_t i = r.Below(8) + 1; i-- > 0 && n > 0;) s[r.Below(n)] = static_cast<char>(r.Next());
      break;
    case 1:  // cut a range
      s.erase(a, b - a);
      break;
    case 2:  // repeat a range
      s.insert(r.Below(n + 1), s.substr(a, b - a));
      break;
    default:  // truncate
      s.resize(a);
      break;
  }
}

// One change that keeps a well-formed skin well-formed: attributes replaced, renamed, added and
// removed, elements repeated, removed, moved, renamed, wrapped and inserted, scripts and
// handlers added, long attribute lists and many siblings.
void Restructure(std::string& s, Random& r) {
  const std::vector<Span> spans = Elements(s);
  if (spans.empty()) return Damage(s, r);
  const size_t index = r.Below(spans.size());
  const Span& span = spans[index];
  const bool isRoot = span.depth == 0;
  const std::vector<Attribute> attributes = Attributes(s, span);
  switch (r.Below(13)) {
    case 0: {  // replace an attribute value
      if (attributes.empty()) break;
      const Attribute& a = attributes[r.Below(attributes.size())];
      s.replace(a.value, a.valueEnd - a.value, Value(r, s.substr(a.name, a.nameEnd - a.name)));
      break;
    }
    case 1: {  // rename an attribute
      if (attributes.empty()) break;
      const Attribute& a = attributes[r.Below(attributes.size())];
      const std::string name = NewName(r, s, attributes);
      if (!name.empty()) s.replace(a.name, a.nameEnd - a.name, name);
      break;
    }
    case 2: {  // add attributes
      std::string added;
      std::vector<Attribute> now = attributes;
      for (size_t i = r.Below(3) + 1; i-- > 0;) {
        const std::string name = NewName(r, s, now);
        if (name.empty() || added.find(" " + name + "=") != std::string::npos) continue;
        added += " " + name + "=\"" + Value(r, name) + "\"";
      }
      s.insert(NameEnd(s, span), added);
      break;
    }
    case 3:  // remove an attribute
      if (!attributes.empty()) {
        const Attribute& a = attributes[r.Below(attributes.size())];
        s.erase(a.name - 1, a.valueEnd + 1 - (a.name - 1));
      }
      break;
    case 4: {  // repeat an element after itself
      if (isRoot) break;
      const std::string element = s.substr(span.open, span.end - span.open);
      std::string copies;
      for (size_t i = r.Below(r.OneIn(4) ? 3000 : 200) + 1; i-- > 0;) copies += element;
      s.insert(span.end, copies);
      break;
    }
    case 5:  // remove an element
      if (!isRoot) s.erase(span.open, span.end - span.open);
      break;
    case 6: {  // move an element elsewhere (not into itself)
      if (isRoot) break;
      const size_t place = ContentPlace(r, spans);
      if (place > span.open && place < span.end) break;
      const std::string element = s.substr(span.open, span.end - span.open);
      s.insert(place, element);
      s.erase(place < span.open ? span.open + element.size() : span.open, element.size());
      break;
    }
    case 7:  // insert a new element
      s.insert(ContentPlace(r, spans), Element(r));
      break;
    case 8: {  // insert a script element or a handler
      const std::string script = PICK(r, kScripts);
      if (r.OneIn(2)) {
        s.insert(ContentPlace(r, spans), "<script><![CDATA[" + script + "]]></script>");
      } else {
        std::string name = r.OneIn(3) ? "onsize" : NewName(r, s, attributes);
        if (name.empty() || HasAttribute(s, attributes, name)) break;
        s.insert(NameEnd(s, span), " " + name + "=\"" + Quoted(script) + "\"");
      }
      break;
    }
    case 9: {  // a long attribute list (names made distinct by their numbers)
      std::set<std::string> names;
      for (const Attribute& a : attributes) names.insert(s.substr(a.name, a.nameEnd - a.name));
      std::string list;
      for (size_t i = r.Below(r.OneIn(4) ? 5000 : 300) + 1; i-- > 0;) {
        const std::string name = PICK(r, kAttributes) + std::to_string(i);
        const std::string value = Quoted(PICK(r, kValues));
        if (names.insert(name).second) list += " " + name + "=\"" + value + "\"";
      }
      s.insert(NameEnd(s, span), list);
      break;
    }
    case 10: {  // wrap an element in nested subwindows (now and then past the nesting limit)
      if (isRoot) break;
      const size_t depth = r.Below(r.OneIn(8) ? 300 : 40) + 1;
      std::string open, close;
      for (size_t i = 0; i < depth; ++i) {
        open += "<subwindow left=\"1\" top=\"1\" width=\"9\" height=\"9\">";
        close += "</subwindow>";
      }
      s.insert(span.end, close);
      s.insert(span.open, open);
      break;
    }
    case 11: {  // rename an element's tag, start and end (the root rarely)
      if (isRoot && !r.OneIn(8)) break;
      const size_t nameEnd = NameEnd(s, span);
      const std::string tag = PICK(r, kTags);
      if (!span.empty()) s.replace(span.close + 2, nameEnd - (span.open + 1), tag);
      s.replace(span.open + 1, nameEnd - (span.open + 1), tag);
      break;
    }
    default: {  // many shaped siblings
      std::string panels;
      for (size_t i = r.Below(2000) + 1; i-- > 0;)
        panels += "<subwindow left=\"" + std::to_string(r.Below(400)) + "\" top=\"" +
                  std::to_string(r.Below(300)) + "\" width=\"" + std::to_string(r.Below(20)) +
                  "\" height=\"2\" backgroundColor=\"" + Quoted(PICK(r, kValues)) + "\"/>";
      s.insert(ContentPlace(r, spans), panels);
      break;
    }
  }
}

}  // namespace

uint64_t Random::Next() {
  uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string MutateSkin(const std::string& original, uint64_t seed, uint64_t index) {
  Random r(seed * 0x100000001B3ull ^ (index + 1) * 0x9E3779B97F4A7C15ull);
  std::string skin = original;
  // Mostly changes that still parse, so the skins reach layout, painting and scripts; one skin
  // in eight also gets byte-level damage, which the reader must refuse cleanly.
  for (size_t i = r.Below(4) + 1; i-- > 0;) Restructure(skin, r);
  if (r.OneIn(8)) Damage(skin, r);
  return skin;
}

}  // namespace velmor::fuzz
