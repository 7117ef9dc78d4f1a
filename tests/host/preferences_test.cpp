// GetPrefBool through the runtime's preferences service: what it reads, and every failure giving
// the caller's default.
#include <gtest/gtest.h>

#include <windows.h>

#include "components/component_manager.h"
#include "components/preferences.h"
#include "support/test_env.h"

namespace velmor {
namespace {

// What the runtime's preferences service reads from the registry: any non-zero number is true,
// and a value it cannot read (missing, not a number) gives the caller's default.
struct PrefCase {
  const char* what;
  DWORD type;  // REG_NONE: no value
  DWORD data;
  int defaultValue;
  int expected;
};

class GetPrefBoolTest : public ::testing::TestWithParam<PrefCase> {
 protected:
  void SetUp() override { ASSERT_EQ(components::Initialize(), S_OK); }
  void TearDown() override { EXPECT_EQ(components::Shutdown(), S_OK); }
};

TEST_P(GetPrefBoolTest, ReadsTheServiceAndFailuresGiveTheDefault) {
  const PrefCase& c = GetParam();
  test::ScopedRegistryValue value(L"Software\\Velmor\\Prefs", L"script.debug.enable");
  if (c.type == REG_NONE) {
    value.Delete();
  } else {
    value.SetRaw(c.type, &c.data, sizeof(c.data));
  }
  EXPECT_EQ(GetPrefBool(L"script.debug.enable", c.defaultValue), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GetPrefBoolTest,
    ::testing::Values(PrefCase{"one", REG_DWORD, 1, 0, 1}, PrefCase{"two", REG_DWORD, 2, 0, 1},
                      PrefCase{"zero", REG_DWORD, 0, 1, 0},
                      PrefCase{"no value keeps any default", REG_NONE, 0, 7, 7},
                      PrefCase{"not a number", REG_BINARY, 1, 5, 5}));

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
