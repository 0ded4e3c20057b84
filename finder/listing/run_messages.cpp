#include "finder/listing/run_messages.h"

std::string_view StarInNameMessage(bool japanese) {
  return japanese ? "E オプション指定時はファイル名に '*' を含めることができません.\n"
                  : "Cannot include '*' in file name.\n";
}

std::string_view QuestionMarkInNameMessage(bool japanese) {
  return japanese ? "E オプション指定時はファイル名に '?' を含めることができません.\n"
                  : "Cannot include '?' in file name.\n";
}

std::string_view ShareNotSpecifiedMessage(bool japanese) {
  return japanese ? "共有ディレクトリ名が指定されていません.\n"
                  : "Name of shared directory is not specified.\n";
}
