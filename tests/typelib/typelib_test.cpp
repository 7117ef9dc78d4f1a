// The type library ui.dll carries, walked against typelib_table.h, and the engine's loader
// (registered library first, else the module's own file; cached; released at termination).
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cwctype>
#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/com_object.h"
#include "base/handles.h"
#include "base/module_instance.h"
#include "support/test_env.h"
#include "typelib/type_library.h"
#include "typelib/typelib_table.h"
#include "ui_h.h"

namespace velmor {
namespace {

namespace tl = test::typelib;

std::wstring UiDllPath() { return test::DistDir() + L"\\ui.dll"; }

GUID ParseGuid(const wchar_t* text) {
  GUID guid{};
  EXPECT_EQ(::CLSIDFromString(text, &guid), S_OK) << "bad GUID in the table";
  return guid;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  UniqueBstr name;
  if (FAILED(info->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr))) return L"?";
  return std::wstring(name.View());
}

std::wstring HelpOf(ITypeInfo* info) {
  UniqueBstr help;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, nullptr, help.Put(), nullptr, nullptr)))
    return L"?";
  return std::wstring(help.View());
}

// Narrow text for failure messages.
std::string N(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct Attr {
  TYPEKIND kind;
  WORD flags;
  WORD funcs;
  WORD vars;
  GUID guid;
  WORD impls;
};

Attr AttrOf(ITypeInfo* info) {
  TYPEATTR* a = nullptr;
  EXPECT_EQ(info->GetTypeAttr(&a), S_OK);
  if (a == nullptr) return {};
  Attr out{a->typekind, a->wTypeFlags, a->cFuncs, a->cVars, a->guid, a->cImplTypes};
  info->ReleaseTypeAttr(a);
  return out;
}

ComPtr<ITypeInfo> RefOfImpl(ITypeInfo* info, UINT index) {
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> out;
  if (SUCCEEDED(info->GetRefTypeOfImplType(index, &ref))) info->GetRefTypeInfo(ref, &out);
  return out;
}

class TypeLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(::LoadTypeLibEx(UiDllPath().c_str(), REGKIND_NONE, &s_lib), S_OK);
  }
  static void TearDownTestSuite() { s_lib.Reset(); }
  static inline ComPtr<ITypeLib> s_lib;
};

TEST_F(TypeLibrary, HeaderNamesTheLibrary) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(s_lib->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, ParseGuid(tl::kLibrary.libid)));
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_UILib));
  EXPECT_EQ(attr->wMajorVerNum, tl::kLibrary.majorVersion);
  EXPECT_EQ(attr->wMinorVerNum, tl::kLibrary.minorVersion);
  EXPECT_EQ(attr->lcid, tl::kLibrary.lcid);
  s_lib->ReleaseTLibAttr(attr);
  UniqueBstr name, help;
  ASSERT_EQ(s_lib->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(name.View(), tl::kLibrary.name);
  EXPECT_EQ(help.View(), tl::kLibrary.helpString);
}

// The vtable half of an interface (dual ones are found through their dispatch half).
ComPtr<ITypeInfo> VtableHalf(ITypeInfo* info) {
  const Attr a = AttrOf(info);
  if (a.kind == TKIND_DISPATCH && (a.flags & TYPEFLAG_FDUAL)) return RefOfImpl(info, UINT(-1));
  return ComPtr<ITypeInfo>(info);
}

INVOKEKIND InvokeKindOf(tl::MemberKind kind) {
  switch (kind) {
    case tl::MemberKind::kGet: return INVOKE_PROPERTYGET;
    case tl::MemberKind::kPut: return INVOKE_PROPERTYPUT;
    default: return INVOKE_FUNC;
  }
}

