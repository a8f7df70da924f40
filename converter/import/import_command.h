// "-import <wave file> <destination file> <original sound> [bnk]".
#pragma once

// argv[1] is "-import"; the caller has checked that argc >= 5.
bool RunImport(int argc, char** argv);
