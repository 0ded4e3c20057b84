// The option layers: help test, command line, default options, sizes, templates.
#include "finder/options/option_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text_writer.h"

namespace {

struct Capture {
  std::string bytes;
  static bool Sink(void* context, const char* data, std::size_t size) {
    static_cast<Capture*>(context)->bytes.append(data, size);
    return true;
  }
};

TEST(HelpRequest, SwitchesAnywhere) {
  EXPECT_TRUE(IsHelpRequest(" /?"));
  EXPECT_TRUE(IsHelpRequest(" foo -h"));
  EXPECT_FALSE(IsHelpRequest(" foo-h"));
}

TEST(CommandLine, InvalidOption) {
  SearchOptions options;
  Capture capture;
  TextWriter errors(Capture::Sink, &capture, false);
  const CommandLineOutcome outcome = ParseCommandLine(" *.txt /X", options, {}, errors);
  errors.Flush();
  EXPECT_EQ(outcome.kind, CommandLineOutcome::kFail);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(capture.bytes, "Invalid option character. : X\n");
}

}  // namespace
