// Settings: CProfile's 4-byte values below HKCU\software\<key>\<section> (the key and section
// made by reading) or in a private profile file, and GetPrefBool through the runtime's
// preferences service (any non-zero number is true). Every value that cannot be read gives the
// caller's default.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "components/component_manager.h"
#include "components/preferences.h"
#include "host/profile.h"
#include "support/test_env.h"

namespace velmor {
namespace {

constexpr const wchar_t* kKey = L"VelmorTest\\Config\\";
constexpr const wchar_t* kSubkey = L"software\\VelmorTest\\Config\\Other";

// Where the value is read: a profile in the registry or in a file; a preference through the
// runtime, without a runtime, or with something else registered as the preferences service.
enum Source { kProfile, kProfileFile, kPreference, kNoRuntime, kNotAService };

struct ValueCase {
  const char* what;
  Source source;
  DWORD type;  // REG_NONE: value absent (a file's value is written as text)
  unsigned long long data;
  DWORD bytes;
  int defaultValue;
  int expected;
};

class SettingValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingValueTest, ReadsTheValueOrGivesTheDefault) {
  const ValueCase& c = GetParam();
  const bool profile = c.source == kProfile || c.source == kProfileFile;
  test::ScopedRegistryValue value(profile ? kSubkey : L"Software\\Velmor\\Prefs",
                                  profile ? L"OneProcess" : L"script.debug.enable");
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"software\\VelmorTest");
  if (c.type == REG_NONE || c.source == kProfileFile)
    value.Delete();
  else
    value.SetRaw(c.type, &c.data, c.bytes);
  if (profile) {
    CProfile reader;
    const std::wstring file = test::MakeTempDir(L"profile") + L"\\settings.ini";
    if (c.source == kProfileFile) {
      if (c.type != REG_NONE)
        ::WritePrivateProfileStringW(L"Other", L"OneProcess", std::to_wstring(c.data).c_str(),
                                     file.c_str());
      reader.SetProfileFile(file.c_str());
    } else {
      reader.SetRegistryKey(kKey);
    }
    EXPECT_EQ(reader.GetProfileInt(L"Other", L"OneProcess", c.defaultValue),
              static_cast<UINT>(c.expected));
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kSubkey, 0, KEY_READ, &key) == ERROR_SUCCESS,
              c.source == kProfile);
    if (key != nullptr) ::RegCloseKey(key);
    ::DeleteFileW(file.c_str());
    return;
  }
  if (c.source != kNoRuntime) ASSERT_EQ(components::Initialize(), S_OK);
  if (c.source == kNotAService) {
    ComPtr<IUnknown> stranger;
    ASSERT_EQ(components::GetService(contracts::kCommandLine, IID_PPV_ARGS(&stranger)), S_OK);
    ASSERT_EQ(components::RegisterObject(contracts::kPreferences, stranger.Get()), S_OK);
  }
  EXPECT_EQ(GetPrefBool(L"script.debug.enable", c.defaultValue), c.expected);
  if (c.source != kNoRuntime) EXPECT_EQ(components::Shutdown(), S_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingValueTest,
    ::testing::Values(ValueCase{"profile: missing value", kProfile, REG_NONE, 0, 0, 1, 1},
                      ValueCase{"profile: REG_DWORD 0", kProfile, REG_DWORD, 0, 4, 1, 0},
                      ValueCase{"profile: REG_DWORD 7", kProfile, REG_DWORD, 7, 4, 1, 7},
                      ValueCase{"profile: 8-byte REG_QWORD", kProfile, REG_QWORD, 0, 8, 1, 1},
                      ValueCase{"profile: 4-byte binary, type not examined", kProfile, REG_BINARY,
                                2, 4, 1, 2},
                      ValueCase{"profile file: a value", kProfileFile, REG_SZ, 5, 0, 1, 5},
                      ValueCase{"profile file: missing value", kProfileFile, REG_NONE, 0, 0, 9, 9},
                      ValueCase{"preference: one", kPreference, REG_DWORD, 1, 4, 0, 1},
                      ValueCase{"preference: two", kPreference, REG_DWORD, 2, 4, 0, 1},
                      ValueCase{"preference: zero", kPreference, REG_DWORD, 0, 4, 1, 0},
                      ValueCase{"preference: no value keeps any default", kPreference, REG_NONE, 0,
                                0, 7, 7},
                      ValueCase{"preference: not a number", kPreference, REG_BINARY, 1, 4, 5, 5},
                      ValueCase{"preference without a runtime", kNoRuntime, REG_DWORD, 0, 4, 1, 1},
                      ValueCase{"preference service that is not one", kNotAService, REG_DWORD, 0,
                                4, 5, 5}));

}  // namespace
}  // namespace velmor
