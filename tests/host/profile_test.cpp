// CProfile reads 4-byte values below HKCU\software\<key>\<section>; every failure gives the
// default.
#include <gtest/gtest.h>

#include "host/profile.h"
#include "support/test_env.h"

namespace velmor {
namespace {

constexpr const wchar_t* kKey = L"VelmorTest\\Config\\";
constexpr const wchar_t* kSubkey = L"software\\VelmorTest\\Config\\Other";

struct ProfileCase {
  const char* what;
  DWORD type;       // REG_NONE: value absent
  unsigned long long data;
  DWORD bytes;
  UINT expected;
};

class ProfileTest : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileTest, ReadsFourBytesOrDefault) {
  const ProfileCase& c = GetParam();
  test::ScopedRegistryValue value(kSubkey, L"OneProcess");
  if (c.type == REG_NONE)
    value.Delete();
  else
    value.SetRaw(c.type, &c.data, c.bytes);
  CProfile profile;
  profile.SetRegistryKey(kKey);
  EXPECT_EQ(profile.GetProfileInt(L"Other", L"OneProcess", 1), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileTest,
    ::testing::Values(ProfileCase{"missing value", REG_NONE, 0, 0, 1},
                      ProfileCase{"REG_DWORD 0", REG_DWORD, 0, 4, 0},
                      ProfileCase{"REG_DWORD 7", REG_DWORD, 7, 4, 7},
                      ProfileCase{"8-byte REG_QWORD", REG_QWORD, 0, 8, 1},
                      ProfileCase{"4-byte binary, type not examined", REG_BINARY, 2, 4, 2}));

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

}  // namespace
}  // namespace velmor
