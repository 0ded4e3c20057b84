#include <windows.h>

#include "common/standard_streams.h"
#include "finder/app/summary_line.h"
#include "finder/listing/found_text.h"
#include "finder/listing/message_loader.h"
#include "finder/records/run_context.h"

void PrintSummaryLine(const RunContext& run) {
  MessageBuffer text;
  if (LoadMessage(msg::kJapaneseFound, run.options.japanese, text) == 0) return;
  StdOut().Write(ExpandFoundText(text.view(), run.totals).view());
  StdOut().Put('\n');
}

void PrintFinishMessage(SearchOptions& options) {
  // 79 blanks wipe the wait message from the console line the cursor is on.
  StdErr().Write(
      "                                                                               \r");
  if (LoadMessage(msg::kJapaneseFinish, options.japanese, options.statusText) == 0) return;
  StdErr().Write(options.statusText.view());
}
