// A small local store of integer settings, read from the current user's registry (or from a
// private profile file when no registry key is set). Used before any component exists.
#pragma once
#include <windows.h>

namespace velmor {

class CProfile {
 public:
  CProfile() = default;
  CProfile(const CProfile&) = delete;
  CProfile& operator=(const CProfile&) = delete;
  virtual ~CProfile();

  // Path below HKEY_CURRENT_USER\software, e.g. L"Velmor\\Config\\".
  void SetRegistryKey(const wchar_t* key);
  void SetProfileFile(const wchar_t* file);
  const wchar_t* RegistryKey() const { return m_registryKey; }

  // The 4-byte value of 'entry' in 'section'; the default on any failure. Reading creates the
  // key and the section when they are missing.
  UINT GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;

 private:
  wchar_t* m_registryKey = nullptr;
  wchar_t* m_profileFile = nullptr;
};

}  // namespace velmor