// Argument names of a member without a trailing [out, retval] result, comma-separated.
std::wstring ArgNames(ITypeInfo* info, const FUNCDESC& func) {
  std::vector<BSTR> names(static_cast<size_t>(func.cParams) + 1, nullptr);
  UINT got = 0;
  info->GetNames(func.memid, names.data(), static_cast<UINT>(names.size()), &got);
  SHORT count = func.cParams;
  if (count > 0 && (func.lprgelemdescParam[count - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
    --count;
  std::wstring out;
  for (SHORT i = 0; i < count; ++i) {
    if (i) out += L",";
    if (static_cast<UINT>(i) + 1 < got && names[static_cast<size_t>(i) + 1])
      out += names[static_cast<size_t>(i) + 1];
  }
  for (BSTR b : names) ::SysFreeString(b);
  return out;
}

class InterfaceTable : public TypeLibrary,
                       public ::testing::WithParamInterface<tl::ExpectedInterface> {};

TEST_P(InterfaceTable, ResolvesByIidWithItsKindBaseAndMembers) {
  const tl::ExpectedInterface& e = GetParam();
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(s_lib->GetTypeInfoOfGuid(ParseGuid(e.iid), &info), S_OK) << N(e.name);
  EXPECT_EQ(NameOf(info.Get()), e.name);
  if (e.helpString) {
    EXPECT_EQ(HelpOf(info.Get()), e.helpString) << N(e.name);
  }

  const Attr attr = AttrOf(info.Get());
  if (e.dual) {
    EXPECT_EQ(attr.kind, TKIND_DISPATCH) << N(e.name);
    EXPECT_TRUE(attr.flags & TYPEFLAG_FDUAL) << N(e.name);
  } else {
    EXPECT_EQ(attr.kind, TKIND_INTERFACE) << N(e.name);
    EXPECT_FALSE(attr.flags & TYPEFLAG_FDUAL) << N(e.name);
  }

  ComPtr<ITypeInfo> vtable = VtableHalf(info.Get());
  ASSERT_TRUE(vtable) << N(e.name);
  const Attr vattr = AttrOf(vtable.Get());
  ASSERT_EQ(vattr.kind, TKIND_INTERFACE) << N(e.name);
  // Dual interfaces are automation-compatible (the flag sits on the vtable half).
  if (e.dual) {
    EXPECT_TRUE(vattr.flags & TYPEFLAG_FOLEAUTOMATION) << N(e.name);
  }
  ComPtr<ITypeInfo> base = RefOfImpl(vtable.Get(), 0);
  ASSERT_TRUE(base) << N(e.name);
  EXPECT_EQ(NameOf(base.Get()), e.base) << N(e.name);

  ASSERT_EQ(vattr.funcs, e.memberCount) << N(e.name);
  for (WORD i = 0; i < vattr.funcs; ++i) {
    const tl::ExpectedMember& m = e.members[i];
    FUNCDESC* func = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(i, &func), S_OK);
    const std::string where = N(e.name) + "." + N(m.name);
    EXPECT_EQ(NameOf(vtable.Get(), func->memid), m.name) << N(e.name) << " member " << i;
    if (m.dispid != tl::kAnyDispid) {
      EXPECT_EQ(func->memid, m.dispid) << where;
    }
    EXPECT_EQ(func->invkind, InvokeKindOf(m.kind)) << where;
    if (m.args) {
      EXPECT_EQ(ArgNames(vtable.Get(), *func), m.args) << where;
    }
    vtable->ReleaseFuncDesc(func);
  }
}

TEST_P(InterfaceTable, NameLookupIgnoresLetterCase) {
  const tl::ExpectedInterface& e = GetParam();
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(s_lib->GetTypeInfoOfGuid(ParseGuid(e.iid), &info), S_OK);
  for (size_t i = 0; i < e.memberCount; ++i) {
    const tl::ExpectedMember& m = e.members[i];
    std::wstring exact(m.name), upper(m.name), lower(m.name);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    LPOLESTR exactNames[] = {exact.data()};
    DISPID expected = DISPID_UNKNOWN;
    ASSERT_EQ(::DispGetIDsOfNames(info.Get(), exactNames, 1, &expected), S_OK) << N(exact);
    if (m.dispid != tl::kAnyDispid) {
      EXPECT_EQ(expected, m.dispid) << N(exact);
    }
    for (std::wstring* name : {&upper, &lower}) {
      LPOLESTR names[] = {name->data()};
      DISPID id = DISPID_UNKNOWN;
      EXPECT_EQ(::DispGetIDsOfNames(info.Get(), names, 1, &id), S_OK) << N(*name);
      EXPECT_EQ(id, expected) << N(*name);
    }
  }
}

std::string InterfaceName(const ::testing::TestParamInfo<tl::ExpectedInterface>& info) {
  return N(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(All, InterfaceTable, ::testing::ValuesIn(tl::kInterfaces),
                         InterfaceName);

// Described although no object answers them.
TEST_F(TypeLibrary, DeclaresInterfacesThatNoObjectAnswers) {
  for (const wchar_t* name : {L"IDOMElement", L"IDOMEventTarget", L"IMainWindow"}) {
    ITypeInfo* found[2] = {};
    MEMBERID ids[2] = {};
    USHORT count = 2;
    std::wstring copy(name);
    ASSERT_EQ(s_lib->FindName(copy.data(), 0, found, ids, &count), S_OK) << N(name);
    ASSERT_GE(count, 1) << N(name);
    EXPECT_EQ(NameOf(found[0]), name);
    EXPECT_EQ(ids[0], MEMBERID_NIL) << "found as a type, not a member: " << N(name);
    for (USHORT i = 0; i < count; ++i) found[i]->Release();
  }
}

TEST_F(TypeLibrary, CoClassesCarryTheirIdentifiersAndHelp) {
  for (const tl::ExpectedCoClass& c : tl::kCoClasses) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(s_lib->GetTypeInfoOfGuid(ParseGuid(c.clsid), &info), S_OK) << N(c.name);
    EXPECT_EQ(AttrOf(info.Get()).kind, TKIND_COCLASS) << N(c.name);
    EXPECT_EQ(NameOf(info.Get()), c.name);
    EXPECT_EQ(HelpOf(info.Get()), c.helpString ? c.helpString : L"") << N(c.name);
  }
  ComPtr<ITypeInfo> manager;
  ASSERT_EQ(s_lib->GetTypeInfoOfGuid(CLSID_MessageManager, &manager), S_OK);
  ComPtr<ITypeInfo> def = RefOfImpl(manager.Get(), 0);
  ASSERT_TRUE(def);
  EXPECT_EQ(NameOf(def.Get()), L"IMessageManager");
}

bool FieldMatches(ITypeInfo* owner, const TYPEDESC& type, tl::FieldType expected) {
  auto userName = [owner](const TYPEDESC& t) -> std::wstring {
    if (t.vt != VT_USERDEFINED) return L"";
    ComPtr<ITypeInfo> ref;
    if (FAILED(owner->GetRefTypeInfo(t.hreftype, &ref))) return L"";
    return NameOf(ref.Get());
  };
  switch (expected) {
    case tl::FieldType::kRemotableWindowHandle: return userName(type) == L"wireHWND";
    case tl::FieldType::kUInt32: return type.vt == VT_UI4 || type.vt == VT_UINT;
    case tl::FieldType::kInt32: return type.vt == VT_I4 || type.vt == VT_INT;
    case tl::FieldType::kUIntPtr:
      return sizeof(void*) == 8 ? type.vt == VT_UI8 || type.vt == VT_UINT_PTR
                                : type.vt == VT_UI4 || type.vt == VT_UINT || type.vt == VT_UINT_PTR;
    case tl::FieldType::kIntPtr:
      return sizeof(void*) == 8 ? type.vt == VT_I8 || type.vt == VT_INT_PTR
                                : type.vt == VT_I4 || type.vt == VT_INT || type.vt == VT_INT_PTR;
    case tl::FieldType::kPointRecord: return userName(type) == L"tagPOINT";
  }
  return false;
}

TEST_F(TypeLibrary, MessageRecordsMatchTheirFieldsAndThePlatformLayout) {
  for (const tl::ExpectedRecord& r : tl::kRecords) {
    ITypeInfo* found[1] = {};
    MEMBERID ids[1] = {};
    USHORT count = 1;
    std::wstring name(r.name);
    ASSERT_EQ(s_lib->FindName(name.data(), 0, found, ids, &count), S_OK) << N(name);
    ASSERT_EQ(count, 1) << N(name);
    ComPtr<ITypeInfo> info;
    info.Attach(found[0]);
    const Attr attr = AttrOf(info.Get());
    ASSERT_EQ(attr.kind, TKIND_RECORD) << N(name);
    ASSERT_EQ(attr.vars, r.fieldCount) << N(name);
    for (WORD i = 0; i < attr.vars; ++i) {
      VARDESC* var = nullptr;
      ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
      EXPECT_EQ(NameOf(info.Get(), var->memid), r.fields[i].name) << N(name);
      EXPECT_TRUE(FieldMatches(info.Get(), var->elemdescVar.tdesc, r.fields[i].type))
          << N(name) << "." << N(r.fields[i].name) << " has type " << var->elemdescVar.tdesc.vt;
      info->ReleaseVarDesc(var);
    }
  }
  // The connector reads messages through the record's offsets: they must be the platform's.
  ComPtr<ITypeInfo> filter;
  ASSERT_EQ(s_lib->GetTypeInfoOfGuid(IID_IMsgFilter, &filter), S_OK);
  FUNCDESC* func = nullptr;
  ASSERT_EQ(filter->GetFuncDesc(0, &func), S_OK);
  const TYPEDESC* msgType = func->lprgelemdescParam[0].tdesc.lptdesc;
  ComPtr<ITypeInfo> msg;
  ASSERT_EQ(filter->GetRefTypeInfo(msgType->hreftype, &msg), S_OK);
  filter->ReleaseFuncDesc(func);
  TYPEATTR* a = nullptr;
  ASSERT_EQ(msg->GetTypeAttr(&a), S_OK);
  EXPECT_GE(a->cbSizeInstance, offsetof(MSG, pt) + sizeof(POINT));
  msg->ReleaseTypeAttr(a);
  const size_t offsets[] = {offsetof(MSG, hwnd),   offsetof(MSG, message), offsetof(MSG, wParam),
                            offsetof(MSG, lParam), offsetof(MSG, time),    offsetof(MSG, pt)};
  for (WORD i = 0; i < 6; ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(msg->GetVarDesc(i, &var), S_OK);
    EXPECT_EQ(static_cast<size_t>(var->oInst), offsets[i]) << "field " << i;
    msg->ReleaseVarDesc(var);
  }
}

// ---- the engine's loader ---------------------------------------------------------------------

// Makes ui.dll the engine's module for one test (its own file carries the library) and drops
// whatever the loader cached before and after.
class EngineLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    m_ui.Reset(::LoadLibraryW(UiDllPath().c_str()));
    ASSERT_TRUE(m_ui);
    m_previous = GetModuleInstance();
    ReleaseEngineTypeLib();
    SetModuleInstance(m_ui.Get());
  }
  void TearDown() override {
    ReleaseEngineTypeLib();
    SetModuleInstance(m_previous);
  }
  UniqueModule m_ui;
  HINSTANCE m_previous = nullptr;
};

TEST_F(EngineLoader, EveryInterfaceResolvesFromTheModulesOwnFile) {
  for (const tl::ExpectedInterface& e : tl::kInterfaces) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(GetEngineTypeInfo(ParseGuid(e.iid), &info), S_OK) << N(e.name);
    EXPECT_EQ(NameOf(info.Get()), e.name);
  }
  // {0d3c7e52-3f86-4b8e-a0c4-7f5b2a9c1e60}: in no library.
  const GUID unknown = {0x0d3c7e52, 0x3f86, 0x4b8e, {0xa0, 0xc4, 0x7f, 0x5b, 0x2a, 0x9c, 0x1e, 0x60}};
  ComPtr<ITypeInfo> none;
  EXPECT_EQ(GetEngineTypeInfo(unknown, &none), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_FALSE(none);
  // Records carry no identifier: a null one names no interface.
  EXPECT_EQ(GetEngineTypeInfo(GUID_NULL, &none), E_INVALIDARG);
  EXPECT_FALSE(none);
  EXPECT_EQ(GetEngineTypeInfo(IID_IMsgFilter, nullptr), E_POINTER);
}

TEST_F(EngineLoader, LoadsOnceAndCachesTypeInformationUntilReleased) {
  ComPtr<ITypeLib> first, second;
  ASSERT_EQ(GetEngineTypeLib(&first), S_OK);
  ASSERT_EQ(GetEngineTypeLib(&second), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  ComPtr<ITypeInfo> a, b;
  ASSERT_EQ(GetEngineTypeInfo(IID_IMessageManager, &a), S_OK);
  ASSERT_EQ(GetEngineTypeInfo(IID_IMessageManager, &b), S_OK);
  EXPECT_EQ(a.Get(), b.Get());

  // Once released, a module without the library resource has nothing to load from (test
  // executables carry the library themselves, so another module stands in).
  ReleaseEngineTypeLib();
  SetModuleInstance(::GetModuleHandleW(L"kernel32.dll"));
  ComPtr<ITypeLib> none;
  EXPECT_FAILED(GetEngineTypeLib(&none));
  EXPECT_FALSE(none);
  // The library already handed out stays usable.
  UniqueBstr name;
  EXPECT_EQ(first->GetDocumentation(-1, name.Put(), nullptr, nullptr, nullptr), S_OK);
}

TEST_F(EngineLoader, PrefersTheRegisteredLibrary) {
  // Once registered, the library loads even for a module that does not carry it.
  ComPtr<ITypeLib> lib;
  ASSERT_EQ(::LoadTypeLibEx(UiDllPath().c_str(), REGKIND_NONE, &lib), S_OK);
  std::wstring path = UiDllPath();
  const HRESULT registered = ::RegisterTypeLib(lib.Get(), path.data(), nullptr);
  if (FAILED(registered)) GTEST_SKIP() << "cannot register a type library here: " << registered;
  ReleaseEngineTypeLib();
  SetModuleInstance(::GetModuleHandleW(nullptr));
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(GetEngineTypeInfo(IID_IDOMWindow, &info), S_OK);
  ::UnRegisterTypeLib(LIBID_UILib, 1, 0, 0x409, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
}

}  // namespace
}  // namespace velmor
