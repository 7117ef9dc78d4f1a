// The menu elements. "menubar" holds "menu" titles; a title opens the "menupopup" that is its
// first child when pressed. A popup becomes one native popup menu, built from its children the
// first time it is shown ("menuitem", "menuseparator", and "menu" elements with a popup of their
// own for submenus) and kept while the popup lives. A chosen item fires "command" at itself.
// Scripts see popups as IDOMMenuPopup and items (separators too) as IDOMMenuItem.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/com_object.h"
#include "skin/element_classes.h"

namespace velmor {

class scMenuPopup;

// Remembers the title whose menu is open, so that it draws as pressed.
class scMenuBar : public scContentClass<scMenuBar> {
 public:
  const wchar_t* NodeName() const override { return L"menubar"; }
  scIContent* OpenTitle() const { return m_openTitle.Get(); }
  void SetOpenTitle(scIContent* title) { m_openTitle = title; }
  void STDMETHODCALLTYPE Destroy() override;

 private:
  ComPtr<scIContent> m_openTitle;
};

// A title in a menubar, or a submenu entry inside a popup.
class scMenu : public scContentClass<scMenu> {
 public:
  const wchar_t* NodeName() const override { return L"menu"; }
  bool STDMETHODCALLTYPE Paint(scPaintContext* context) override;
  // A left press the listeners left alone opens the title's menu.
  HRESULT STDMETHODCALLTYPE PostHandleEvent(scEventRecord* record, LONG* status) override;

  // The popup that is the first child, or null.
  scMenuPopup* Popup() const;
  // Shows the title pressed, runs its menu through the window's menu manager and returns when
  // the menu has closed.
  void OpenTitle();
};

class scMenuPopup : public scScriptContentClass<scMenuPopup, element_interfaces::kMenuPopup,
                                                IDOMNodeImpl<scMenuPopup, IDOMMenuPopup>> {
 public:
  ~scMenuPopup() override;
  const wchar_t* NodeName() const override { return L"menupopup"; }

  // The native menu, built from the children on first use when 'create' is set; E_FAIL when it
  // does not exist and may not be built.
  HRESULT GetNativeMenu(bool create, HMENU* menu);
  // Fires "command" at the item with the identifier (in this popup or its submenus); E_FAIL
  // when none has it.
  HRESULT ExecuteCommand(int32_t command);

  // IDOMMenuPopup
  STDMETHODIMP openPopup(VARIANT* anchor, BSTR position, long x, long y,
                         BOOL attributesOverride) override;
  STDMETHODIMP openPopupAtScreen(long x, long y) override;

 private:
  HRESULT Build();

  HMENU m_menu = nullptr;
  // Appended to a parent popup's menu, which destroys it with itself.
  bool m_submenu = false;
};

// Items and separators ("menuseparator" elements are items to scripts).
class scMenuItem : public scScriptContentClass<scMenuItem, element_interfaces::kMenuItem,
                                               IDOMNodeImpl<scMenuItem, IDOMMenuItem>> {
 public:
  const wchar_t* NodeName() const override { return L"menuitem"; }

  // The text the native menu shows: the label, then a tab and the shortcut of the "key" element
  // the item's "key" attribute names. Empty outside a document.
  std::wstring MenuText();
  int32_t CommandId() const { return m_commandId; }
  // Appends the item to a native menu under the next process-wide command identifier, with its
  // disabled, checked and default marks; items without text are left out.
  void AppendTo(HMENU menu);
  bool IsSeparator() const;

  // IDOMMenuItem
  STDMETHODIMP get_checked(VARIANT_BOOL* value) override;
  STDMETHODIMP put_checked(VARIANT_BOOL value) override;
  STDMETHODIMP get_defaultItem(VARIANT_BOOL* value) override;
  STDMETHODIMP put_defaultItem(VARIANT_BOOL value) override;
  // IDOMAmbient: an item's disabled state reaches a menu already built.
  STDMETHODIMP put_disabled(VARIANT_BOOL value) override;

 private:
  // The built native menu of the parent popup, or null.
  HMENU BuiltMenu() const;
  bool IsRadio();
  void MarkChecked(HMENU menu, bool checked);

  int32_t m_commandId = -1;
};

}  // namespace velmor
