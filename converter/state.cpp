#include "converter/state.h"

namespace {
ConverterState g_state;
}

ConverterState& Converter() { return g_state; }

void ResetConverterState() {
  g_state = ConverterState{};
  g_state.scratch.assign(kScratchBytes, 0);
}
