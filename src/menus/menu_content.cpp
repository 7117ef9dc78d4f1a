#include "menus/menu_content.h"

#include <cwctype>

#include "controls/menu_host.h"
#include "events/event_state_manager.h"
#include "events/mouse_event_record.h"
#include "images/font_cache.h"
#include "menus/command_event.h"
#include "menus/key_content.h"
#include "menus/key_names.h"
#include "menus/menu_manager.h"
#include "render/paint.h"
#include "render/paint_context.h"
#include "skin/attribute_readers.h"
#include "skin/prototype.h"

namespace velmor {
namespace {

// Command identifiers are never reused, so a command posted for a menu that has gone meanwhile
// cannot reach another menu's item.
int32_t NextCommandId() {
  static int32_t s_next = 1;
  return s_next++;
}

bool BoolAttr(scIContent* element, const wchar_t* name) {
  bool value = false;
  return GetBoolAttr(element, name, value) && value;
}

std::wstring StringAttr(scIContent* element, const wchar_t* name) {
  std::wstring value;
  GetStringAttr(element, name, value);
  return value;
}

HRESULT PutBoolAttr(scIContent* element, const wchar_t* name, bool value) {
  VARIANT attribute;
  V_VT(&attribute) = VT_BOOL;
  V_BOOL(&attribute) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return element->SetAttr(name, attribute, TRUE);
}

HRESULT AnswerBool(VARIANT_BOOL* out, bool value) {
  if (out == nullptr) return E_POINTER;
  *out = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// The shortcut a key element shows: its own text, its character, or its key code's display name,
// after the names of its modifiers.
std::wstring ShortcutText(scIContent* key) {
  std::wstring text = StringAttr(key, L"keytext");
  if (text.empty()) text = Upper(StringAttr(key, L"key"));
  if (text.empty()) {
    const std::wstring code = Upper(StringAttr(key, L"keycode"));
    const wchar_t* display = KeyDisplayName(code);
    text = display != nullptr ? display : code == L"VK_NONE" ? L"" : code;
  }
  if (text.empty()) return text;
  return ModifierShortcutPrefix(StringAttr(key, L"modifiers")) + text;
}

}  // namespace

// Menu bar

void STDMETHODCALLTYPE scMenuBar::Destroy() {
  m_openTitle.Reset();
  scITextBaseContent::Destroy();
}

// Menu titles

scMenuPopup* scMenu::Popup() const { return dynamic_cast<scMenuPopup*>(FirstChild()); }

bool scMenu::Paint(scPaintContext* context) {
  if (!scITextBaseContent::Paint(context)) return false;
  if (dynamic_cast<scMenuBar*>(ParentElement()) == nullptr || context->graphics == nullptr)
    return true;
  ULONG state = IntrinsicState();
  ComPtr<scIEventStateManager> states;
  if (m_ownerDocument != nullptr && SUCCEEDED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&states))))
    (void)states->GetContentState(this, &state);
  const bool lit = (state & (kStateActive | kStateHover)) != 0;
  Gdiplus::Graphics& graphics = *context->graphics;
  const Gdiplus::RectF box(0, 0, static_cast<Gdiplus::REAL>(m_rect.width),
                           static_cast<Gdiplus::REAL>(m_rect.height));
  if (lit) {
    Gdiplus::SolidBrush fill(Gdiplus::Color(0xFF316AC5));
    graphics.FillRectangle(&fill, box);
  }
  const std::wstring label = StringAttr(this, L"label");
  if (label.empty()) return true;
  // Titles use the system's menu-bar font, whatever the skin.
  LOGFONTW logFont{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
  const Gdiplus::Font* font = FontFromLogfont(logFont);
  if (font == nullptr) return true;
  Gdiplus::StringFormat format;
  format.SetAlignment(Gdiplus::StringAlignmentCenter);
  format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  Gdiplus::SolidBrush ink(Gdiplus::Color(lit ? 0xFF000000 : 0xFFFFFFFF));
  (void)DrawTextCentered(&graphics, label.c_str(), static_cast<INT>(label.size()), font, box,
                         &format, &ink);
  return true;
}

