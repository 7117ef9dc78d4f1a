#include "skin/document_content.h"

#include <shlwapi.h>

#include <vector>

#include "base/bstr.h"
#include "script/script_context.h"
#include "skin/prototype.h"
#include "skin/skin_xml.h"
#include "ui_h.h"

namespace velmor {

scDocumentContent::~scDocumentContent() { Clear(); }

void scDocumentContent::Clear() {
  m_ids.Clear();
  if (m_rootElement) {
    m_rootElement->Destroy();
    m_rootElement.Reset();
  }
  if (m_rootPrototype != nullptr) {
    m_rootPrototype->Release();
    m_rootPrototype = nullptr;
  }
}

HRESULT scDocumentContent::ReadSkin(const wchar_t* xmlPath) {
  scPrototypeElement* root = nullptr;
  if (FAILED(ReadSkinFile(m_document, xmlPath, &root))) return E_FAIL;
  if (m_rootPrototype != nullptr) m_rootPrototype->Release();
  m_rootPrototype = root;
  return S_OK;
}

void scDocumentContent::SetPaths(const wchar_t* baseFolder, const wchar_t* xmlPath) {
  m_baseFolder = baseFolder != nullptr ? baseFolder : L"";
  m_documentPath = xmlPath != nullptr ? xmlPath : L"";
}

HRESULT scDocumentContent::BuildContent() {
  RETURN_HR_IF_NULL(E_UNEXPECTED, m_rootPrototype);
  ComPtr<scIContent> root;
  RETURN_IF_FAILED(CreateElement(*m_classes, m_rootPrototype, &root));
  RETURN_HR_IF_NULL(E_FAIL, root);
  const HRESULT hr = root->BindToTree(m_document, nullptr);
  if (FAILED(hr)) {
    root->Destroy();
    return hr;
  }
  m_rootElement = root;
  RegisterElement(root.Get(), *m_rootPrototype);
  for (uint32_t i = 0; i < m_rootPrototype->m_childCount; ++i)
    InstantiatePrototype(m_rootPrototype->m_children[i], root.Get());
  return S_OK;
}

HRESULT scDocumentContent::Load(const wchar_t* baseFolder, const wchar_t* xmlPath) {
  RETURN_IF_FAILED(ReadSkin(xmlPath));
  SetPaths(baseFolder, xmlPath);
  return BuildContent();
}

ComPtr<scIContent> scDocumentContent::AddElement(scPrototypeElement* prototype,
                                                 scIContent* parent) {
  ComPtr<scIContent> element;
  if (FAILED(CreateElement(*m_classes, prototype, &element)) || !element) return nullptr;
  if (FAILED(parent->AppendChildTo(element.Get(), FALSE))) return nullptr;
  RegisterElement(element.Get(), *prototype);
  return element;
}

void scDocumentContent::InstantiatePrototype(scPrototypeNode* node, scIContent* parent) {
  if (node == nullptr || parent == nullptr) return;
  // An explicit stack instead of recursion: each frame is an element whose child prototypes are
  // being instantiated under its live element.
  struct Frame {
    scPrototypeElement* prototype;
    uint32_t next;
    ComPtr<scIContent> element;
  };
  try {
    std::vector<Frame> stack;
    auto visit = [&](scPrototypeNode* current, scIContent* under) {
      if (current->m_kind == kPrototypeScript) {
        RunScript(*static_cast<scPrototypeScript*>(current));
        return;
      }
      auto* prototype = static_cast<scPrototypeElement*>(current);
      ComPtr<scIContent> element = AddElement(prototype, under);
      if (element) stack.push_back({prototype, 0, std::move(element)});
    };
    visit(node, parent);
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.prototype->m_children == nullptr || top.next >= top.prototype->m_childCount) {
        stack.pop_back();
        continue;
      }
      scPrototypeNode* child = top.prototype->m_children[top.next++];
      ComPtr<scIContent> under = top.element;  // 'top' may move when the stack grows
      visit(child, under.Get());
    }
  } catch (...) {
    // Out of memory: the rest of this subtree is left out.
  }
}

void scDocumentContent::RegisterElement(scIContent* element, const scPrototypeElement& prototype) {
  if (prototype.m_tag == L"keyset") m_document->AddKeySet(element);
  const scPrototypeText* id = prototype.FindAttr(L"id");
  if (id != nullptr) m_document->RegisterElementId(id->data(), element);
}

HRESULT scDocumentContent::RegisterId(const wchar_t* id, scIContent* element) {
  RETURN_HR_IF_NULL(E_INVALIDARG, id);
  return m_ids.Add(id, element);
}

scIContent* scDocumentContent::FindById(const wchar_t* id) const { return m_ids.Find(id); }

HRESULT scDocumentContent::GetElementById(BSTR id, IDOMElement** element) const {
  if (element == nullptr || *element != nullptr || id == nullptr) return S_FALSE;
  scIContent* found = m_document->FindElementById(id);
  if (found == nullptr) return S_FALSE;
  IDOMNode* node = nullptr;
  if (FAILED(found->QueryInterface(IID_PPV_ARGS(&node)))) return S_FALSE;
  // The declared result type is IDOMElement; what scripts get is the element's node interface.
  *element = reinterpret_cast<IDOMElement*>(node);
  return S_OK;
}

bool scDocumentContent::ResolveScriptPath(const std::wstring& source, std::wstring& path) const {
  wchar_t buffer[MAX_PATH];
  if (m_baseFolder.size() >= MAX_PATH) return false;
  wcscpy(buffer, m_baseFolder.c_str());
  if (!::PathAppendW(buffer, source.c_str())) return false;
  path = buffer;
  return true;
}

void scDocumentContent::RunScript(const scPrototypeScript& script) {
  ComPtr<IUnknown> found;
  if (FAILED(m_document->GetScriptContext(&found)) || !found) return;
  ComPtr<scIScriptContext> context;
  if (FAILED(found.As(&context)) || !context) return;
  if (!script.m_inlineText.empty())
    (void)context->ExecuteScript(script.m_inlineText.data(), nullptr);
  if (script.m_sourcePath.empty()) return;
  ComPtr<IJSSubScriptLoader> loader;
  if (FAILED(context.As(&loader)) || !loader) return;
  std::wstring path;
  if (!ResolveScriptPath(std::wstring(script.m_sourcePath), path)) return;
  UniqueBstr bstrPath(path);
  if (bstrPath.Get() == nullptr) return;
  (void)loader->LoadSubScriptFromFile(bstrPath.Get(), nullptr);
}

}  // namespace velmor
