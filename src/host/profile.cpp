#include "host/profile.h"

#include <cwchar>
#include <new>

#include "base/handles.h"

namespace velmor {
namespace {

void ReplaceCopy(wchar_t*& target, const wchar_t* value) {
  delete[] target;
  target = nullptr;
  if (value == nullptr) return;
  const size_t n = wcslen(value) + 1;
  target = new (std::nothrow) wchar_t[n];
  if (target != nullptr) wmemcpy(target, value, n);
}

bool CreateReadWrite(HKEY parent, const wchar_t* name, UniqueHKey& out) {
  return ::RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                           nullptr, out.Put(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

CProfile::~CProfile() {
  delete[] m_registryKey;
  delete[] m_profileFile;
}

void CProfile::SetRegistryKey(const wchar_t* key) { ReplaceCopy(m_registryKey, key); }
void CProfile::SetProfileFile(const wchar_t* file) { ReplaceCopy(m_profileFile, file); }

UINT CProfile::GetProfileInt(const wchar_t* section, const wchar_t* entry,
                             int defaultValue) const {
  if (m_registryKey == nullptr)
    return ::GetPrivateProfileIntW(section, entry, defaultValue, m_profileFile);

  UniqueHKey key;
  {
    UniqueHKey software;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"software", 0, KEY_READ | KEY_WRITE, software.Put()) !=
            ERROR_SUCCESS ||
        !CreateReadWrite(software.Get(), m_registryKey, key))
      return static_cast<UINT>(defaultValue);
  }
  UniqueHKey sectionKey;
  if (!CreateReadWrite(key.Get(), section, sectionKey)) return static_cast<UINT>(defaultValue);
  key.Reset();

  DWORD value = 0;
  DWORD size = sizeof(value);
  DWORD type = 0;
  // The type is not examined; data longer than four bytes makes the query fail.
  if (::RegQueryValueExW(sectionKey.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS)
    return static_cast<UINT>(defaultValue);
  return value;
}

}  // namespace velmor
