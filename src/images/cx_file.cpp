#include "images/cx_file.h"

#include <climits>

namespace velmor {

// ---- CxIOFile -------------------------------------------------------------------------------

CxIOFile::~CxIOFile() { Close(); }

bool CxIOFile::Open(const wchar_t* path, const wchar_t* mode) {
  Close();
  if (path == nullptr || mode == nullptr) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  FILE* file = ::_wfopen(path, mode);
  if (file == nullptr) {
    // The C runtime does not always leave a system error behind; make sure the caller's
    // HRESULT_FROM_WIN32(GetLastError()) says something.
    if (::GetLastError() == ERROR_SUCCESS) ::SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  m_file = file;
  return true;
}

bool CxIOFile::Close() {
  if (m_file == nullptr) return true;
  const int result = ::fclose(m_file);
  m_file = nullptr;
  return result == 0;
}

size_t CxIOFile::Read(void* buffer, size_t size, size_t count) {
  if (m_file == nullptr) return 0;
  return ::fread(buffer, size, count, m_file);
}

long CxIOFile::Size() {
  if (m_file == nullptr) return -1;
  const long position = ::ftell(m_file);
  ::fseek(m_file, 0, SEEK_END);
  const long size = ::ftell(m_file);
  ::fseek(m_file, position, SEEK_SET);
  return size;
}

// ---- CxStreamFile ---------------------------------------------------------------------------

CxStreamFile::CxStreamFile(IUnknown* object) {
  if (object == nullptr ||
      FAILED(object->QueryInterface(IID_IStream, reinterpret_cast<void**>(&m_stream))))
    m_stream = nullptr;
}

CxStreamFile::~CxStreamFile() { Close(); }

bool CxStreamFile::Close() {
  if (m_stream != nullptr) {
    IStream* stream = m_stream;
    m_stream = nullptr;
    stream->Release();
  }
  return true;
}

size_t CxStreamFile::Read(void* buffer, size_t size, size_t count) {
  if (m_stream == nullptr || size == 0) return 0;
  if (count > ULONG_MAX / size) return 0;
  ULONG read = 0;
  if (FAILED(m_stream->Read(buffer, static_cast<ULONG>(size * count), &read))) return 0;
  return read / size;
}

long CxStreamFile::Size() {
  if (m_stream == nullptr) return 0;
  STATSTG stat{};
  if (FAILED(m_stream->Stat(&stat, STATFLAG_NONAME))) return 0;
  return static_cast<long>(stat.cbSize.QuadPart);
}

}  // namespace velmor