HRESULT scMenu::PostHandleEvent(scEventRecord* record, LONG* status) {
  if (record == nullptr || record->type != kEventLButtonDown ||
      record->eventClass != kEventClassMouse)
    return S_OK;
  if (static_cast<scMouseEventRecord*>(record)->button != 0) return S_OK;
  if (status != nullptr && (*status & kEventStatusPrevented) != 0) return S_OK;
  OpenTitle();
  return S_OK;
}

void scMenu::OpenTitle() {
  if (!IsInDocument() || m_ownerDocument == nullptr) return;
  ComPtr<scMenu> keep(this);
  ComPtr<scIMenuHost> host;
  if (FAILED(m_ownerDocument->QueryInterface(IID_PPV_ARGS(&host)))) return;
  ComPtr<scIEventStateManager> states;
  (void)m_ownerDocument->QueryInterface(IID_PPV_ARGS(&states));
  auto* bar = dynamic_cast<scMenuBar*>(ParentElement());
  if (states) (void)states->SetContentState(this, kStateActive);
  m_state |= kStateActive;
  if (bar != nullptr) bar->SetOpenTitle(this);
  (void)host->RunMenu(this);
  if (states) (void)states->SetContentState(nullptr, kStateActive);
  m_state &= ~kStateActive;
  if (bar != nullptr) bar->SetOpenTitle(nullptr);
  InvalidateRect(0, 0, m_rect.width, m_rect.height);
}

// Popups

scMenuPopup::~scMenuPopup() {
  if (m_menu != nullptr && !m_submenu) ::DestroyMenu(m_menu);
}

HRESULT scMenuPopup::GetNativeMenu(bool create, HMENU* menu) {
  if (menu == nullptr) return E_POINTER;
  *menu = nullptr;
  if (m_menu == nullptr) {
    RETURN_HR_IF(E_FAIL, !create);
    RETURN_IF_FAILED(Build());
  }
  *menu = m_menu;
  return S_OK;
}

HRESULT scMenuPopup::Build() {
  HMENU menu = ::CreatePopupMenu();
  RETURN_HR_IF_NULL(HResultFromLastError(), menu);
  for (scITextBaseContent* child = FirstChild(); child != nullptr; child = child->NextSibling()) {
    if (auto* item = dynamic_cast<scMenuItem*>(child)) {
      if (item->IsSeparator())
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      else
        item->AppendTo(menu);
    } else if (auto* title = dynamic_cast<scMenu*>(child)) {
      scMenuPopup* popup = title->Popup();
      HMENU submenu = nullptr;
      const std::wstring label = StringAttr(title, L"label");
      if (popup == nullptr || FAILED(popup->GetNativeMenu(true, &submenu)) || submenu == nullptr ||
          label.empty())
        continue;
      if (::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), label.c_str()))
        popup->m_submenu = true;
    }
  }
  m_menu = menu;
  return S_OK;
}

HRESULT scMenuPopup::ExecuteCommand(int32_t command) {
  for (scITextBaseContent* child = FirstChild(); child != nullptr; child = child->NextSibling()) {
    if (auto* title = dynamic_cast<scMenu*>(child)) {
      scMenuPopup* popup = title->Popup();
      if (popup != nullptr && SUCCEEDED(popup->ExecuteCommand(command))) return S_OK;
    } else if (auto* item = dynamic_cast<scMenuItem*>(child)) {
      if (item->CommandId() == command) {
        ComPtr<scMenuItem> keep(item);
        (void)FireCommandEvent(item);
        return S_OK;
      }
    }
  }
  return E_FAIL;
}

