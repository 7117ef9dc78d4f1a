// The two-layer attribute store and the typed attribute readers of the shared content
// implementation.
#include "content_fixture.h"
#include "support/script_runner.h"

namespace velmor {
namespace {

using test::ContentTest;
using test::Var;

Var Text(const wchar_t* text) {
  Var v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = ::SysAllocString(text);
  return v;
}
Var Int(LONG value) {
  Var v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

TEST_F(ContentTest, LiveValuesLayerOverPrototypeText) {
  ComPtr<scIContent> e = Create(Prototype(L"label", {{L"width", L"40"}, {L"title", L"Hello"}}));
  Var v;
  ASSERT_TRUE(e->GetAttr(L"width", &v));
  EXPECT_EQ(V_VT(&v), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&v), L"40");
  EXPECT_FALSE(e->GetAttr(L"height", &v));
  EXPECT_FALSE(e->GetAttr(L"Width", &v)) << "names are case-sensitive";

  ASSERT_EQ(e->SetAttr(L"width", Int(77), TRUE), S_OK);
  ASSERT_TRUE(e->GetAttr(L"width", &v));
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(V_I4(&v), 77);
  EXPECT_EQ(*Impl(e)->Prototype()->FindAttr(L"width"), L"40") << "the prototype is unchanged";

  ASSERT_EQ(e->SetAttr(L"fresh", Text(L"x"), FALSE), S_OK);
  EXPECT_TRUE(e->HasAttr(L"fresh"));
  EXPECT_TRUE(e->HasAttr(L"title"));
  EXPECT_FALSE(e->HasAttr(L"nothing"));
  e->Destroy();
}

TEST_F(ContentTest, UnsetAttrReachesElementsSharingThePrototype) {
  scPrototypeElement* shared = Prototype(L"button", {{L"tooltip", L"tip"}, {L"left", L"3"}});
  ComPtr<scIContent> one = Create(shared);
  ComPtr<scIContent> two = Create(shared);
  ASSERT_EQ(one->SetAttr(L"tooltip", Text(L"live"), TRUE), S_OK);
  ASSERT_EQ(one->UnsetAttr(L"tooltip", TRUE), S_OK);
  Var v;
  EXPECT_FALSE(one->GetAttr(L"tooltip", &v));
  EXPECT_FALSE(two->GetAttr(L"tooltip", &v)) << "removed from the shared prototype";
  EXPECT_FALSE(two->HasAttr(L"tooltip"));
  EXPECT_TRUE(two->HasAttr(L"left"));
  EXPECT_EQ(one->UnsetAttr(L"never-there", TRUE), S_OK);
  one->Destroy();
  two->Destroy();
}

TEST_F(ContentTest, AttrValueIsCaseRulesDependOnTheLayer) {
  ComPtr<scIContent> e =
      Create(Prototype(L"label", {{L"proto", L"Value"}, {L"shadowed", L"Proto"}}));
  ASSERT_EQ(e->SetAttr(L"live", Text(L"Value"), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"number", Int(5), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"shadowed", Text(L"Live"), TRUE), S_OK);
  struct Case {
    const wchar_t* name;
    Var (*value)();
    bool equal;
  };
  static const Case kCases[] = {
      {L"live", [] { return Text(L"Value"); }, true},
      {L"live", [] { return Text(L"VALUE"); }, true},
      {L"live", [] { return Text(L"other"); }, false},
      {L"proto", [] { return Text(L"Value"); }, true},
      {L"proto", [] { return Text(L"value"); }, false},
      {L"proto", [] { return Int(0); }, false},
      {L"number", [] { return Int(5); }, true},
      {L"number", [] { return Int(6); }, false},
      {L"number", [] { return Text(L"5"); }, false},
      {L"number",
       [] {
         Var v;  // equal as a number, but of another type
         V_VT(&v) = VT_R8;
         V_R8(&v) = 5.0;
         return v;
       },
       false},
      {L"shadowed", [] { return Text(L"Proto"); }, false},
      {L"shadowed", [] { return Text(L"live"); }, true},
      {L"missing", [] { return Text(L""); }, false},
  };
  for (const Case& c : kCases) {
    Var value = c.value();
    EXPECT_EQ(e->AttrValueIs(c.name, value), c.equal) << c.name;
  }
  e->Destroy();
}

// A JScript object made by evaluating 'expression' in 'runner'.
Var Object(test::ScriptRunner& runner, const wchar_t* expression) {
  Var v;
  EXPECT_EQ(runner.Evaluate(expression, &v), S_OK) << runner.LastError();
  EXPECT_EQ(V_VT(&v), VT_DISPATCH);
  return v;
}

TEST_F(ContentTest, TypedReadersFollowTheValueType) {
  ComPtr<scIContent> e = Create(Prototype(
      L"label", {{L"pInt", L"010"}, {L"pColor", L"#123456"}, {L"pBool", L"true"},
                 {L"pBadBool", L"True"}, {L"pBadColor", L"Red"}, {L"pText", L"abc"}}));
  Var boolTrue;
  V_VT(&boolTrue) = VT_BOOL;
  V_BOOL(&boolTrue) = VARIANT_TRUE;
  Var shortZero;
  V_VT(&shortZero) = VT_I2;
  V_I2(&shortZero) = 0;
  Var dbl;
  V_VT(&dbl) = VT_R8;
  V_R8(&dbl) = 1.5;
  ASSERT_EQ(e->SetAttr(L"lInt", Int(-4), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"lHex", Text(L"0x10"), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"lColor", Int(static_cast<LONG>(0x80112233)), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"lBool", boolTrue, TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"lShort", shortZero, TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"lDouble", dbl, TRUE), S_OK);

  struct IntCase {
    const wchar_t* name;
    bool found;
    int32_t value;
  };
  static const IntCase kInts[] = {
      {L"pInt", true, 8},  {L"lInt", true, -4},     {L"lHex", true, 16},
      {L"pText", true, 0}, {L"lDouble", false, 99}, {L"missing", false, 99},
      {L"lBool", false, 99},
  };
  for (const IntCase& c : kInts) {
    int32_t value = 99;
    EXPECT_EQ(GetIntAttr(e.Get(), c.name, value), c.found) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }

  struct ColorCase {
    const wchar_t* name;
    bool found;
    uint32_t argb;
  };
  static const ColorCase kColors[] = {
      {L"pColor", true, 0xFF123456u},  {L"lColor", true, 0x80112233u},
      {L"pBadColor", false, 1u},       {L"lBool", false, 1u},
  };
  for (const ColorCase& c : kColors) {
    uint32_t value = 1;
    EXPECT_EQ(GetColorAttr(e.Get(), c.name, value), c.found) << c.name;
    EXPECT_EQ(value, c.argb) << c.name;
  }

  struct BoolCase {
    const wchar_t* name;
    bool found;
    bool value;
  };
  static const BoolCase kBools[] = {
      {L"pBool", true, true},  {L"lBool", true, true},      {L"lShort", true, false},
      {L"lInt", true, true},   {L"pBadBool", false, false}, {L"lDouble", false, false},
  };
  for (const BoolCase& c : kBools) {
    bool value = false;
    EXPECT_EQ(GetBoolAttr(e.Get(), c.name, value), c.found) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }

  std::wstring text = L"unchanged";
  EXPECT_TRUE(GetStringAttr(e.Get(), L"pText", text));
  EXPECT_EQ(text, L"abc");
  EXPECT_FALSE(GetStringAttr(e.Get(), L"lInt", text));
  EXPECT_EQ(text, L"abc");
  e->Destroy();
}

// An object stored by a script is asked for the property of the attribute's own name,
// again and again while the answer is an object; a cycle is not found and does not hang.
TEST_F(ContentTest, TypedReadersAskStoredObjectsForTheSameProperty) {
  test::ScriptRunner runner;
  ASSERT_EQ(runner.Execute(L"var loop = {}; loop.loop = loop;"), S_OK);
  ComPtr<scIContent> e = Create(Prototype(L"label", {{L"width", L"1"}}));
  ASSERT_EQ(e->SetAttr(L"width", Object(runner, L"({width: 250})"), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"color", Object(runner, L"({color: {color: 'red'}})"), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"height", Object(runner, L"({other: 3})"), TRUE), S_OK);
  ASSERT_EQ(e->SetAttr(L"loop", Object(runner, L"loop"), TRUE), S_OK);
  int32_t width = 0, height = -1, loop = 5;
  uint32_t color = 0;
  EXPECT_TRUE(GetIntAttr(e.Get(), L"width", width));
  EXPECT_EQ(width, 250);
  EXPECT_TRUE(GetColorAttr(e.Get(), L"color", color));
  EXPECT_EQ(color, 0xFFFF0000u);
  EXPECT_FALSE(GetIntAttr(e.Get(), L"height", height));
  EXPECT_EQ(height, -1);
  EXPECT_FALSE(GetIntAttr(e.Get(), L"loop", loop));
  EXPECT_EQ(loop, 5);
  e->Destroy();
}

}  // namespace
}  // namespace velmor
