// The configuration file in both directions, the configurator's command
// line, and mode W's work per line on a fake table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/text_writer.h"
#include "configurator/configuration_reader.h"
#include "configurator/configuration_writer.h"
#include "configurator/configurator_arguments.h"

namespace {

struct Capture {
  std::string bytes;
  TextWriter writer{Sink, this, false};
  static bool Sink(void* context, const char* data, std::size_t size) {
    static_cast<Capture*>(context)->bytes.append(data, size);
    return true;
  }
  std::string Text() {
    writer.Flush();
    return bytes;
  }
};

TEST(ParseConfigurationLine, FindsTheKeyAndTheTextBetweenTheQuotes) {
  struct Row {
    std::string line;
    const char* key;  // nullptr: the line is skipped
    std::string value;
  };
  const Row rows[] = {
      {"DefaultOption=\"/J /O /U\"", "DefaultOption", "/J /O /U"},
      {"  englishpause = \"Wait\"", "EnglishPause", "Wait"},
      {"\t==EnglishFinish\t\"Done.\" and text behind", "EnglishFinish", "Done."},
      {"JananeseFound junk \"$N$C10\"", "JananeseFound", "$N$C10"},
      {"JapaneseFound=\"a\"", "JananeseFound", "a"},
      {"JapanesePause=\"c\"", "JananesePause", "c"},
      {"EnglishQuery=\"no closing quote", "EnglishQuery", "no closing quote"},
      {"EnglishQuery=\"\"", "EnglishQuery", ""},
      {"EnglishQuery=\"", "EnglishQuery", ""},
      {"EnglishQuery=\"\"\"third\"", "EnglishQuery", ""},
      {";EnglishPause=\"comment\"", nullptr, ""},
      {";Configuration File Version 1.00", nullptr, ""},
      {"", nullptr, ""},
      {" \t= ", nullptr, ""},
      {"EnglishPauses=\"x\"", nullptr, ""},
      {"EnglishPause", nullptr, ""},
      {"EnglishPause no quote", nullptr, ""},
      {"x EnglishPause=\"not first\"", nullptr, ""},
      {"EnglishPause\"glued\"", nullptr, ""},
  };
  for (const Row& row : rows) {
    auto parsed = ParseConfigurationLine(row.line);
    if (!row.key) {
      EXPECT_FALSE(parsed) << row.line;
      continue;
    }
    ASSERT_TRUE(parsed) << row.line;
    EXPECT_EQ(parsed->slot->key, row.key) << row.line;
    EXPECT_EQ(parsed->value, row.value) << row.line;
  }
}

TEST(NormalizeDefaultOptions, KeepsOptionsAsTheFinderReadsThem) {
  const std::string kLongS = "/S:" + std::string(73, '1') + " /O";
  struct Row {
    std::string value;
    const char* stored;  // nullptr: refused
    std::string message;
  };
  const Row rows[] = {
      {"/J /O /U", "/J /O /U", ""},
      {"-u /Jfoo /S:100-200 junk /Zdata", "-u /J /S:100-200 /Zdata", ""},
      {"/!J /O", "/O", ""},
      {"\t/-p\t/e  /a:rhs /t:12:00-13:00 /c /l /d:-1 /f:8.3",
       "/e /a:rhs /t:12:00-13:00 /c /l /d:-1 /f:8.3", ""},
      {"", "", ""},
      {"/X:7z=*.7z;*.cb7,RAR /-X", "/X:7z=*.7z;*.cb7,RAR", ""},
      {"/K:932 /-K /k", "/K:932 /k", ""},
      {"/M2 /-M /m", "/M2 /m", ""},
      {"/O /q", nullptr, "Invalid option character. : q\n"},
      {"/O -", nullptr, std::string("Invalid option character. : \0\n", 30)},
      {"/Z" + std::string(80, 'z') + " /O", "/O", ""},
      {std::string(26, ' ') +
           "/U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U",
       "/U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U /U", ""},
      {"/S:" + std::string(73, '1') + " /O /U", kLongS.c_str(), ""},
  };
  for (const Row& row : rows) {
    Capture errors;
    auto stored = NormalizeDefaultOptions(row.value, errors.writer);
    if (row.stored) {
      ASSERT_TRUE(stored) << row.value;
      EXPECT_EQ(*stored, row.stored) << row.value;
    } else {
      EXPECT_FALSE(stored) << row.value;
    }
    EXPECT_EQ(errors.Text(), row.message) << row.value;
  }
}

TEST(UnescapeMessage, ReplacesEachEscapeLeftToRight) {
  const std::pair<std::string, std::string> rows[] = {
      {"$N$C10 files  $S19 bytes found!", "\n$C10 files  $S19 bytes found!"},
      {"$n$c10 $s19", "\n$C10 $S19"},
      {"$$N", "$N"},
      {"$$", "$"},
      {"cost $5", "cost 5"},
      {"cost $$5", "cost $5"},
      {"end$", "end"},
      {"$x$", "x"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const auto& [value, text] : rows) EXPECT_EQ(UnescapeMessage(value), text) << value;
}

TEST(ConvertConfigurationLine, ChecksEachKeyAsItNeeds) {
  struct Row {
    std::string line;
    unsigned id;  // 0: refused or skipped
    std::string text;
    std::string message;
  };
  const Row rows[] = {
      {"EnglishFound=\"$N$C10 files\"", 15, "\n$C10 files", ""},
      {"EnglishWait=\"caf\xe9\"", 0, "", "EnglishWait includes not ascii code.\n"},
      {"englishnotfound=\"\x82\xa0\"", 0, "", "EnglishNotFound includes not ascii code.\n"},
      {"JananesePause=\"\x89\xbd\x82\xa9$n\"", 7, "\x89\xbd\x82\xa9\n", ""},
      {"DefaultOption=\"/j /q\"", 0, "", "Invalid option character. : q\n"},
      {"DefaultOption=\"-u /Jfoo\"", 1, "-u /J", ""},
      {"EnglishPause=\"\"", 19, "", ""},
      {"Nothing=\"x\"", 0, "", ""},
  };
  for (const Row& row : rows) {
    Capture errors;
    auto value = ConvertConfigurationLine(row.line, errors.writer);
    EXPECT_EQ(value ? value->slot->textId : 0u, row.id) << row.line;
    if (value) {
      EXPECT_EQ(value->text, row.text) << row.line;
    }
    EXPECT_EQ(errors.Text(), row.message) << row.line;
  }
}

TEST(LineAssembler, GivesWholeLinesHoweverTheFileIsCut) {
  std::string file = "first\r\n" + std::string(100000, 'L') + "\r\nlone\rcr\n\nlast";
  for (std::size_t piece : {1u, 2u, 7u, 4096u, 1000000u}) {
    std::vector<std::string> lines;
    LineAssembler assembler;
    auto add = [&lines](std::string_view line) { lines.emplace_back(line); };
    for (std::size_t at = 0; at < file.size(); at += piece) {
      assembler.Feed(std::string_view(file).substr(at, piece), add);
    }
    assembler.Finish(add);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"first", std::string(100000, 'L'), "lone\rcr", "", "last"}))
        << piece;
  }
}

