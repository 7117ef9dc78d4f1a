#include "images/cx_file.h"

#include <climits>

namespace velmor {

// ---- common ---------------------------------------------------------------------------------

bool CxFile::PutC(unsigned char c) { return Write(&c, 1, 1) == 1; }

bool CxFile::CopyTo(CxFile* destination) {
  if (destination == nullptr) return false;
  const long position = Tell();
  if (!Seek(0, SEEK_SET)) return false;
  bool ok = true;
  unsigned char buffer[1024];
  for (;;) {
    const size_t read = Read(buffer, 1, sizeof(buffer));
    if (read == 0) break;
    if (destination->Write(buffer, 1, read) < read) {
      ok = false;
      break;
    }
  }
  Seek(position, SEEK_SET);
  return ok;
}

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
  m_owned = true;
  return true;
}

bool CxIOFile::Close() {
  if (m_file == nullptr || !m_owned) return true;
  const int result = ::fclose(m_file);
  m_file = nullptr;
  m_owned = false;
  return result == 0;
}

size_t CxIOFile::Read(void* buffer, size_t size, size_t count) {
  if (m_file == nullptr) return 0;
  return ::fread(buffer, size, count, m_file);
}

size_t CxIOFile::Write(const void* buffer, size_t size, size_t count) {
  if (m_file == nullptr) return 0;
  return ::fwrite(buffer, size, count, m_file);
}

bool CxIOFile::Seek(long offset, int origin) {
  if (m_file == nullptr) return false;
  return ::fseek(m_file, offset, origin) == 0;
}

long CxIOFile::Tell() {
  if (m_file == nullptr) return 0;
  return ::ftell(m_file);
}

long CxIOFile::Size() {
  if (m_file == nullptr) return -1;
  const long position = ::ftell(m_file);
  ::fseek(m_file, 0, SEEK_END);
  const long size = ::ftell(m_file);
  ::fseek(m_file, position, SEEK_SET);
  return size;
}

bool CxIOFile::Flush() {
  if (m_file == nullptr) return false;
  return ::fflush(m_file) == 0;
}

bool CxIOFile::Eof() {
  if (m_file == nullptr) return true;
  return ::feof(m_file) != 0;
}

long CxIOFile::Error() {
  if (m_file == nullptr) return -1;
  return ::ferror(m_file);
}

bool CxIOFile::PutC(unsigned char c) {
  if (m_file == nullptr) return false;
  return ::fputc(c, m_file) == c;
}

long CxIOFile::GetC() {
  if (m_file == nullptr) return EOF;
  return ::fgetc(m_file);
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

size_t CxStreamFile::Write(const void* buffer, size_t size, size_t count) {
  if (m_stream == nullptr) return 0;
  const size_t unit = size == 0 ? 1 : size;
  if (count > ULONG_MAX / unit) return 0;
  ULONG written = 0;
  if (FAILED(m_stream->Write(buffer, static_cast<ULONG>(size * count), &written))) return 0;
  const size_t items = written / unit;
  return items > 0 ? items : 1;
}

bool CxStreamFile::Seek(long offset, int origin) {
  if (m_stream == nullptr) return false;
  DWORD how;
  switch (origin) {
    case SEEK_SET: how = STREAM_SEEK_SET; break;
    case SEEK_CUR: how = STREAM_SEEK_CUR; break;
    case SEEK_END: how = STREAM_SEEK_END; break;
    default: return false;
  }
  LARGE_INTEGER move;
  move.QuadPart = offset;
  return SUCCEEDED(m_stream->Seek(move, how, nullptr));
}

long CxStreamFile::Tell() {
  if (m_stream == nullptr) return -1;
  LARGE_INTEGER zero{};
  ULARGE_INTEGER position{};
  if (FAILED(m_stream->Seek(zero, STREAM_SEEK_CUR, &position))) return -1;
  return static_cast<long>(position.QuadPart);
}

long CxStreamFile::Size() {
  if (m_stream == nullptr) return 0;
  STATSTG stat{};
  if (FAILED(m_stream->Stat(&stat, STATFLAG_NONAME))) return 0;
  return static_cast<long>(stat.cbSize.QuadPart);
}

bool CxStreamFile::Flush() {
  if (m_stream == nullptr) return false;
  return SUCCEEDED(m_stream->Commit(STGC_DEFAULT));
}

bool CxStreamFile::Eof() { return m_stream == nullptr; }

long CxStreamFile::Error() { return m_stream != nullptr ? 0 : -1; }

long CxStreamFile::GetC() {
  unsigned char byte = 0;
  if (Read(&byte, 1, 1) != 1) return EOF;
  return byte;
}

}  // namespace velmor
