// Settings read from the registry: CProfile's 4-byte values below HKCU\software\<key>\<section>
// and GetPrefBool through the runtime's preferences service (any non-zero number is true). Every
// value that cannot be read gives the caller's default.
#include <gtest/gtest.h>

#include <windows.h>

#include "components/component_manager.h"
#include "components/preferences.h"
#include "host/profile.h"
#include "support/test_env.h"

namespace velmor {
namespace {

constexpr const wchar_t* kKey = L"VelmorTest\\Config\\";
constexpr const wchar_t* kSubkey = L"software\\VelmorTest\\Config\\Other";

struct ValueCase {
  const char* what;
  bool preference;  // GetPrefBool; otherwise CProfile
  DWORD type;       // REG_NONE: value absent
  unsigned long long data;
  DWORD bytes;
  int defaultValue;
  int expected;
};

class SettingValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingValueTest, ReadsTheValueOrGivesTheDefault) {
  const ValueCase& c = GetParam();
  test::ScopedRegistryValue value(c.preference ? L"Software\\Velmor\\Prefs" : kSubkey,
                                  c.preference ? L"script.debug.enable" : L"OneProcess");
  if (c.type == REG_NONE)
    value.Delete();
  else
    value.SetRaw(c.type, &c.data, c.bytes);
  if (c.preference) {
    ASSERT_EQ(components::Initialize(), S_OK);
    EXPECT_EQ(GetPrefBool(L"script.debug.enable", c.defaultValue), c.expected) << c.what;
    EXPECT_EQ(components::Shutdown(), S_OK);
  } else {
    CProfile profile;
    profile.SetRegistryKey(kKey);
    EXPECT_EQ(profile.GetProfileInt(L"Other", L"OneProcess", c.defaultValue),
              static_cast<UINT>(c.expected))
        << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingValueTest,
    ::testing::Values(ValueCase{"profile: missing value", false, REG_NONE, 0, 0, 1, 1},
                      ValueCase{"profile: REG_DWORD 0", false, REG_DWORD, 0, 4, 1, 0},
                      ValueCase{"profile: REG_DWORD 7", false, REG_DWORD, 7, 4, 1, 7},
                      ValueCase{"profile: 8-byte REG_QWORD", false, REG_QWORD, 0, 8, 1, 1},
                      ValueCase{"profile: 4-byte binary, type not examined", false, REG_BINARY, 2,
                                4, 1, 2},
                      ValueCase{"preference: one", true, REG_DWORD, 1, 4, 0, 1},
                      ValueCase{"preference: two", true, REG_DWORD, 2, 4, 0, 1},
                      ValueCase{"preference: zero", true, REG_DWORD, 0, 4, 1, 0},
                      ValueCase{"preference: no value keeps any default", true, REG_NONE, 0, 0, 7, 7},
                      ValueCase{"preference: not a number", true, REG_BINARY, 1, 4, 5, 5}));

TEST(Profile, ReadingCreatesTheKeyAndSection) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"software\\VelmorTest");
  CProfile profile;
  profile.SetRegistryKey(kKey);
  EXPECT_EQ(profile.GetProfileInt(L"Fresh", L"Entry", 42), 42u);
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"software\\VelmorTest\\Config\\Fresh", 0,
                            KEY_READ, &key),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"software\\VelmorTest");
}

TEST(Profile, WithoutRegistryKeyReadsThePrivateProfileFile) {
  const std::wstring dir = test::MakeTempDir(L"profile");
  const std::wstring file = dir + L"\\settings.ini";
  ::WritePrivateProfileStringW(L"Other", L"OneProcess", L"5", file.c_str());
  CProfile profile;
  profile.SetProfileFile(file.c_str());
  EXPECT_EQ(profile.GetProfileInt(L"Other", L"OneProcess", 1), 5u);
  EXPECT_EQ(profile.GetProfileInt(L"Other", L"Missing", 9), 9u);
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW(dir.c_str());
}

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
