// The engine's type library, as the engine's loader finds it in its module (every test
// executable carries the library ui.dll carries): the library header, the interfaces in the
// library's order, spot checks of interfaces and members, the classes; then the loader's cache
// and its preference for a registered library.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "base/module_instance.h"
#include "support/test_env.h"
#include "typelib/type_library.h"
#include "ui_h.h"

namespace velmor {
namespace {

GUID Guid(const wchar_t* text) {
  GUID guid{};
  EXPECT_EQ(::CLSIDFromString(text, &guid), S_OK) << "bad GUID in the table";
  return guid;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  UniqueBstr name;
  if (FAILED(info->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr))) return L"?";
  return std::wstring(name.View());
}

std::string N(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TYPEATTR AttrOf(ITypeInfo* info) {
  TYPEATTR* a = nullptr;
  TYPEATTR out{};
  if (SUCCEEDED(info->GetTypeAttr(&a))) {
    out = *a;
    info->ReleaseTypeAttr(a);
  }
  return out;
}

ComPtr<ITypeInfo> ImplementedType(ITypeInfo* info, UINT index) {
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> out;
  if (SUCCEEDED(info->GetRefTypeOfImplType(index, &ref))) info->GetRefTypeInfo(ref, &out);
  return out;
}

// The vtable half of an interface (dual ones are found through their dispatch half).
ComPtr<ITypeInfo> VtableHalf(ITypeInfo* info) {
  const TYPEATTR a = AttrOf(info);
  if (a.typekind == TKIND_DISPATCH && (a.wTypeFlags & TYPEFLAG_FDUAL))
    return ImplementedType(info, UINT(-1));
  return ComPtr<ITypeInfo>(info);
}

// Every interface the library holds, in its order (interfaces that others derive from are
// written before them).
constexpr const wchar_t* kInterfaceOrder[] = {
    L"IDOMWindow", L"IDOMNode", L"IDOMDocument", L"IDOMElement", L"IDOMScreen",
    L"IDOMModalWindow", L"IDOMWindowMisc", L"IDOMAmbient", L"IDOMButton", L"IDOMImage",
    L"IDOMLabel", L"IDOMTextBox", L"IDOMDateTimePicker", L"IDOMSplitter", L"IDOMWidgetWrapper",
    L"IDOMMenuPopup", L"IDOMMenuItem", L"IDOMKeyShortcut", L"IDOMFocusableNode", L"IDOMEvent",
    L"IDOMMouseEvent", L"IDOMEventTarget", L"IJSObject", L"IJSSubScriptLoader", L"IScriptControl",
    L"IScriptControlDebug", L"IMessageManager", L"IMsgFilter", L"IIdleHandler", L"IMainWindow"};

// Spot checks of interfaces of each kind: identifier, base, own member count (property get and
// put counted apart) and the name and dispatch ID of the first member (-1: the library's choice).
struct InterfaceRow {
  const wchar_t* name;
  const wchar_t* iid;
  const wchar_t* base;
  bool dual;
  WORD members;
  const wchar_t* first;
  MEMBERID firstId;
};

constexpr InterfaceRow kInterfaces[] = {
    {L"IDOMWindow", L"{9be1010f-6bd0-4c5d-9a2a-dd7f474cdba6}", L"IDispatch", true, 38, L"document", 0x30},
    {L"IDOMNode", L"{9a74d8a3-9ae6-4ee0-be2f-32f83111dd75}", L"IDispatch", true, 7, L"nodeName", 0x1},
    {L"IDOMMouseEvent", L"{6c717fc2-dec0-4f39-9bcd-219b78acac70}", L"IDOMEvent", true, 12, L"screenX", 0xf4},
    {L"IJSObject", L"{c8c36b28-1c5e-4194-b94f-e77cd42faf91}", L"IDispatch", false, 2, L"GetOwnProperty", 1},
    {L"IScriptControl", L"{f1c361f9-0a71-4fd1-89aa-93758f56e1ad}", L"IUnknown", false, 4, L"AddObject", -1},
    {L"IMessageManager", L"{d7ecf653-417f-4931-99a4-4efc8a325b82}", L"IDispatch", true, 5, L"AddMsgFilter", 1},
    {L"IMsgFilter", L"{342c28de-f693-435d-b928-efb14e2d9b8f}", L"IUnknown", false, 1, L"PreTranslateMessage", -1},
};

// Members checked in full: where they stand, their dispatch ID, their kind and argument names
// (without an [out, retval] result).
struct MemberRow {
  const wchar_t* interfaceName;
  WORD index;
  const wchar_t* name;
  MEMBERID id;
  INVOKEKIND kind;
  const wchar_t* args;
};

constexpr MemberRow kMembers[] = {
    {L"IDOMWindow", 14, L"moveTo", 0x3c, INVOKE_FUNC, L"newX,newY,moveTime"},
    {L"IDOMWindow", 25, L"title", 0x46, INVOKE_PROPERTYPUT, nullptr},
    {L"IDOMMouseEvent", 11, L"initMouseEvent", 0xff, INVOKE_FUNC,
     L"typeArg,aScreenX,aScreenY,aClientX,aClientY,aOffsetX,aOffsetY,aCtrlKey,aAltKey,aShiftKey,"
     L"aButton,aRelatedTarget"},
    {L"IJSObject", 1, L"DefineOwnProperty", 2, INVOKE_FUNC, L"aPropertyName,aDesc,aThrow"},
    {L"IMsgFilter", 0, L"PreTranslateMessage", -1, INVOKE_FUNC, L"pMsg,bProcessed"},
};

std::wstring ArgNames(ITypeInfo* info, const FUNCDESC& func) {
  BSTR names[16] = {};
  UINT got = 0;
  info->GetNames(func.memid, names, 16, &got);
  SHORT count = func.cParams;
  if (count > 0 && (func.lprgelemdescParam[count - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
    --count;
  std::wstring out;
  for (SHORT i = 0; i < count; ++i) {
    if (i) out += L",";
    if (static_cast<UINT>(i) + 1 < got && names[i + 1]) out += names[i + 1];
  }
  for (BSTR b : names) ::SysFreeString(b);
  return out;
}

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetEngineTypeLib(&m_lib), S_OK); }
  ComPtr<ITypeInfo> Find(const wchar_t* name) {
    ITypeInfo* found[1] = {};
    MEMBERID ids[1] = {};
    USHORT count = 1;
    std::wstring copy(name);
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(m_lib->FindName(copy.data(), 0, found, ids, &count)) && count == 1)
      info = AdoptRef(found[0]);
    return info;
  }
  ComPtr<ITypeLib> m_lib;
};

TEST_F(TypeLibrary, HeaderInterfacesAndSpotMembers) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(m_lib->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, Guid(L"{289EE312-2244-45C3-8713-CBE470787DB2}")));
  EXPECT_EQ(attr->wMajorVerNum * 100 + attr->wMinorVerNum, 100);
  EXPECT_EQ(attr->lcid, 0x409u);
  m_lib->ReleaseTLibAttr(attr);
  UniqueBstr name;
  ASSERT_EQ(m_lib->GetDocumentation(-1, name.Put(), nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(name.View(), L"UILib");

  std::vector<std::wstring> order;
  for (UINT i = 0; i < m_lib->GetTypeInfoCount(); ++i) {
    TYPEKIND kind{};
    m_lib->GetTypeInfoType(i, &kind);
    ComPtr<ITypeInfo> info;
    if ((kind == TKIND_INTERFACE || kind == TKIND_DISPATCH) && SUCCEEDED(m_lib->GetTypeInfo(i, &info)))
      order.push_back(NameOf(info.Get()));
  }
  EXPECT_EQ(order, std::vector<std::wstring>(std::begin(kInterfaceOrder), std::end(kInterfaceOrder)));
  for (const InterfaceRow& row : kInterfaces) {
    SCOPED_TRACE(N(row.name));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(m_lib->GetTypeInfoOfGuid(Guid(row.iid), &info), S_OK);
    EXPECT_EQ(NameOf(info.Get()), row.name);
    const TYPEATTR attr = AttrOf(info.Get());
    EXPECT_EQ(attr.typekind, row.dual ? TKIND_DISPATCH : TKIND_INTERFACE);
    EXPECT_EQ((attr.wTypeFlags & TYPEFLAG_FDUAL) != 0, row.dual);
    ComPtr<ITypeInfo> vtable = VtableHalf(info.Get());
    ASSERT_TRUE(vtable);
    const TYPEATTR vattr = AttrOf(vtable.Get());
    if (row.dual) {
      EXPECT_TRUE(vattr.wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    }
    ComPtr<ITypeInfo> base = ImplementedType(vtable.Get(), 0);
    ASSERT_TRUE(base);
    EXPECT_EQ(NameOf(base.Get()), row.base);
    ASSERT_EQ(vattr.cFuncs, row.members);
    FUNCDESC* func = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(0, &func), S_OK);
    EXPECT_EQ(NameOf(vtable.Get(), func->memid), row.first);
    if (row.firstId != -1) {
      EXPECT_EQ(func->memid, row.firstId);
    }
    vtable->ReleaseFuncDesc(func);
  }
  for (const MemberRow& row : kMembers) {
    SCOPED_TRACE(N(row.interfaceName) + "." + N(row.name));
    ComPtr<ITypeInfo> vtable = VtableHalf(Find(row.interfaceName).Get());
    ASSERT_TRUE(vtable);
    FUNCDESC* func = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(row.index, &func), S_OK);
    EXPECT_EQ(NameOf(vtable.Get(), func->memid), row.name);
    if (row.id != -1) {
      EXPECT_EQ(func->memid, row.id);
    }
    EXPECT_EQ(func->invkind, row.kind);
    if (row.args != nullptr) {
      EXPECT_EQ(ArgNames(vtable.Get(), *func), row.args);
    }
    vtable->ReleaseFuncDesc(func);
  }
}

