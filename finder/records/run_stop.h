// A run that ends before its search is done: the output is gone (a write to
// standard output failed), the top directory could not be read or is not
// there, or the user answered Cancel at a query. Whoever meets the reason
// records it here; the walk, the archive passes, the readers and the PATH
// lookup ask Stopped() after each entry and return, no command runs after it,
// and the run flow ends the run with status() and without a summary. The
// failures a run goes on after are noted here too, for its exit status.
#pragma once

#include "common/error_code.h"
#include "common/text_writer.h"

class RunStop {
 public:
  // The writer whose failure stops the run: standard output.
  void Watch(const TextWriter& output) { output_ = &output; }
  // The first request sets the exit status; later ones change nothing.
  void Request(int status) {
    if (requested_) return;
    requested_ = true;
    status_ = status;
  }
  // Writes the "Error Code" line of a system error to `errors` and stops
  // the run with that code.
  void Fail(TextWriter& errors, unsigned long code) {
    WriteErrorCode(errors, code);
    Request(static_cast<int>(code));
  }
  // A failure the run goes on after (a subdirectory that cannot be read, a
  // command that cannot start): its "Error Code" line is written, and the
  // first such code becomes the exit status of a run that otherwise ends
  // normally, so that scripts see the search was incomplete.
  void Note(TextWriter& errors, unsigned long code) {
    WriteErrorCode(errors, code);
    if (firstNoted_ == 0) firstNoted_ = static_cast<int>(code);
  }
  int firstNoted() const { return firstNoted_; }

  bool Stopped() const { return requested_ || (output_ != nullptr && output_->failed()); }
  // Meaningful once Stopped(); a failed output's own code is the end of
  // run's business (EndStandardStreams).
  int status() const { return status_; }

 private:
  const TextWriter* output_ = nullptr;
  bool requested_ = false;
  int status_ = 0;
  int firstNoted_ = 0;
};
