// The console program: it turns the command line into the request of one
// mode (converter/api/tonepak_api.h), prints the mode's messages as they come,
// the banner and the usage when the mode asks for it, and returns the exit
// status.
#pragma once

// Runs one converter command as the program would and returns its exit
// status (0 on success and without arguments, 1 on every failure).
int RunTonepak(int argc, char** argv);

// Version record texts.
const char* VersionText();          // "0.40"
const char* BuildDateText();        // "dd.mm.yyyy" of the build date
// Parses a date text as the compiler writes it ("Nov  6 2000") into
// "dd.mm.yyyy" form (day and month two digits, zero-padded); the month is
// -1 when it is not recognised.
void FormatBuildDate(const char* date, char* out, int outSize);

// Prints the banner and the usage.
void PrintUsage();
