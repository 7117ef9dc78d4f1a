// GetPrefBool through the preferences service: exactly VARIANT_TRUE is true, any other answer
// false, and every failure gives the caller's default.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/com_object.h"
#include "components/component_manager.h"
#include "components/preferences.h"
#include "support/no_dispatch.h"

namespace velmor {
namespace {

// A preferences service answering GetBoolPref with a chosen result and value.
class FakeBoolPrefs final
    : public ComObject<FakeBoolPrefs, test::NoDispatch<IPreferencesService>,
                       Also<IDispatch, test::NoDispatch<IPreferencesService>>> {
 public:
  FakeBoolPrefs(HRESULT result, VARIANT_BOOL value) : m_result(result), m_value(value) {}
  STDMETHODIMP GetBoolPref(LPCWSTR name, VARIANT_BOOL* value) override {
    asked = name ? name : L"(null)";
    *value = m_value;  // written even when failing: the caller must not trust it then
    return m_result;
  }
  STDMETHODIMP SetBoolPref(LPCWSTR, VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP SavePrefs(IUnknown*) override { return E_NOTIMPL; }
  STDMETHODIMP GetIntPref(LPCWSTR, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP SetIntPref(LPCWSTR, LONG) override { return E_NOTIMPL; }
  STDMETHODIMP ClearPref(LPCWSTR) override { return E_NOTIMPL; }
  std::wstring asked;

 private:
  HRESULT m_result;
  VARIANT_BOOL m_value;
};

struct PrefCase {
  const char* what;
  HRESULT result;
  VARIANT_BOOL value;
  int defaultValue;
  int expected;
};

class GetPrefBoolTest : public ::testing::TestWithParam<PrefCase> {
 protected:
  void SetUp() override { ASSERT_EQ(components::Initialize(), S_OK); }
  void TearDown() override { EXPECT_EQ(components::Shutdown(), S_OK); }
};

TEST_P(GetPrefBoolTest, OnlyVariantTrueIsTrueAndFailuresGiveTheDefault) {
  const PrefCase& c = GetParam();
  FakeBoolPrefs* raw = nullptr;
  ASSERT_EQ(FakeBoolPrefs::CreateObject(&raw, c.result, c.value), S_OK);
  ComPtr<FakeBoolPrefs> prefs = AdoptRef(raw);
  // A registered name takes precedence over the built-in service.
  ASSERT_EQ(components::RegisterObject(contracts::kPreferences,
                                       static_cast<IPreferencesService*>(prefs.Get())),
            S_OK);
  EXPECT_EQ(GetPrefBool(L"script.debug.enable", c.defaultValue), c.expected) << c.what;
  EXPECT_EQ(prefs->asked, L"script.debug.enable");
  EXPECT_HRESULT_SUCCEEDED(components::UnregisterObject(contracts::kPreferences));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GetPrefBoolTest,
    ::testing::Values(PrefCase{"VARIANT_TRUE", S_OK, VARIANT_TRUE, 0, 1},
                      PrefCase{"VARIANT_FALSE", S_OK, VARIANT_FALSE, 1, 0},
                      PrefCase{"1 is not VARIANT_TRUE", S_OK, 1, 1, 0},
                      PrefCase{"a failing read", E_FAIL, VARIANT_TRUE, 0, 0},
                      PrefCase{"a failing read keeps any default", E_INVALIDARG, VARIANT_FALSE,
                               7, 7},
                      PrefCase{"S_FALSE is a success", S_FALSE, VARIANT_TRUE, 0, 1}));

TEST(GetPrefBool, WithoutAServiceGivesTheDefault) {
  // No component runtime at all.
  EXPECT_EQ(GetPrefBool(L"script.debug.enable", 1), 1);
  EXPECT_EQ(GetPrefBool(L"script.debug.enable", 0), 0);
  // A runtime whose preferences contract names something that is not a preferences service.
  ASSERT_EQ(components::Initialize(), S_OK);
  ComPtr<IUnknown> stranger;
  ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&stranger)), S_OK);
  ASSERT_EQ(components::RegisterObject(contracts::kPreferences, stranger.Get()), S_OK);
  EXPECT_EQ(GetPrefBool(L"script.debug.enable", 5), 5);
  EXPECT_EQ(components::Shutdown(), S_OK);
}

}  // namespace
}  // namespace velmor
