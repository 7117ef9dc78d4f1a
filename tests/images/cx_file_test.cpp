// Byte files over standard I/O and over COM streams: the thirteen operations, their neutral
// answers without a file, and copying between the two kinds.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "base/com_object.h"
#include "images/cx_file.h"
#include "support/test_env.h"

namespace velmor {
namespace {

class CxFileTest : public ::testing::Test {
 protected:
  void SetUp() override { m_dir = test::MakeTempDir(L"cxfile"); }
  void TearDown() override {
    for (const std::wstring& f : m_files) ::DeleteFileW(f.c_str());
    ::RemoveDirectoryW(m_dir.c_str());
  }
  std::wstring File(const wchar_t* name, const std::string& content) {
    const std::wstring path = m_dir + L"\\" + name;
    FILE* f = ::_wfopen(path.c_str(), L"wb");
    if (f != nullptr) {
      ::fwrite(content.data(), 1, content.size(), f);
      ::fclose(f);
    }
    m_files.push_back(path);
    return path;
  }
  static ComPtr<IStream> Stream(const std::string& content) {
    ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    ULONG written = 0;
    if (!content.empty()) stream->Write(content.data(), static_cast<ULONG>(content.size()), &written);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
  }
  static std::string StreamText(IStream* stream) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string text(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(text.data(), static_cast<ULONG>(text.size()), &read);
    return text;
  }

  std::wstring m_dir;
  std::vector<std::wstring> m_files;
};

// Every operation on a file kind that has nothing open answers its neutral value.
TEST_F(CxFileTest, WithoutAFileEveryOperationAnswersItsNeutralValue) {
  class NotAStream final : public ComObject<NotAStream, IUnknown> {};
  ComPtr<IUnknown> notAStream;
  ASSERT_EQ(NotAStream::Create(notAStream), S_OK);

  CxIOFile io;
  CxStreamFile fromNothing(nullptr);
  CxStreamFile fromOther(notAStream.Get());
  EXPECT_EQ(fromOther.GetStream(), nullptr);

  struct Expected {
    const char* name;
    CxFile* file;
    long tell, size, error;
    bool flush, eof;
  } cases[] = {
      {"io", &io, 0, -1, -1, false, true},
      {"stream from null", &fromNothing, -1, 0, -1, false, true},
      {"stream from non-stream", &fromOther, -1, 0, -1, false, true},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[4] = {};
    EXPECT_EQ(c.file->Read(buffer, 1, 4), 0u);
    EXPECT_EQ(c.file->Write("ab", 1, 2), 0u);
    EXPECT_FALSE(c.file->Seek(0, SEEK_SET));
    EXPECT_EQ(c.file->Tell(), c.tell);
    EXPECT_EQ(c.file->Size(), c.size);
    EXPECT_EQ(c.file->Flush(), c.flush);
    EXPECT_EQ(c.file->Eof(), c.eof);
    EXPECT_EQ(c.file->Error(), c.error);
    EXPECT_FALSE(c.file->PutC('x'));
    EXPECT_EQ(c.file->GetC(), EOF);
    EXPECT_TRUE(c.file->Close());
    EXPECT_TRUE(c.file->Close());
    CxIOFile destination;
    EXPECT_FALSE(c.file->CopyTo(&destination));
  }
  notAStream.Reset();
  EXPECT_EQ(LiveObjects<NotAStream>::Count(), 0);
}

TEST_F(CxFileTest, StandardFileReadsSeeksAndMeasures) {
  const std::wstring path = File(L"read.bin", "hello, world");
  CxIOFile file;
  ASSERT_TRUE(file.Open(path.c_str()));
  EXPECT_EQ(file.Size(), 12);
  EXPECT_EQ(file.Tell(), 0);
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 2, 2), 2u);  // whole items
  EXPECT_EQ(std::string(buffer, 4), "hell");
  EXPECT_EQ(file.Size(), 12);
  EXPECT_EQ(file.Tell(), 4);  // measuring leaves the position alone
  EXPECT_EQ(file.GetC(), 'o');
  ASSERT_TRUE(file.Seek(-5, SEEK_END));
  EXPECT_EQ(file.GetC(), 'w');
  ASSERT_TRUE(file.Seek(2, SEEK_CUR));
  EXPECT_EQ(file.Tell(), 10);
  EXPECT_FALSE(file.Eof());
  EXPECT_EQ(file.Read(buffer, 1, 8), 2u);
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.GetC(), EOF);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_FALSE(file.Seek(-1, SEEK_SET));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(file.GetFile(), nullptr);
  EXPECT_TRUE(file.Close());

  // Opened read-only: writes fail quietly, the stream keeps the error and closing reports it
  // (but still lets go of the file).
  ASSERT_TRUE(file.Open(path.c_str()));
  EXPECT_EQ(file.Write("x", 1, 1), 0u);
  EXPECT_FALSE(file.PutC('x'));
  EXPECT_NE(file.Error(), 0);
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(file.GetFile(), nullptr);
  EXPECT_TRUE(file.Close());
}

