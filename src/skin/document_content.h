// The content a document window owns: its prototype tree, base folder and file path, the live
// element tree and the id registry, with the load steps that read a skin file and build the live
// tree from it. The document embeds one and answers scIContentDocument with its help.
#pragma once
#include <windows.h>

#include <string>

#include "base/com_object.h"
#include "skin/content.h"
#include "skin/element_factory.h"
#include "skin/id_registry.h"

struct IDOMElement;

namespace velmor {

class scPrototypeNode;
class scPrototypeElement;
class scPrototypeScript;

class scDocumentContent {
 public:
  explicit scDocumentContent(scIContentDocument* document) : m_document(document) {}
  ~scDocumentContent();
  scDocumentContent(const scDocumentContent&) = delete;
  scDocumentContent& operator=(const scDocumentContent&) = delete;

  // Reads the skin file into the root prototype (open, parse, root "window", build). E_FAIL for
  // every failure.
  [[nodiscard]] HRESULT ReadSkin(const wchar_t* xmlPath);
  // The classes elements are built from (the plain classes until the owner gives its own; the
  // table must outlive the document).
  void SetElementClasses(const ElementClassTable& classes) { m_classes = &classes; }
  // Keeps the folder script sources are resolved against and the file path.
  void SetPaths(const wchar_t* baseFolder, const wchar_t* xmlPath);
  // Creates the root element, binds it to the document, registers it and instantiates the root's
  // children. Fails when the root element cannot be created or bound.
  [[nodiscard]] HRESULT BuildContent();
  // ReadSkin, SetPaths and BuildContent in a row (for a document that already has its window).
  [[nodiscard]] HRESULT Load(const wchar_t* baseFolder, const wchar_t* xmlPath);

  // Creates the live subtree of one child prototype under 'parent', depth first in document
  // order, running script nodes where they stand. Failures are swallowed: an element that cannot
  // be created or appended produces nothing below it.
  void InstantiatePrototype(scPrototypeNode* node, scIContent* parent);

  // Hands a "keyset" to the shortcut manager and registers the element's prototype id.
  void RegisterElement(scIContent* element, const scPrototypeElement& prototype);

  // The id registry.
  [[nodiscard]] HRESULT RegisterId(const wchar_t* id, scIContent* element);
  scIContent* FindById(const wchar_t* id) const;
  // IDOMDocument.getElementById over the registry.
  [[nodiscard]] HRESULT GetElementById(BSTR id, IDOMElement** element) const;

  // The base folder joined with a script's source path (MAX_PATH buffer, PathAppendW).
  bool ResolveScriptPath(const std::wstring& source, std::wstring& path) const;

  // Destroys the live tree and releases the prototype tree.
  void Clear();

  scPrototypeElement* RootPrototype() const { return m_rootPrototype; }
  scIContent* RootElement() const { return m_rootElement.Get(); }
  const std::wstring& BaseFolder() const { return m_baseFolder; }
  const std::wstring& DocumentPath() const { return m_documentPath; }

 private:
  // Runs a script element in the window's script context: its inline text first, then the file
  // its "src" names. Results are ignored; errors reach the script error report.
  void RunScript(const scPrototypeScript& script);
  // Creates, appends and registers one element; null when it produced nothing.
  ComPtr<scIContent> AddElement(scPrototypeElement* prototype, scIContent* parent);

  scIContentDocument* m_document;  // the owner
  const ElementClassTable* m_classes = &PlainElementClasses();
  scPrototypeElement* m_rootPrototype = nullptr;
  std::wstring m_baseFolder;
  std::wstring m_documentPath;
  ComPtr<scIContent> m_rootElement;
  scIdRegistry m_ids;  // the tree keeps the elements alive
};

}  // namespace velmor
