#include "finder/options/usage_text.h"

namespace {

// English usage.
constexpr std::string_view kEnglish =
    "TALVEN for Console Version 1.00 (C) 2026 The TLVC Developers\n"
    "TLVC [[drive:]|[\\\\computer]][path]<filename> [option] [option]... [commandline]\n"
    "OPTIONS\n"
    "  /A[:][attribute]   specifies Attributes.\n"
    "                     [attribute] : [[!]D][[!]R][[!]H][[!]S][[[!]A]\n"
    "  /C[:][cabfilename] searches Cab files.\n"
    "  /D[:]<[d1]-[d2]>   specifies last write Date.\n"
    "                     [d1],[d2] : yy/mm/dd | T[Y[-|+]nn][M[-|+]nn][D[-|+]nn]\n"
    "  /F[:][0|1|2]       specifies Form.\n"
    "  /J                 displays message in Japanese.\n"
    "  /L[:][lhafilename] searches Lha files.\n"
    "  /N                 No echo of file name.\n"
    "  /O                 searches for Ordinary files.\n"
    "  /P                 Pauses after each screenful of information.\n"
    "  /S[:]<[s1]-[s2]>   specifies File size.\n"
    "  /T[:]<[t1]-[t2]>   specifies last write Time.\n"
    "                     [t1],[t2] : hh:mm:dd | N[H[-|+]nn][M[-|+]nn][S[-|+]nn]\n"
    "  /U                 searches Subdirectory.\n"
    "  /Z[:][zipfilename] searches Zip files.\n";

// Japanese usage.
constexpr std::string_view kJapanese =
    "たるべん for コンソール Version 1.00 (C) 2026 The TLVC Developers\n"
    "TLVC [[drive:]|[\\\\computer]][path]<filename> [option] [option]... [commandline]\n"
    "OPTIONS\n"
    "  /A[:][attribute]   指定した属性のファイルを検索します.\n"
    "                     [attribute] : [[!]D][[!]R][[!]H][[!]S][[[!]A]\n"
    "  /C[:][cabfilename] CAB 形式のアーカイブファイル内を検索します.\n"
    "  /D[:]<[d1]-[d2]>   指定した更新日付のファイルを検索します.\n"
    "                     [d1],[d2] : yy/mm/dd | T[Y[-|+]nn][M[-|+]nn][D[-|+]nn]\n"
    "  /F[:][0|1|2]       出力形式を指定します.\n"
    "  /J                 メッセージを日本語で表示します.\n"
    "  /L[:][lhafilename] LHA 形式のアーカイブファイル内を検索します.\n"
    "  /N                 ファイル名を出力しないようにします.\n"
    "  /O                 通常のファイルを検索します.\n"
    "  /P                 １画面ごとに停止して表示します.\n"
    "  /S[:]<[s1]-[s2]>   指定したファイルサイズのファイルを検索します.\n"
    "  /T[:]<[t1]-[t2]>   指定した更新時刻のファイルを検索します.\n"
    "                     [t1],[t2] : hh:mm:dd | N[H[-|+]nn][M[-|+]nn][S[-|+]nn]\n"
    "  /U                 サブディレクトリを検索します.\n"
    "  /Z[:][zipfilename] ZIP 形式のアーカイブファイル内を検索します.\n"
    "";

}  // namespace

std::string_view UsageText(bool japanese) {
  return japanese ? kJapanese : kEnglish;
}