TEST_F(CxFileTest, StandardFileWritesAndFlushes) {
  const std::wstring path = File(L"write.bin", "");
  {
    CxIOFile file;
    ASSERT_TRUE(file.Open(path.c_str(), L"w+b"));
    EXPECT_EQ(file.Write("abcdef", 3, 2), 2u);
    EXPECT_TRUE(file.PutC('g'));
    EXPECT_TRUE(file.PutC(0xFF));  // a byte, not a character: 0xFF is not EOF here
    EXPECT_TRUE(file.Flush());
    EXPECT_EQ(file.Size(), 8);
    EXPECT_EQ(test::ReadFileText(path), std::string("abcdefg\xFF"));
    ASSERT_TRUE(file.Seek(7, SEEK_SET));
    EXPECT_EQ(file.GetC(), 0xFF);
  }  // the destructor closes an owned file
  EXPECT_TRUE(::DeleteFileW(path.c_str()));
}

TEST_F(CxFileTest, OpeningAMissingFileLeavesASystemError) {
  CxIOFile file;
  ::SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(file.Open((m_dir + L"\\missing.js").c_str()));
  EXPECT_EQ(file.GetFile(), nullptr);
  const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(HRESULT_CODE(hr), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(file.Open(nullptr));
}

TEST_F(CxFileTest, ABorrowedFileIsNotClosed) {
  const std::wstring path = File(L"borrowed.bin", "xyz");
  FILE* raw = ::_wfopen(path.c_str(), L"rb");
  ASSERT_NE(raw, nullptr);
  {
    CxIOFile file(raw);
    EXPECT_EQ(file.GetC(), 'x');
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.GetFile(), raw);
  }
  EXPECT_EQ(::fgetc(raw), 'y');  // still open after the holder is gone
  EXPECT_EQ(::fclose(raw), 0);
}

TEST_F(CxFileTest, StreamFileReadsWritesAndSeeks) {
  ComPtr<IStream> stream = Stream("0123456789");
  CxStreamFile file(stream.Get());
  ASSERT_EQ(file.GetStream(), stream.Get());
  EXPECT_EQ(file.Size(), 10);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_FALSE(file.Eof());  // a stream never reports its end
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 4, 2), 2u);
  EXPECT_EQ(std::string(buffer, 8), "01234567");
  EXPECT_EQ(file.Read(buffer, 4, 2), 0u);  // two bytes left: no whole item
  EXPECT_EQ(file.Tell(), 10);
  EXPECT_FALSE(file.Eof());
  EXPECT_EQ(file.GetC(), EOF);
  EXPECT_EQ(file.Read(buffer, 0, 3), 0u);

  ASSERT_TRUE(file.Seek(-3, SEEK_END));
  EXPECT_EQ(file.GetC(), '7');
  ASSERT_TRUE(file.Seek(1, SEEK_CUR));
  EXPECT_EQ(file.GetC(), '9');
  ASSERT_TRUE(file.Seek(2, SEEK_SET));
  EXPECT_FALSE(file.Seek(0, 7));

  EXPECT_EQ(file.Write("abcd", 2, 2), 2u);
  EXPECT_TRUE(file.PutC('!'));
  EXPECT_EQ(file.Tell(), 7);
  EXPECT_TRUE(file.Flush());
  EXPECT_EQ(StreamText(stream.Get()), "01abcd!789");
}

