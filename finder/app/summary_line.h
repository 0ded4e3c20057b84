// The end of a run: the summary line and the finish message.
#pragma once

#include "finder/records/run_context.h"

// The found message with its $C and $S codes filled, on standard output.
void PrintSummaryLine(const RunContext& run);
// "Finished." over the wait message, on standard error (when standard output
// is not a console).
void PrintFinishMessage(SearchOptions& options);
