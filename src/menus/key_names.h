// The names skins give keys and modifier keys: the key-name table (a key name such as "VK_F5",
// its virtual-key code and the name menus show for it) and the modifier words of a key's
// "modifiers" attribute with the mask they build.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmor {

// The virtual-key code of a key name, compared with exact case ("VK_f5" is no key); -1 when the
// table has no such name.
int32_t KeyCodeFromName(std::wstring_view name);
// What a menu shows for a key name ("Page Up" for "VK_PAGE_UP"); null when the table has no
// such name or the name has nothing to show.
const wchar_t* KeyDisplayName(std::wstring_view name);
// The first key name with this code ("VK_RETURN" for 13); null for -1 and unknown codes.
const wchar_t* KeyNameFromCode(int32_t code);

// The modifier mask of a key: the low bits say that Shift, Alt, Ctrl must be down, the high bits
// that their state is checked at all (a modifier whose check bit is clear may be up or down).
enum : uint8_t {
  kModShift = 0x01,
  kModAlt = 0x02,
  kModCtrl = 0x04,
  kModCheckShift = 0x10,
  kModCheckAlt = 0x20,
  kModCheckCtrl = 0x40,
  kModCheckAll = 0xF0,  // every modifier must be up
};

// How the Ctrl word may be written: the skin attribute takes "control" or "Ctrl", scripts take
// "control" or "ctrl".
enum class CtrlWord { kSkin, kScript };

// Applies the words of 'text' (separated by runs of ',', ' ' and tab) to 'mask', in order and
// with exact case: "shift", "alt" and the Ctrl words make a modifier required, "any" makes the
// modifiers named so far optional; other words are ignored.
uint8_t ApplyModifierWords(std::wstring_view text, uint8_t mask, CtrlWord ctrl);
// The words that rebuild 'mask' from kModCheckAll: the optional modifiers, "any", then the
// required ones, joined by commas ("shift,any"; "ctrl,alt").
std::wstring ModifierWords(uint8_t mask);
// The modifier part of a menu item's shortcut text: "Shift", "Alt" or "Ctrl" for the words
// "shift", "alt", "control"/"Ctrl", nothing for other words, each followed by "+".
std::wstring ModifierShortcutPrefix(std::wstring_view text);

// Calls 'each(word)' for every word of 'text' separated by runs of ',', ' ' and tab.
template <class Each>
void ForEachModifierWord(std::wstring_view text, Each each) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t start = text.find_first_not_of(L", \t", at);
    if (start == std::wstring_view::npos) break;
    size_t end = text.find_first_of(L", \t", start);
    if (end == std::wstring_view::npos) end = text.size();
    each(text.substr(start, end - start));
    at = end;
  }
}

}  // namespace velmor
