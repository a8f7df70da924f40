// Starting other programs: run one and wait until it has ended (ShellStop),
// start one without waiting, and the private folder a run works in. The
// processes and folders themselves sit behind small interfaces so that the
// dialogs' decisions are tested without starting anything.
#pragma once

#include <cstdint>
#include <string>

constexpr int16_t SW_HIDE_STATE = 0;
constexpr int16_t SW_SHOWNORMAL_STATE = 1;
// The exit code Windows reports for a process that is still running; a
// program may also end with it, so it never decides whether a wait is over.
constexpr uint32_t STILL_ACTIVE_CODE = 259;

struct ProcessOutcome {
  bool started = false;   // Windows accepted the command line
  uint32_t exitCode = 0;  // valid when started
};

class IProcessRunner {
 public:
  virtual ~IProcessRunner() = default;
  // Starts commandLine with the show state in workingFolder ("" keeps ours)
  // and returns when the process has ended; window messages are processed
  // meanwhile, so the windows stay usable.
  virtual ProcessOutcome RunAndWait(const std::string& commandLine, int16_t showState,
                                    const std::string& workingFolder) = 0;
  // Starts commandLine and returns at once; false when it cannot start.
  virtual bool Start(const std::string& commandLine, int16_t showState) = 0;
};

// Folders of our own under the user's temporary directory.
class IScratchFolders {
 public:
  virtual ~IScratchFolders() = default;
  // A new, empty folder, without a trailing backslash; "" when none can be made.
  virtual std::string Create() = 0;
  // Removes the folder with everything in it.
  virtual void Remove(const std::string& folder) = 0;
};

// The path in double quotes, so that blanks in it do not split it.
std::string Quoted(const std::string& path);

// Runs the command line and waits for it to end.
ProcessOutcome ShellStop(IProcessRunner& runner, const std::string& commandLine,
                         int16_t showState = SW_SHOWNORMAL_STATE,
                         const std::string& workingFolder = "");
