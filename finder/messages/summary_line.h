// The end of a run: the summary line and the finish message.
#pragma once

// The found message with its $C and $S codes filled, on standard output.
void PrintSummaryLine();
// "Finished." over the wait message, on standard error (when standard output
// is not a console).
void PrintFinishMessage();
