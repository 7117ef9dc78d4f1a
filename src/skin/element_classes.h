// The element classes the content tree defines itself, one per skin tag. Each carries the shared
// content implementation; the classes scripts see are script objects through the dispatch bridge
// (scScriptContentClass) with the interface table of their class. Classes with behaviour of their
// own (painting, input, native controls, menus, shortcuts) live in the layers that own that
// behaviour, which build them on the templates here and hand the document their own table of
// classes; the content tree alone builds those as plain script nodes of their tag.
#pragma once
#include "skin/content.h"
#include "skin/element_interfaces.h"
#include "skin/script_content.h"
#include "skin/text_base_content.h"

namespace velmor {

// An element whose class lives in a layer above the content tree (the window element, images,
// subwindows, buttons, labels, native controls, splitters, widgets, menus, keyboard shortcuts):
// the content tree alone builds it as a plain script node of its tag.
class scPlainNodeContent
    : public scScriptContentClass<scPlainNodeContent, element_interfaces::kWindow> {
 public:
  explicit scPlainNodeContent(const wchar_t* tag) : m_tag(tag) {}
  const wchar_t* NodeName() const override { return m_tag; }

 private:
  const wchar_t* m_tag;  // one of the factory's constant tag names
};

}  // namespace velmor
