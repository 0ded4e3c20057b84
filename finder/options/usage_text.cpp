#include "finder/options/usage_text.h"

#include "finder/archive/archive_format.h"
#include "tlvc_version.h"

namespace {

// The heading of the usage, English and Japanese.
constexpr std::string_view kHeading[2] = {
    "TALVEN for Console Version " TLVC_VERSION_TEXT
    " (C) 2026 The TLVC Developers\n"
    "TLVC [[drive:]|[\\\\computer]][path]<filename> [option] [option]... [commandline]\n"
    "OPTIONS\n",
    "たるべん for コンソール Version " TLVC_VERSION_TEXT
    " (C) 2026 The TLVC Developers\n"
    "TLVC [[drive:]|[\\\\computer]][path]<filename> [option] [option]... [commandline]\n"
    "OPTIONS\n"};

// The lines of the options that are no archive kind; the kinds bring their
// own (archive_format.h). The usage lists every option in letter order.
struct OptionUsage {
  char letter;
  std::string_view lines[2];
};

constexpr OptionUsage kOptions[] = {
    {'A',
     {"  /A[:][attribute]   specifies Attributes.\n"
      "                     [attribute] : [[!]D][[!]R][[!]H][[!]S][[[!]A]\n",
      "  /A[:][attribute]   指定した属性のファイルを検索します.\n"
      "                     [attribute] : [[!]D][[!]R][[!]H][[!]S][[[!]A]\n"}},
    {'D',
     {"  /D[:]<[d1]-[d2]>   specifies last write Date.\n"
      "                     [d1],[d2] : yy/mm/dd | T[Y[-|+]nn][M[-|+]nn][D[-|+]nn]\n",
      "  /D[:]<[d1]-[d2]>   指定した更新日付のファイルを検索します.\n"
      "                     [d1],[d2] : yy/mm/dd | T[Y[-|+]nn][M[-|+]nn][D[-|+]nn]\n"}},
    {'F',
     {"  /F[:][0|1|2]       specifies Form.\n", "  /F[:][0|1|2]       出力形式を指定します.\n"}},
    {'J',
     {"  /J                 displays message in Japanese.\n",
      "  /J                 メッセージを日本語で表示します.\n"}},
    {'K',
     {"  /K[:n]             reads archive names stored as bytes in code page n.\n",
      "  /K[:n]             アーカイブ内のファイル名をコードページ n で読みます.\n"}},
    {'M',
     {"  /M[:][1|2|3]       opens archives stored uncompressed inside archives.\n",
      "  /M[:][1|2|3]       アーカイブ内の無圧縮のアーカイブも検索します.\n"}},
    {'N',
     {"  /N                 No echo of file name.\n",
      "  /N                 ファイル名を出力しないようにします.\n"}},
    {'O',
     {"  /O                 searches for Ordinary files.\n",
      "  /O                 通常のファイルを検索します.\n"}},
    {'P',
     {"  /P                 Pauses after each screenful of information.\n",
      "  /P                 １画面ごとに停止して表示します.\n"}},
    {'S',
     {"  /S[:]<[s1]-[s2]>   specifies File size.\n",
      "  /S[:]<[s1]-[s2]>   指定したファイルサイズのファイルを検索します.\n"}},
    {'T',
     {"  /T[:]<[t1]-[t2]>   specifies last write Time.\n"
      "                     [t1],[t2] : hh:mm:dd | N[H[-|+]nn][M[-|+]nn][S[-|+]nn]\n",
      "  /T[:]<[t1]-[t2]>   指定した更新時刻のファイルを検索します.\n"
      "                     [t1],[t2] : hh:mm:dd | N[H[-|+]nn][M[-|+]nn][S[-|+]nn]\n"}},
    {'U',
     {"  /U                 searches Subdirectory.\n",
      "  /U                 サブディレクトリを検索します.\n"}},
    {'W',
     {"  /W                 shows the Whole path of archive members.\n",
      "  /W                 アーカイブ内のファイルをパス付きで表示します.\n"}},
};

// /X names the kinds of the table.
std::string ArchiveKindsUsage(int language) {
  std::string text(
      language == 0
          ? "  /X[:kinds]         searches archives of every kind, or of the kinds named.\n"
          : "  /X[:kinds]         "
            "すべての(または指定した)種類のアーカイブファイル内を検索します.\n");
  text += "                     [kinds] : *|kind[=name;name...][,kind[=name;name...]]...\n";
  // The kinds from the table, wrapped under the first so that no line
  // passes 79 columns.
  constexpr std::string_view kKindLead = "                     kind :";
  constexpr std::size_t kWidth = 79;
  text += kKindLead;
  std::size_t column = kKindLead.size();
  for (const ArchiveFormat& format : kArchiveFormats) {
    if (column + 1 + format.name.size() > kWidth) {
      text += '\n';
      text.append(kKindLead.size(), ' ');
      column = kKindLead.size();
    }
    text += ' ';
    text += format.name;
    column += 1 + format.name.size();
  }
  text += '\n';
  return text;
}

}  // namespace

std::string UsageText(bool japanese) {
  const int language = japanese ? 1 : 0;
  std::string text(kHeading[language]);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    for (const OptionUsage& option : kOptions)
      if (option.letter == letter) text += option.lines[language];
    if (letter == 'X') text += ArchiveKindsUsage(language);
    for (const ArchiveFormat& format : kArchiveFormats)
      if (format.option == letter) text += format.usage[language];
  }
  return text;
}