class FakeMessages final : public MessageSource {
 public:
  std::vector<std::pair<unsigned, std::string>> texts;
  unsigned inexact = 0;  // a text the code page could not hold whole
  bool Load(unsigned id, std::string_view& text, unsigned long& errorCode) override {
    exact_ = id != inexact;
    for (const auto& [known, value] : texts) {
      if (known == id && !value.empty()) {
        text = value;
        return true;
      }
    }
    errorCode = 1814;
    return false;
  }
  bool Exact() const override { return exact_; }

 private:
  bool exact_ = true;
};

TEST(ReadConfiguration, WritesTheNineLinesWithLineFeedsAsEscapes) {
  FakeMessages messages;
  messages.texts = {{1, "/J /O /U"},
                    {3, "\nJ found\n"},
                    {5, "J not found"},
                    {7, "J pause"},
                    {9, "J query"},
                    {11, "J wait"},
                    {15, "\n$C10 files  $S19 bytes found!"},
                    {17, "Cannot find files..."},
                    {19, "say \"$x\""},
                    {21, "Enter:Execute    Space:Skip    ESC:Cancel"},
                    {25, "Finished."}};
  Capture out, errors;
  EXPECT_TRUE(ReadConfiguration(messages, out.writer, errors.writer));
  EXPECT_EQ(out.Text(),
            "DefaultOption=\"/J /O /U\"\n"
            "JananeseFound=\"$NJ found$N\"\n"
            "JananeseNotFound=\"J not found\"\n"
            "JananesePause=\"J pause\"\n"
            "JapaneseQuery=\"J query\"\n"
            "EnglishFound=\"$N$C10 files  $S19 bytes found!\"\n"
            "EnglishNotFound=\"Cannot find files...\"\n"
            "EnglishPause=\"say \"$x\"\"\n"
            "EnglishQuery=\"Enter:Execute    Space:Skip    ESC:Cancel\"\n");
  EXPECT_EQ(errors.Text(), "");

  // Texts written with stand-ins are named, and their lines are written all the same.
  messages.inexact = 9;
  Capture lossy, lossyErrors;
  EXPECT_TRUE(ReadConfiguration(messages, lossy.writer, lossyErrors.writer));
  EXPECT_EQ(lossy.Text(), out.Text());
  EXPECT_EQ(lossyErrors.Text(), "JapaneseQuery cannot be written in this code page.\n");
  messages.inexact = 0;

  // A text that does not load ends the file there, after its error.
  messages.texts[3].second = "";
  Capture cut, cutErrors;
  EXPECT_FALSE(ReadConfiguration(messages, cut.writer, cutErrors.writer));
  EXPECT_EQ(cut.Text(),
            "DefaultOption=\"/J /O /U\"\n"
            "JananeseFound=\"$NJ found$N\"\n"
            "JananeseNotFound=\"J not found\"\n");
  EXPECT_EQ(cutErrors.Text(), "Error Code : 1814\n");
}

