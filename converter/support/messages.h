// Messages the converter prints from more than one place, each written once.
// They go to the conversion context's messages.
#pragma once

struct ConversionContext;

// "write error (disk full?)": printed with its line break, false returned.
bool ReportWriteError(ConversionContext& ctx);
// The same message as a fatal error.
[[noreturn]] void FatalWriteError();

// "decoder returned no data!?": printed with its line break, false returned.
bool ReportNoData(ConversionContext& ctx);

// "couldn't open '<name>'": printed with its line break, false returned.
bool ReportCouldNotOpen(ConversionContext& ctx, const char* name);
// "couldn't open '<name>' for writing": printed, false returned.
bool ReportCouldNotOpenForWriting(ConversionContext& ctx, const char* name);
// "couldn't open '<name>'" ending the run; it then ends in two line breaks.
[[noreturn]] void FatalCouldNotOpen(const char* name);

// "BNK: this shouldn't happen": a bank whose lists contradict each other.
[[noreturn]] void FatalBankInconsistent();
// "unknown/unsupported original sound file".
[[noreturn]] void FatalUnsupportedOriginal();
// "Can't find BNK <slot>".
[[noreturn]] void FatalNoBankSample(int slot);
// "encoder returned no data. this is bug!".
[[noreturn]] void FatalNoEncoderOutput();

// The importers code one or two channels only; anything else in the
// original's header is refused before a file is touched.
void RequireCodableChannels(int channels);

// Makes a file that is about to be written writable, saying so when it was
// read-only ("'<path>': removed read-only flag").
void MakeWritable(ConversionContext& ctx, const char* path);
