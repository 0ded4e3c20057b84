#include "finder/options/settled_options.h"

#include "finder/listing/run_messages.h"

std::string_view SettleOptions(SearchOptions& options, bool outputIsConsole) {
  if (options.findExecutable) {
    const std::string_view name = options.fileNameText.view();
    if (name.find('*') != std::string_view::npos) return StarInNameMessage(options.japanese);
    if (name.find('?') != std::string_view::npos)
      return QuestionMarkInNameMessage(options.japanese);
  }
  if (!outputIsConsole) options.pausePerScreen = false;
  const bool archives = AnyArchiveWanted(options);
  if (options.form != 0 && archives) options.form = 1;
  options.needDetails =
      options.attributesRequired != 0 || options.attributesExcluded != 0 || options.form != 0;
  if (options.runCommand && archives && !options.findExecutable) {
    options.runCommandOnMembers = true;
    options.runCommand = false;
  }
  return {};
}
