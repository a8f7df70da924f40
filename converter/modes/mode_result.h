// What a mode tells the entry when it returns: success, failure, or failure
// after which the entry prints the usage. Fatal errors end a mode by
// exception instead (see fatal.h).
#pragma once

enum class ModeResult { kSuccess, kFailure, kFailureShowUsage };

inline ModeResult ModeResultOf(bool succeeded) { return succeeded ? ModeResult::kSuccess : ModeResult::kFailure; }
