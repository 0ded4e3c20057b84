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

// Japanese usage, in code page 932.
constexpr std::string_view kJapanese =
    "\x82\xBD\x82\xE9\x82\xD7\x82\xF1 for \x83R\x83\x93\x83\\\x81[\x83\x8B Version 1.00 (C) 2026 "
    "The TLVC Developers\n"
    "TLVC [[drive:]|[\\\\computer]][path]<filename> [option] [option]... [commandline]\n"
    "OPTIONS\n"
    "  /A[:][attribute]   \x8Ew\x92\xE8\x82\xB5\x82\xBD\x91\xAE\x90\xAB\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "                     [attribute] : [[!]D][[!]R][[!]H][[!]S][[[!]A]\n"
    "  /C[:][cabfilename] CAB \x8C`\x8E\xAE\x82\xCC\x83"
    "A\x81[\x83J\x83"
    "C\x83u\x83t\x83@\x83"
    "C\x83\x8B\x93\xE0\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /D[:]<[d1]-[d2]>   "
    "\x8Ew\x92\xE8\x82\xB5\x82\xBD\x8DX\x90V\x93\xFA\x95t\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "                     [d1],[d2] : yy/mm/dd | T[Y[-|+]nn][M[-|+]nn][D[-|+]nn]\n"
    "  /F[:][0|1|2]       "
    "\x8Fo\x97\xCD\x8C`\x8E\xAE\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /J                 \x83\x81\x83"
    "b\x83Z\x81[\x83W\x82\xF0\x93\xFA\x96{\x8C\xEA\x82\xC5\x95\\\x8E\xA6\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /L[:][lhafilename] LHA \x8C`\x8E\xAE\x82\xCC\x83"
    "A\x81[\x83J\x83"
    "C\x83u\x83t\x83@\x83"
    "C\x83\x8B\x93\xE0\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /N                 \x83t\x83@\x83"
    "C\x83\x8B\x96\xBC\x82\xF0\x8Fo\x97\xCD\x82\xB5\x82\xC8\x82\xA2\x82\xE6\x82\xA4\x82\xC9\x82\xB5"
    "\x82\xDC\x82\xB7.\n"
    "  /O                 \x92\xCA\x8F\xED\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /P                 "
    "\x82P\x89\xE6\x96\xCA\x82\xB2\x82\xC6\x82\xC9\x92\xE2\x8E~"
    "\x82\xB5\x82\xC4\x95\\\x8E\xA6\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /S[:]<[s1]-[s2]>   \x8Ew\x92\xE8\x82\xB5\x82\xBD\x83t\x83@\x83"
    "C\x83\x8B\x83T\x83"
    "C\x83Y\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /T[:]<[t1]-[t2]>   "
    "\x8Ew\x92\xE8\x82\xB5\x82\xBD\x8DX\x90V\x8E\x9E\x8D\x8F\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "                     [t1],[t2] : hh:mm:dd | N[H[-|+]nn][M[-|+]nn][S[-|+]nn]\n"
    "  /U                 \x83T\x83u\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n"
    "  /Z[:][zipfilename] ZIP \x8C`\x8E\xAE\x82\xCC\x83"
    "A\x81[\x83J\x83"
    "C\x83u\x83t\x83@\x83"
    "C\x83\x8B\x93\xE0\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5\x82\xDC\x82\xB7.\n";

}  // namespace

std::string_view UsageText(bool japanese) {
  return japanese ? kJapanese : kEnglish;
}
