// Byte files over standard I/O and over COM streams: the same operations on both kinds, their
// neutral answers without a file, ownership of what they were given, and copying between them.
// The script loader reads every script file and stream through them (tests/script).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "base/com_object.h"
#include "images/cx_file.h"
#include "support/test_env.h"

namespace velmor {
namespace {

ComPtr<IStream> Stream(const std::string& content) {
  ComPtr<IStream> stream;
  ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  ULONG written = 0;
  if (!content.empty()) stream->Write(content.data(), static_cast<ULONG>(content.size()), &written);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::string StreamText(IStream* stream) {
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::string text(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(text.data(), static_cast<ULONG>(text.size()), &read);
  return text;
}

class CxFileTest : public ::testing::Test {
 protected:
  std::wstring File(const wchar_t* name, const std::string& content) {
    const std::wstring path = m_dir + L"\\" + name;
    EXPECT_TRUE(test::WriteFileBytes(path, content));
    return path;
  }
  // Both kinds opened over the same bytes (the stream one over a stream it holds).
  std::unique_ptr<CxFile> Open(bool stream, const std::string& content, const wchar_t* mode = L"rb") {
    if (stream) return std::make_unique<CxStreamFile>(Stream(content).Get());
    auto file = std::make_unique<CxIOFile>();
    EXPECT_TRUE(file->Open(File(L"file.bin", content).c_str(), mode));
    return file;
  }
  const std::wstring m_dir = test::MakeTempDir(L"cxfile");
};

TEST_F(CxFileTest, BothKindsReadSeekAndMeasure) {
  for (bool stream : {false, true}) {
    SCOPED_TRACE(stream ? "stream" : "standard I/O");
    std::unique_ptr<CxFile> file = Open(stream, "0123456789");
    EXPECT_EQ(file->Size(), 10);
    char buffer[8] = {};
    EXPECT_EQ(file->Read(buffer, 2, 2), 2u) << "whole items";
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file->Size(), 10);
    EXPECT_EQ(file->Tell(), 4) << "measuring leaves the position alone";
    EXPECT_EQ(file->GetC(), '4');
    ASSERT_TRUE(file->Seek(-3, SEEK_END));
    EXPECT_EQ(file->GetC(), '7');
    ASSERT_TRUE(file->Seek(1, SEEK_CUR));
    EXPECT_EQ(file->GetC(), '9');
    EXPECT_EQ(file->Read(buffer, 4, 2), 0u) << "nothing left: no whole item";
    EXPECT_EQ(file->GetC(), EOF);
    EXPECT_EQ(file->Eof(), !stream) << "a stream never reports its end";
    EXPECT_EQ(file->Error(), 0);
    EXPECT_FALSE(file->Seek(0, 7));
    EXPECT_EQ(file->Read(buffer, 0, 3), 0u);
    EXPECT_TRUE(file->Close());
    EXPECT_TRUE(file->Close());
    EXPECT_TRUE(file->Eof());
  }
}

TEST_F(CxFileTest, BothKindsWriteAndFlush) {
  for (bool stream : {false, true}) {
    SCOPED_TRACE(stream ? "stream" : "standard I/O");
    ComPtr<IStream> target = Stream("0123456789");
    std::unique_ptr<CxFile> file;
    if (stream) {
      file = std::make_unique<CxStreamFile>(target.Get());
    } else {
      file = Open(false, "0123456789", L"r+b");
    }
    ASSERT_TRUE(file->Seek(2, SEEK_SET));
    EXPECT_EQ(file->Write("abcd", 2, 2), 2u);
    EXPECT_TRUE(file->PutC(0xFF)) << "a byte, not a character: 0xFF is not EOF here";
    EXPECT_EQ(file->Tell(), 7);
    EXPECT_TRUE(file->Flush());
    ASSERT_TRUE(file->Seek(6, SEEK_SET));
    EXPECT_EQ(file->GetC(), 0xFF);
    file->Close();
    EXPECT_EQ(stream ? StreamText(target.Get()) : test::ReadFileText(m_dir + L"\\file.bin"),
              std::string("01abcd\xFF" "789"));
  }
  // A stream counts at least one item written when it agrees, whatever the sizes.
  ComPtr<IStream> empty = Stream("");
  CxStreamFile file(empty.Get());
  EXPECT_EQ(file.Write("abc", 0, 3), 1u);
  EXPECT_EQ(file.Write("abc", 4, 0), 1u);
  EXPECT_EQ(file.Write("abcdef", 1, 6), 6u);
  // A read-only file: writes fail quietly, the error stays and closing reports it.
  std::unique_ptr<CxFile> readOnly = Open(false, "x");
  EXPECT_EQ(readOnly->Write("x", 1, 1), 0u);
  EXPECT_FALSE(readOnly->PutC('x'));
  EXPECT_NE(readOnly->Error(), 0);
  EXPECT_FALSE(readOnly->Close());
  EXPECT_TRUE(readOnly->Close());
}

TEST_F(CxFileTest, WithoutAFileEveryOperationAnswersItsNeutralValue) {
  // (A stream holder over something that is not a stream holds nothing either: the loader's
  // stream test in tests/script.)
  CxIOFile io;
  CxStreamFile fromNothing(nullptr);
  const struct {
    const char* name;
    CxFile* file;
    long tell, size;
  } cases[] = {{"io", &io, 0, -1}, {"null", &fromNothing, -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[4] = {};
    EXPECT_EQ(c.file->Read(buffer, 1, 4), 0u);
    EXPECT_EQ(c.file->Write("ab", 1, 2), 0u);
    EXPECT_FALSE(c.file->Seek(0, SEEK_SET));
    EXPECT_EQ(c.file->Tell(), c.tell);
    EXPECT_EQ(c.file->Size(), c.size);
    EXPECT_FALSE(c.file->Flush());
    EXPECT_TRUE(c.file->Eof());
    EXPECT_EQ(c.file->Error(), -1);
    EXPECT_FALSE(c.file->PutC('x'));
    EXPECT_EQ(c.file->GetC(), EOF);
    EXPECT_TRUE(c.file->Close());
    CxIOFile destination;
    EXPECT_FALSE(c.file->CopyTo(&destination));
  }
  // (A missing file leaves the system's error for the caller: the loader's file errors.)
  EXPECT_FALSE(io.Open(nullptr));
}

TEST_F(CxFileTest, BorrowedFilesStayOpenAndStreamsAreHeldUntilClosed) {
  FILE* raw = ::_wfopen(File(L"borrowed.bin", "xyz").c_str(), L"rb");
  ASSERT_NE(raw, nullptr);
  {
    CxIOFile file(raw);
    EXPECT_EQ(file.GetC(), 'x');
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(file.GetFile(), raw);
  }
  EXPECT_EQ(::fgetc(raw), 'y') << "still open after the holder is gone";
  EXPECT_EQ(::fclose(raw), 0);

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
  }
  { CxStreamFile file(stream.Get()); }
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

TEST_F(CxFileTest, CopyToCopiesEverythingBothWaysAndKeepsThePosition) {
  std::string big;
  for (int i = 0; i < 3000; ++i) big += static_cast<char>('a' + i % 26);  // several chunks
  for (const std::string& content : {std::string(), std::string("script text"), big}) {
    for (bool fromStream : {false, true}) {
      SCOPED_TRACE(testing::Message() << content.size() << (fromStream ? " from stream" : " from file"));
      std::unique_ptr<CxFile> source = Open(fromStream, content);
      const long middle = static_cast<long>(content.size() / 2);
      ASSERT_TRUE(source->Seek(middle, SEEK_SET));
      ComPtr<IStream> target = Stream("");
      CxStreamFile toStream(target.Get());
      CxIOFile toFile;
      ASSERT_TRUE(toFile.Open(File(L"out.bin", "").c_str(), L"wb"));
      EXPECT_TRUE(source->CopyTo(fromStream ? static_cast<CxFile*>(&toFile) : &toStream));
      toFile.Close();
      EXPECT_EQ(fromStream ? test::ReadFileText(m_dir + L"\\out.bin") : StreamText(target.Get()),
                content);
      EXPECT_EQ(source->Tell(), middle);
    }
  }
  ComPtr<IStream> from = Stream(std::string(2500, 'q'));
  CxStreamFile source(from.Get());
  ASSERT_TRUE(source.Seek(7, SEEK_SET));
  ComPtr<IStream> to = Stream("");
  LimitedFile destination(to.Get(), 1500);
  EXPECT_FALSE(source.CopyTo(&destination)) << "the destination took less than was read";
  EXPECT_EQ(StreamText(to.Get()).size(), 1500u);
  EXPECT_EQ(source.Tell(), 7);
  EXPECT_FALSE(source.CopyTo(nullptr));
}

}  // namespace
}  // namespace velmor