TEST_F(TypeLibrary, Classes) {
  const struct {
    const wchar_t* name;
    const wchar_t* clsid;
  } classes[] = {{L"MainWindow", L"{46c42b8f-a484-45c8-9177-42baca90f612}"},
                 {L"Script", L"{55ba90a8-5cdb-4541-b255-ce30b1e062c1}"},
                 {L"MessageManager", L"{c0f49703-6b7b-4362-83f1-24c334f41c5e}"}};
  for (const auto& c : classes) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(m_lib->GetTypeInfoOfGuid(Guid(c.clsid), &info), S_OK) << N(c.name);
    EXPECT_EQ(AttrOf(info.Get()).typekind, TKIND_COCLASS);
    EXPECT_EQ(NameOf(info.Get()), c.name);
  }
  EXPECT_EQ(NameOf(ImplementedType(Find(L"MessageManager").Get(), 0).Get()), L"IMessageManager");
  // (The message record a filter gets is read field by field in the connector's tests.)
}

// The loader: type information by interface, cached until released; a module without the
// library resource has nothing to load, unless the library is registered.
TEST(EngineTypeLibrary, LoadsOnceCachesAndPrefersTheRegisteredLibrary) {
  ComPtr<ITypeLib> first, second;
  ASSERT_EQ(GetEngineTypeLib(&first), S_OK);
  ASSERT_EQ(GetEngineTypeLib(&second), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  ComPtr<ITypeInfo> a, b, none;
  ASSERT_EQ(GetEngineTypeInfo(IID_IMessageManager, &a), S_OK);
  ASSERT_EQ(GetEngineTypeInfo(IID_IMessageManager, &b), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  EXPECT_EQ(NameOf(a.Get()), L"IMessageManager");
  EXPECT_EQ(GetEngineTypeInfo(Guid(L"{0d3c7e52-3f86-4b8e-a0c4-7f5b2a9c1e60}"), &none),
            TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(GetEngineTypeInfo(GUID_NULL, &none), E_INVALIDARG);
  EXPECT_FALSE(none);

  const HINSTANCE own = GetModuleInstance();
  ReleaseEngineTypeLib();
  SetModuleInstance(::GetModuleHandleW(L"kernel32.dll"));
  ComPtr<ITypeLib> missing;
  EXPECT_FAILED(GetEngineTypeLib(&missing));
  UniqueBstr name;
  EXPECT_EQ(first->GetDocumentation(-1, name.Put(), nullptr, nullptr, nullptr), S_OK)
      << "a library handed out stays usable";

  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(own, path, MAX_PATH);
  if (SUCCEEDED(::RegisterTypeLib(first.Get(), path, nullptr))) {
    ReleaseEngineTypeLib();
    EXPECT_EQ(GetEngineTypeInfo(IID_IDOMWindow, &a), S_OK);
    ::UnRegisterTypeLib(LIBID_UILib, 1, 0, 0x409, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  }
  ReleaseEngineTypeLib();
  SetModuleInstance(own);
}

}  // namespace
}  // namespace velmor
