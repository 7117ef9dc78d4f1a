#include "menus/key_names.h"

namespace velmor {
namespace {

struct KeyName {
  const wchar_t* name;
  int32_t code;
  const wchar_t* display;  // null: nothing to show
};

// Searched in row order: where two names share a code, the first one is the code's name. Several
// names differ from the platform header's (VK_ALT, VK_ENTER, VK_PAGE_UP ...).
const KeyName kKeyNames[] = {
    {L"VK_CANCEL", 3, L"Break"}, {L"VK_BACK", 8, L"Backspace"}, {L"VK_TAB", 9, L"Tab"},
    {L"VK_CLEAR", 12, L"Clear"}, {L"VK_RETURN", 13, L"Enter"}, {L"VK_ENTER", 13, L"Enter"},
    {L"VK_SHIFT", 16, L"Shift"}, {L"VK_CONTROL", 17, L"Ctrl"}, {L"VK_ALT", 18, L"Alt"},
    {L"VK_PAUSE", 19, L"Pause"}, {L"VK_CAPS_LOCK", 20, L"Caps Lock"}, {L"VK_ESCAPE", 27, L"Esc"},
    {L"VK_SPACE", 32, L"Space"}, {L"VK_PAGE_UP", 33, L"Page Up"},
    {L"VK_PAGE_DOWN", 34, L"Page Down"}, {L"VK_END", 35, L"End"}, {L"VK_HOME", 36, L"Home"},
    {L"VK_LEFT", 37, L"Left Arrow"}, {L"VK_UP", 38, L"Up Arrow"},
    {L"VK_RIGHT", 39, L"Right Arrow"}, {L"VK_DOWN", 40, L"Down Arrow"},
    {L"VK_INSERT", 45, L"Insert"}, {L"VK_HELP", 47, L"Help"}, {L"VK_DELETE", 46, L"Del"},
    {L"VK_0", 48, L"0"}, {L"VK_1", 49, L"1"}, {L"VK_2", 50, L"2"}, {L"VK_3", 51, L"3"},
    {L"VK_4", 52, L"4"}, {L"VK_5", 53, L"5"}, {L"VK_6", 54, L"6"}, {L"VK_7", 55, L"7"},
    {L"VK_8", 56, L"8"}, {L"VK_9", 57, L"9"}, {L"VK_A", 65, L"A"}, {L"VK_B", 66, L"B"},
    {L"VK_C", 67, L"C"}, {L"VK_D", 68, L"D"}, {L"VK_E", 69, L"E"}, {L"VK_F", 70, L"F"},
    {L"VK_G", 71, L"G"}, {L"VK_H", 72, L"H"}, {L"VK_I", 73, L"I"}, {L"VK_J", 74, L"J"},
    {L"VK_K", 75, L"K"}, {L"VK_L", 76, L"L"}, {L"VK_M", 77, L"M"}, {L"VK_N", 78, L"N"},
    {L"VK_O", 79, L"O"}, {L"VK_P", 80, L"P"}, {L"VK_Q", 81, L"Q"}, {L"VK_R", 82, L"R"},
    {L"VK_S", 83, L"S"}, {L"VK_T", 84, L"T"}, {L"VK_U", 85, L"U"}, {L"VK_V", 86, L"V"},
    {L"VK_W", 87, L"W"}, {L"VK_X", 88, L"X"}, {L"VK_Y", 89, L"Y"}, {L"VK_Z", 90, L"Z"},
    {L"VK_NUMPAD0", 96, L"Numpad0"}, {L"VK_NUMPAD1", 97, L"Numpad1"},
    {L"VK_NUMPAD2", 98, L"Numpad2"}, {L"VK_NUMPAD3", 99, L"Numpad3"},
    {L"VK_NUMPAD4", 100, L"Numpad4"}, {L"VK_NUMPAD5", 101, L"Numpad5"},
    {L"VK_NUMPAD6", 102, L"Numpad6"}, {L"VK_NUMPAD7", 103, L"Numpad7"},
    {L"VK_NUMPAD8", 104, L"Numpad8"}, {L"VK_NUMPAD9", 105, L"Numpad9"},
    {L"VK_MULTIPLY", 106, L"*"}, {L"VK_ADD", 107, L"+"}, {L"VK_SEPARATOR", 108, L"VK_SEPARATOR"},
    {L"VK_SUBTRACT", 109, L"-"}, {L"VK_DECIMAL", 110, L"."}, {L"VK_DIVIDE", 111, L"/"},
    {L"VK_F1", 112, L"F1"}, {L"VK_F2", 113, L"F2"}, {L"VK_F3", 114, L"F3"}, {L"VK_F4", 115, L"F4"},
    {L"VK_F5", 116, L"F5"}, {L"VK_F6", 117, L"F6"}, {L"VK_F7", 118, L"F7"}, {L"VK_F8", 119, L"F8"},
    {L"VK_F9", 120, L"F9"}, {L"VK_F10", 121, L"F10"}, {L"VK_F11", 122, L"F11"},
    {L"VK_F12", 123, L"F12"}, {L"VK_F13", 124, L"F13"}, {L"VK_F14", 125, L"F14"},
    {L"VK_F15", 126, L"F15"}, {L"VK_F16", 127, L"F16"}, {L"VK_F17", 128, L"F17"},
    {L"VK_F18", 129, L"F18"}, {L"VK_F19", 130, L"F19"}, {L"VK_F20", 131, L"F20"},
    {L"VK_F21", 132, L"F21"}, {L"VK_F22", 133, L"F22"}, {L"VK_F23", 134, L"F23"},
    {L"VK_F24", 135, L"F24"}, {L"VK_NUM_LOCK", 144, L"Num Lock"},
    {L"VK_SCROLL_LOCK", 145, L"Scroll Lock"},
    {L"VK_MEDIA_NEXT_TRACK", 176, L"VK_MEDIA_NEXT_TRACK"},
    {L"VK_MEDIA_PREV_TRACK", 177, L"VK_MEDIA_PREV_TRACK"},
    {L"VK_MEDIA_STOP", 178, L"VK_MEDIA_STOP"},
    {L"VK_MEDIA_PLAY_PAUSE", 179, L"VK_MEDIA_PLAY_PAUSE"}, {L"VK_NONE", -1, nullptr},
};

const KeyName* FindName(std::wstring_view name) {
  for (const KeyName& row : kKeyNames) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

}  // namespace

int32_t KeyCodeFromName(std::wstring_view name) {
  const KeyName* row = FindName(name);
  return row != nullptr ? row->code : -1;
}

const wchar_t* KeyDisplayName(std::wstring_view name) {
  const KeyName* row = FindName(name);
  return row != nullptr ? row->display : nullptr;
}

const wchar_t* KeyNameFromCode(int32_t code) {
  if (code == -1) return nullptr;
  for (const KeyName& row : kKeyNames) {
    if (row.code == code) return row.name;
  }
  return nullptr;
}

uint8_t ApplyModifierWords(std::wstring_view text, uint8_t mask, CtrlWord ctrl) {
  const wchar_t* ctrlWord = ctrl == CtrlWord::kSkin ? L"Ctrl" : L"ctrl";
  ForEachModifierWord(text, [&](std::wstring_view word) {
    if (word == L"shift") {
      mask |= kModCheckShift | kModShift;
    } else if (word == L"alt") {
      mask |= kModCheckAlt | kModAlt;
    } else if (word == L"control" || word == ctrlWord) {
      mask |= kModCheckCtrl | kModCtrl;
    } else if (word == L"any") {
      // The modifiers named so far stop being checked; later words require theirs again.
      mask &= static_cast<uint8_t>(~(mask << 4));
    }
  });
  return mask;
}

std::wstring ModifierWords(uint8_t mask) {
  struct Modifier {
    uint8_t down, check;
    const wchar_t* word;
  };
  static const Modifier kOrder[] = {{kModCtrl, kModCheckCtrl, L"ctrl,"},
                                    {kModShift, kModCheckShift, L"shift,"},
                                    {kModAlt, kModCheckAlt, L"alt,"}};
  std::wstring words;
  for (const Modifier& m : kOrder) {
    if ((mask & m.check) == 0) words += m.word;
  }
  if (!words.empty()) words += L"any,";
  for (const Modifier& m : kOrder) {
    if ((mask & m.check) != 0 && (mask & m.down) != 0) words += m.word;
  }
  if (!words.empty()) words.pop_back();
  return words;
}

std::wstring ModifierShortcutPrefix(std::wstring_view text) {
  std::wstring prefix;
  ForEachModifierWord(text, [&](std::wstring_view word) {
    if (word == L"shift") {
      prefix += L"Shift";
    } else if (word == L"alt") {
      prefix += L"Alt";
    } else if (word == L"control" || word == L"Ctrl") {
      prefix += L"Ctrl";
    }
    prefix += L'+';
  });
  return prefix;
}

}  // namespace velmor
