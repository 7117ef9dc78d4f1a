// A small byte-file abstraction for the script loader: the same reading code runs over a
// standard-I/O file (CxIOFile) or a COM stream (CxStreamFile). Operations on a file that is not
// open answer neutral values and never fail loudly.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <cstdio>

namespace velmor {

class CxFile {
 public:
  CxFile() = default;
  CxFile(const CxFile&) = delete;
  CxFile& operator=(const CxFile&) = delete;
  virtual ~CxFile() = default;

  virtual bool Close() = 0;
  // Answer whole items of 'size' bytes.
  virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
  // origin: SEEK_SET (0), SEEK_CUR (1), SEEK_END (2).
  virtual bool Seek(long offset, int origin) = 0;
  virtual long Tell() = 0;
  virtual long Size() = 0;
  virtual bool Flush() = 0;
  virtual bool Eof() = 0;
  virtual long Error() = 0;
  virtual bool PutC(unsigned char c);
  virtual long GetC() = 0;
  // Copies the whole file from its start into 'destination' and returns to the position it
  // had; false when a seek fails or the destination takes fewer bytes than were read.
  virtual bool CopyTo(CxFile* destination);
};

// Over a standard-I/O FILE. A file opened through Open is owned (closed by Close and the
// destructor); one handed to the constructor is only borrowed.
class CxIOFile : public CxFile {
 public:
  explicit CxIOFile(FILE* file = nullptr) : m_file(file) {}
  ~CxIOFile() override;

  // Opens 'path' with the wide-character fopen ("rb" unless told); false with errno and the
  // thread's last error describing the failure.
  bool Open(const wchar_t* path, const wchar_t* mode = L"rb");
  FILE* GetFile() const { return m_file; }

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(long offset, int origin) override;
  long Tell() override;
  long Size() override;
  bool Flush() override;
  bool Eof() override;
  long Error() override;
  bool PutC(unsigned char c) override;
  long GetC() override;

 private:
  FILE* m_file;
  bool m_owned = false;
};

// Over a COM stream: the object given to the constructor is asked for IStream; without one
// every operation answers its neutral value.
class CxStreamFile : public CxFile {
 public:
  explicit CxStreamFile(IUnknown* object);
  ~CxStreamFile() override;

  IStream* GetStream() const { return m_stream; }

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(long offset, int origin) override;
  long Tell() override;
  long Size() override;
  bool Flush() override;
  bool Eof() override;
  long Error() override;
  long GetC() override;

 private:
  IStream* m_stream = nullptr;  // one reference
};

}  // namespace velmor
