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
  // The whole length in bytes, whatever the position.
  virtual long Size() = 0;
};

// Over a standard-I/O FILE opened through Open and closed by Close and the destructor.
class CxIOFile : public CxFile {
 public:
  CxIOFile() = default;
  ~CxIOFile() override;

  // Opens 'path' with the wide-character fopen ("rb" unless told); false with errno and the
  // thread's last error describing the failure.
  bool Open(const wchar_t* path, const wchar_t* mode = L"rb");

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  long Size() override;

 private:
  FILE* m_file = nullptr;
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
  long Size() override;

 private:
  IStream* m_stream = nullptr;  // one reference
};

}  // namespace velmor
