#include "converter/import_state.h"

#include "converter/messages.h"
#include "converter/state.h"

namespace {
ImportState g_import;
}

ImportState& Import() { return g_import; }

void ResetImportState() { g_import = ImportState{}; }

void RequireCodableChannels() {
  int channels = Params().channels;
  if (channels != 1 && channels != 2) FatalUnsupportedOriginal();
}