TEST_F(CxFileTest, StreamWritesCountAtLeastOneItemWhenTheStreamAgrees) {
  ComPtr<IStream> stream = Stream("");
  CxStreamFile file(stream.Get());
  EXPECT_EQ(file.Write("abc", 0, 3), 1u);  // nothing written, but the call succeeded
  EXPECT_EQ(file.Write("abc", 4, 0), 1u);
  EXPECT_EQ(file.Write("abc", 2, 1), 1u);
  EXPECT_EQ(file.Write("abcdef", 1, 6), 6u);
  EXPECT_EQ(file.Size(), 8);
}

TEST_F(CxFileTest, StreamFileHoldsOneReferenceUntilClosed) {
  ComPtr<IStream> stream = Stream("abc");
  auto refs = [&] {
    stream->AddRef();
    return stream->Release();
  };
  const ULONG alone = refs();
  {
    CxStreamFile file(stream.Get());
    EXPECT_EQ(refs(), alone + 1);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(refs(), alone);
    EXPECT_EQ(file.GetStream(), nullptr);
    EXPECT_TRUE(file.Eof());
  }
  {
    CxStreamFile file(stream.Get());
  }
  EXPECT_EQ(refs(), alone);
}

// A destination that takes at most 'room' bytes in all.
class LimitedFile final : public CxStreamFile {
 public:
  LimitedFile(IUnknown* stream, size_t room) : CxStreamFile(stream), m_room(room) {}
  size_t Write(const void* buffer, size_t size, size_t count) override {
    const size_t n = std::min(size * count, m_room);
    m_room -= n;
    return n == 0 ? 0 : CxStreamFile::Write(buffer, 1, n);
  }

 private:
  size_t m_room;
};

TEST_F(CxFileTest, CopyToCopiesEverythingAndKeepsThePosition) {
  std::string big;
  for (int i = 0; i < 3000; ++i) big += static_cast<char>('a' + i % 26);  // several chunks
  const struct {
    const char* name;
    std::string content;
  } contents[] = {{"empty", ""}, {"small", "script text"}, {"chunks", big}};
  for (const auto& c : contents) {
    SCOPED_TRACE(c.name);
    // File to stream.
    const std::wstring path = File(L"copy.bin", c.content);
    CxIOFile source;
    ASSERT_TRUE(source.Open(path.c_str()));
    const long middle = static_cast<long>(c.content.size() / 2);
    ASSERT_TRUE(source.Seek(middle, SEEK_SET));
    ComPtr<IStream> target = Stream("");
    CxStreamFile destination(target.Get());
    EXPECT_TRUE(source.CopyTo(&destination));
    EXPECT_EQ(StreamText(target.Get()), c.content);
    EXPECT_EQ(source.Tell(), middle);
    source.Close();

    // Stream to file.
    ComPtr<IStream> from = Stream(c.content);
    CxStreamFile streamSource(from.Get());
    const std::wstring out = File(L"out.bin", "");
    {
      CxIOFile file;
      ASSERT_TRUE(file.Open(out.c_str(), L"wb"));
      EXPECT_TRUE(streamSource.CopyTo(&file));
    }
    EXPECT_EQ(test::ReadFileText(out), c.content);
    EXPECT_EQ(streamSource.Tell(), 0);
  }
}

TEST_F(CxFileTest, CopyToStopsWhenTheDestinationTakesLess) {
  ComPtr<IStream> from = Stream(std::string(2500, 'q'));
  CxStreamFile source(from.Get());
  ASSERT_TRUE(source.Seek(7, SEEK_SET));
  ComPtr<IStream> to = Stream("");
  LimitedFile destination(to.Get(), 1500);
  EXPECT_FALSE(source.CopyTo(&destination));
  EXPECT_EQ(StreamText(to.Get()).size(), 1500u);
  EXPECT_EQ(source.Tell(), 7);
  EXPECT_FALSE(source.CopyTo(nullptr));
}

}  // namespace
}  // namespace velmor
