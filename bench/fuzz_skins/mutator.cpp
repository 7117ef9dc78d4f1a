#include "mutator.h"

#include <algorithm>
#include <vector>

namespace velmor::fuzz {
namespace {

// Attribute values that probe each grammar's edges.
const char* const kValues[] = {
    "", "0", "-1", "1", "2147483647", "-2147483648", "99999999999999999999", "0x7fffffff",
    "0X10", "010", " 12", "+5", "1e9", "#", "#f", "#fff", "#FFFFFF", "#gggggg", "#ffff", "red",
    "Red", "transparent", "threedface", "buttonface", "stretch", "tile", "ninegrid", "center",
    "right", "bottom", "left top", "vcenter", "1,2,3,4", "1,2,3", "0x10;010;-4;+4", ",,,,", "1",
    "true", "false", "TRUE", "Bold Italic", "Underline  Strikeout", "hand", "sizeall", "system",
    "images/logo.png", "images/missing.png", "..\\..\\..\\..\\boot.ini", "C:\\none\\a.png",
    "\\\\?\\C:\\x.png", "con", "nul.png", "&amp;&lt;&gt;&quot;&apos;", "&#x4E2D;&#20013;",
    "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80", "\xC3", "\xFF\xFE", "window.close();",
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

// Positions just after a '>' (places where an element may start) and of '="' (attribute values).
std::vector<size_t> Find(const std::string& text, const std::string& what, size_t offset) {
  std::vector<size_t> found;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    found.push_back(at + offset);
  return found;
}

size_t AnyOf(Random& r, const std::vector<size_t>& positions, size_t fallback) {
  return positions.empty() ? fallback : positions[r.Below(positions.size())];
}

std::string Element(Random& r) {
  std::string e = "<" + PICK(r, kTags);
  const size_t attributes = r.Below(6);
  for (size_t i = 0; i < attributes; ++i) e += " " + PICK(r, kAttributes) + "=\"" + PICK(r, kValues) + "\"";
  if (r.OneIn(3)) return e + "/>";
  return e + ">" + (r.OneIn(2) ? PICK(r, kValues) : std::string()) + "</" + PICK(r, kTags) + ">";
}

void Mutate(std::string& s, Random& r) {
  const size_t n = s.size();
  const size_t a = r.Below(n + 1), b = std::min(n, a + r.Below(64) + 1);
  switch (r.Below(12)) {
    case 0:  // flip bytes
      for (size_t i = r.Below(8) + 1; i-- > 0 && n > 0;) s[r.Below(n)] = static_cast<char>(r.Next());
      break;
    case 1:  // cut a range
      s.erase(a, b - a);
      break;
    case 2:  // repeat a range
      s.insert(r.Below(n + 1), s.substr(a, b - a));
      break;
    case 3: {  // replace an attribute value
      const std::vector<size_t> values = Find(s, "=\"", 2);
      if (values.empty()) break;
      const size_t at = AnyOf(r, values, 0);
      const size_t end = s.find('"', at);
      if (end != std::string::npos) s.replace(at, end - at, PICK(r, kValues));
      break;
    }
    case 4: {  // rename an attribute
      const std::vector<size_t> values = Find(s, "=\"", 0);
      if (values.empty()) break;
      const size_t eq = AnyOf(r, values, 0);
      size_t start = eq;
      while (start > 0 && s[start - 1] != ' ' && s[start - 1] != '\n') --start;
      s.replace(start, eq - start, PICK(r, kAttributes));
      break;
    }
    case 5: {  // repeat one tag many times
      const size_t open = s.find('<', a);
      const size_t close = open == std::string::npos ? open : s.find('>', open);
      if (close == std::string::npos) break;
      const std::string tag = s.substr(open, close - open + 1);
      std::string copies;
      for (size_t i = r.Below(r.OneIn(4) ? 3000 : 200) + 1; i-- > 0;) copies += tag;
      s.insert(close + 1, copies);
      break;
    }
    case 6: {  // insert an element
      s.insert(AnyOf(r, Find(s, ">", 1), n), Element(r));
      break;
    }
    case 7: {  // insert a script element or a handler
      const std::string script = PICK(r, kScripts);
      if (r.OneIn(2)) {
        s.insert(AnyOf(r, Find(s, ">", 1), n), "<script><![CDATA[" + script + "]]></script>");
      } else {
        std::string attribute = " " + PICK(r, kAttributes) + "=\"";
        for (char c : script) attribute += c == '<' ? std::string("&lt;") : c == '"' ? std::string("&quot;") : std::string(1, c);
        s.insert(AnyOf(r, Find(s, "<subwindow", 10), n), attribute + "\"");
      }
      break;
    }
    case 8: {  // a long attribute list on one tag
      std::string list;
      for (size_t i = r.Below(r.OneIn(4) ? 5000 : 300) + 1; i-- > 0;)
        list += " " + PICK(r, kAttributes) + std::to_string(i) + "=\"" + PICK(r, kValues) + "\"";
      s.insert(AnyOf(r, Find(s, "<label", 6), n), list);
      break;
    }
    case 9: {  // wrap a range in many nested elements
      const size_t depth = r.Below(r.OneIn(3) ? 300 : 40) + 1;
      std::string open, close;
      for (size_t i = 0; i < depth; ++i) {
        open += "<subwindow left=\"1\" top=\"1\" width=\"9\" height=\"9\">";
        close += "</subwindow>";
      }
      const size_t at = AnyOf(r, Find(s, ">", 1), n);
      s.insert(at, open + close);
      break;
    }
    case 10:  // truncate
      s.resize(a);
      break;
    default: {  // many shaped siblings
      std::string panels;
      for (size_t i = r.Below(2000) + 1; i-- > 0;)
        panels += "<subwindow left=\"" + std::to_string(r.Below(400)) + "\" top=\"" +
                  std::to_string(r.Below(300)) + "\" width=\"" + std::to_string(r.Below(20)) +
                  "\" height=\"2\" backgroundColor=\"" + PICK(r, kValues) + "\"/>";
      s.insert(AnyOf(r, Find(s, ">", 1), n), panels);
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
  for (size_t i = r.Below(4) + 1; i-- > 0;) Mutate(skin, r);
  return skin;
}

}  // namespace velmor::fuzz
