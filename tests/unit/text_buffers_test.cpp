// The bounded text buffer and the buffered writer all output goes through.
#include <gtest/gtest.h>

#include <string>

#include "common/bounded_text.h"
#include "common/short_copy.h"
#include "common/text_writer.h"

namespace {

TEST(BoundedText, KeepsWhatFitsAndRemembersTheCut) {
  BoundedText<8> text;
  EXPECT_TRUE(text.Assign("abc"));
  EXPECT_TRUE(text.Append("defg"));
  EXPECT_EQ(text.view(), "abcdefg");
  EXPECT_FALSE(text.truncated());
  EXPECT_FALSE(text.Append('h'));
  EXPECT_EQ(text.view(), "abcdefg");
  EXPECT_TRUE(text.truncated());
  EXPECT_STREQ(text.c_str(), "abcdefg");
  text.Resize(2);
  EXPECT_EQ(text.view(), "ab");
  text.Clear();
  EXPECT_TRUE(text.empty());
  EXPECT_FALSE(text.truncated());
}

TEST(BoundedText, RecountStopsAtTheLastByte) {
  BoundedText<4> text;
  for (int i = 0; i < 4; ++i) text.data()[i] = 'x';
  text.Recount();
  EXPECT_EQ(text.view(), "xxx");
}

TEST(CopyShort, CopiesEverySizeExactlyAndNothingAround) {
  std::string source(100, '\0');
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>('A' + i % 53);
  for (std::size_t size = 0; size <= 80; ++size) {
    std::string target(size + 16, '.');
    CopyShort(target.data() + 8, source.data() + 3, size);
    EXPECT_EQ(target, std::string(8, '.') + source.substr(3, size) + std::string(8, '.')) << size;
  }
}

struct Capture {
  std::string bytes;
  int flushes = 0;
  static bool Sink(void* context, const char* data, std::size_t size) {
    auto* self = static_cast<Capture*>(context);
    self->bytes.append(data, size);
    ++self->flushes;
    return true;
  }
};

TEST(TextWriter, BuffersUntilFlushAndTranslatesLineFeeds) {
  Capture out;
  {
    TextWriter writer(Capture::Sink, &out, true);
    writer.Write("a\nb");
    writer.Put('\n');
    writer.Printf("%s=%d\r", "n", 42);
    EXPECT_EQ(out.flushes, 0);
    writer.Flush();
    EXPECT_EQ(out.bytes, "a\r\nb\r\nn=42\r");
    writer.Write("tail");
  }
  EXPECT_EQ(out.bytes, "a\r\nb\r\nn=42\rtail");  // flushed on destruction
}

TEST(TextWriter, LongFormattedOutputIsWrittenWhole) {
  Capture out;
  TextWriter writer(Capture::Sink, &out, false);
  std::string big(100000, 'z');
  writer.Printf("<%s>", big.c_str());
  writer.Flush();
  EXPECT_EQ(out.bytes, "<" + big + ">");
}

// Pieces of every length, line feeds at the edges and at every place inside
// the blocks the writer moves at once, and a text longer than the
// buffer: in text mode each line feed and nothing else becomes CR LF, however
// the bytes fall across the buffer's end.
TEST(TextWriter, TranslatesEveryLineFeedWhereverTheBufferIsFull) {
  for (bool crlf : {true, false}) {
    Capture out;
    std::string expected;
    {
      TextWriter writer(Capture::Sink, &out, crlf);
      std::string piece;
      for (std::size_t i = 0; expected.size() < 300000; ++i) {
        piece.assign(i * 37 % 900, 'a' + static_cast<char>(i % 26));
        if (i % 3 == 0 && !piece.empty()) piece.front() = '\n';
        if (i % 5 == 0) piece += '\n';
        if (i % 7 == 0) piece += "\n\n";
        for (std::size_t at = i % 19; at < piece.size() && i % 4 == 1; at += 1 + at % 17)
          piece[at] = '\n';
        if (i == 100) piece.assign(150000, '\n');
        writer.Write(piece);
        for (char c : piece) {
          if (c == '\n' && crlf) expected += '\r';
          expected += c;
        }
      }
    }
    EXPECT_EQ(out.bytes.size(), expected.size()) << "crlf " << crlf;
    EXPECT_TRUE(out.bytes == expected) << "crlf " << crlf;
  }
}

TEST(TextWriter, AFollowerFlushesWhatItFollowsFirst) {
  Capture bytes;
  TextWriter out(Capture::Sink, &bytes, false);
  TextWriter err(Capture::Sink, &bytes, false, &out);
  out.Write("listing line\n");
  err.Write("message\n");
  out.Write("next\n");
  out.Flush();
  EXPECT_EQ(bytes.bytes, "listing line\nmessage\nnext\n");
}

// A reader that has gone stays gone: the writer stops calling the sink and
// says so, whatever comes after.
TEST(TextWriter, AFailedSinkIsNotCalledAgain) {
  int calls = 0;
  TextWriter writer(
      [](void* context, const char*, std::size_t) {
        ++*static_cast<int*>(context);
        return false;
      },
      &calls, false);
  writer.Write("a");
  EXPECT_FALSE(writer.failed());
  writer.Flush();
  writer.Write(std::string(200000, 'b'));
  writer.Flush();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(writer.failed());
}

}  // namespace
