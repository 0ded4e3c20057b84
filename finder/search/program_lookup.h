// The program lookup along PATH (/E).
#pragma once

// Lists every .COM, .EXE and .BAT of the name in options.fileNameText, in the
// current directory and then along PATH.
void FindProgram();
