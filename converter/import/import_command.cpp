#include "import_command.h"

// Placeholder until the import lands.
bool RunImport(int, char**) { return false; }
