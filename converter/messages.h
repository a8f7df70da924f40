// Messages the converter prints from more than one place, each written once.
#pragma once

// "write error (disk full?)": printed with its line break, false returned.
bool ReportWriteError();
// The same message as a fatal error.
[[noreturn]] void FatalWriteError();

// "decoder returned no data!?": printed with its line break, false returned.
bool ReportNoData();

// "couldn't open '<name>'": printed with its line break, false returned.
bool ReportCouldNotOpen(const char* name);
// "couldn't open '<name>' for writing": printed, false returned.
bool ReportCouldNotOpenForWriting(const char* name);
// "couldn't open '<name>'" ending the run; it then ends in two line breaks.
[[noreturn]] void FatalCouldNotOpen(const char* name);

// "BNK: this shouldn't happen": a bank whose lists contradict each other.
[[noreturn]] void FatalBankInconsistent();
// "unknown/unsupported original sound file".
[[noreturn]] void FatalUnsupportedOriginal();
// "Can't find BNK <slot>".
[[noreturn]] void FatalNoBankSample(int slot);

// "corrupt sound file": a frame names a coefficient pair the codec lacks.
void ReportCorruptSound();