STDMETHODIMP scMenuPopup::openPopup(VARIANT* anchor, BSTR position, long x, long y,
                                    BOOL attributesOverride) {
  scMenuManager* manager = MenuManagerOf(this);
  if (manager == nullptr) return S_OK;
  ComPtr<scIContent> anchorElement;
  if (anchor != nullptr) {
    const VARIANT* value = anchor;
    if (V_VT(value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(value) != nullptr)
      value = V_VARIANTREF(value);
    IUnknown* object = V_VT(value) == VT_DISPATCH ? V_DISPATCH(value)
                       : V_VT(value) == VT_UNKNOWN ? V_UNKNOWN(value)
                                                   : nullptr;
    if (object != nullptr) (void)object->QueryInterface(IID_PPV_ARGS(&anchorElement));
  }
  const std::wstring_view word(position != nullptr ? position : L"", ::SysStringLen(position));
  (void)manager->OpenPopup(this, anchorElement.Get(), word, x, y, attributesOverride != FALSE);
  return S_OK;
}

STDMETHODIMP scMenuPopup::openPopupAtScreen(long x, long y) {
  scMenuManager* manager = MenuManagerOf(this);
  if (manager == nullptr) return S_OK;
  (void)manager->OpenPopupAtScreen(this, x, y);
  return S_OK;
}

// Items

bool scMenuItem::IsSeparator() const {
  return m_prototype != nullptr && m_prototype->m_tag == L"menuseparator";
}

std::wstring scMenuItem::MenuText() {
  if (!IsInDocument() || m_ownerDocument == nullptr) return {};
  std::wstring text = StringAttr(this, L"label");
  const std::wstring keyId = StringAttr(this, L"key");
  if (keyId.empty()) return text;
  scIContent* key = m_ownerDocument->FindElementById(keyId.c_str());
  if (key == nullptr) return text;
  const std::wstring shortcut = ShortcutText(key);
  if (!shortcut.empty()) text += L'\t' + shortcut;
  return text;
}

void scMenuItem::AppendTo(HMENU menu) {
  const std::wstring text = MenuText();
  if (text.empty()) return;
  const int32_t id = NextCommandId();
  if (!::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text.c_str())) return;
  m_commandId = id;
  if (BoolAttr(this, L"disabled")) ::EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
  if (BoolAttr(this, L"checked")) MarkChecked(menu, true);
  if (BoolAttr(this, L"defaultItem")) ::SetMenuDefaultItem(menu, id, FALSE);
}

bool scMenuItem::IsRadio() { return StringAttr(this, L"type") == L"radio"; }

void scMenuItem::MarkChecked(HMENU menu, bool checked) {
  const UINT id = static_cast<UINT>(m_commandId);
  if (!IsRadio()) {
    ::CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  } else if (checked) {
    ::CheckMenuRadioItem(menu, id, id, id, MF_BYCOMMAND);
  } else {
    // Unchecking a radio mark takes the round mark away too.
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    if (!::GetMenuItemInfoW(menu, id, FALSE, &info)) return;
    info.fType &= ~MFT_RADIOCHECK;
    info.fState &= ~MFS_CHECKED;
    ::SetMenuItemInfoW(menu, id, FALSE, &info);
  }
}

HMENU scMenuItem::BuiltMenu() const {
  auto* popup = dynamic_cast<scMenuPopup*>(ParentElement());
  HMENU menu = nullptr;
  if (popup == nullptr || m_commandId == -1 || FAILED(popup->GetNativeMenu(false, &menu)))
    return nullptr;
  return menu;
}

STDMETHODIMP scMenuItem::get_checked(VARIANT_BOOL* value) {
  return AnswerBool(value, BoolAttr(this, L"checked"));
}

STDMETHODIMP scMenuItem::put_checked(VARIANT_BOOL value) {
  RETURN_IF_FAILED(PutBoolAttr(this, L"checked", value != 0));
  if (HMENU menu = BuiltMenu()) MarkChecked(menu, value != 0);
  return S_OK;
}

STDMETHODIMP scMenuItem::get_defaultItem(VARIANT_BOOL* value) {
  return AnswerBool(value, BoolAttr(this, L"defaultItem"));
}

STDMETHODIMP scMenuItem::put_defaultItem(VARIANT_BOOL value) {
  RETURN_IF_FAILED(PutBoolAttr(this, L"defaultItem", value != 0));
  if (HMENU menu = BuiltMenu())
    ::SetMenuDefaultItem(menu, value != 0 ? static_cast<UINT>(m_commandId) : ~0u, FALSE);
  return S_OK;
}

STDMETHODIMP scMenuItem::put_disabled(VARIANT_BOOL value) {
  RETURN_IF_FAILED(PutDisabledAttribute(value != VARIANT_FALSE));
  if (HMENU menu = BuiltMenu()) {
    ::EnableMenuItem(menu, static_cast<UINT>(m_commandId),
                     MF_BYCOMMAND | (value != VARIANT_FALSE ? MF_GRAYED | MF_DISABLED : MF_ENABLED));
  }
  return S_OK;
}

}  // namespace velmor