TEST(ParseConfiguratorArguments, TakesModesAnywhereAndFilesInOrder) {
  struct Row {
    std::vector<std::string_view> args;
    ConfigMode mode, modeAtExecutable;
    std::string_view executable, configuration;
  };
  using enum ConfigMode;
  const Row rows[] = {
      {{"TLVC"}, kRead, kRead, "TLVC", ""},
      {{"TLVC", "MY"}, kRead, kRead, "TLVC", "MY"},
      {{"w", "TLVC.EXE", "MY.CFG"}, kWrite, kWrite, "TLVC.EXE", "MY.CFG"},
      {{"TLVC.EXE", "MY.CFG", "W"}, kWrite, kRead, "TLVC.EXE", "MY.CFG"},
      {{"W", "TLVC", "r", "MY", "more", "w"}, kWrite, kWrite, "TLVC", "MY"},
      {{"RW", "X"}, kRead, kRead, "RW", "X"},
      {{"W"}, kWrite, kWrite, "", ""},
  };
  for (const Row& row : rows) {
    auto parsed = ParseConfiguratorArguments(row.args);
    EXPECT_EQ(parsed.mode, row.mode);
    EXPECT_EQ(parsed.modeAtExecutable, row.modeAtExecutable);
    EXPECT_EQ(parsed.executable, row.executable);
    EXPECT_EQ(parsed.configuration, row.configuration);
  }
}

TEST(AddDefaultExtension, LooksOnlyAtTheLastComponent) {
  const std::pair<std::string, std::string> rows[] = {
      {"C:\\TOOLS\\TLVC", "C:\\TOOLS\\TLVC.EXE"},
      {"C:\\A.B\\TLVC", "C:\\A.B\\TLVC.EXE"},
      {"C:\\TOOLS\\TLVC.BIN", "C:\\TOOLS\\TLVC.BIN"},
      {"TLVC.", "TLVC."},
      {"TLVC", "TLVC.EXE"},
  };
  for (const auto& [path, extended] : rows) {
    auto text = std::make_unique<PathText>(path);
    EXPECT_TRUE(AddDefaultExtension(*text, ".EXE"));
    EXPECT_EQ(text->view(), extended);
  }
  auto full = std::make_unique<PathText>(std::string(PathText::capacity() - 3, 'a'));
  EXPECT_FALSE(AddDefaultExtension(*full, ".EXE"));
}

}  // namespace
