#include "manager/core/modShell.h"

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

ProcessOutcome ShellStop(IProcessRunner& runner, const std::string& commandLine,
                         int16_t showState, const std::string& workingFolder) {
  return runner.RunAndWait(commandLine, showState, workingFolder);
}
