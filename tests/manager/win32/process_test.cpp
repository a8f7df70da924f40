// The process runner and the private folders against the real Win32 calls
// (under Wine in CI), with the stand-in program as the child.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "manager/win32/platform/Win32Platform.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Win32ProcessRunner, WaitsForTheChildInItsFolderAndGivesItsExitCodeEven259) {
  Win32ScratchFolders folders;
  const std::string folder = folders.Create();
  ASSERT_FALSE(folder.empty());
  const std::string record = folder + "\\started in.txt";
  SetEnvironmentVariableA("STAND_IN_RECORD", "started in.txt");  // relative: lands in its folder
  SetEnvironmentVariableA("STAND_IN_EXIT", "259");
  SetEnvironmentVariableA("STAND_IN_SECONDS", "1");
  // A message posted to this thread meanwhile is handled, not lost.
  PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 0, 0);
  Win32ProcessRunner runner;
  ProcessOutcome outcome =
      ShellStop(runner, "\"" STAND_IN_PROGRAM "\" \"an argument\"", SW_HIDE_STATE, folder);
  for (const char* name : {"STAND_IN_RECORD", "STAND_IN_EXIT", "STAND_IN_SECONDS"})
    SetEnvironmentVariableA(name, nullptr);
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitCode, 259u);
  EXPECT_NE(Read(record).find("\"an argument\""), std::string::npos) << Read(record);
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));

  folders.Remove(folder);
  EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32ProcessRunner, ACommandThatCannotStartIsReportedAsNotStarted) {
  Win32ProcessRunner runner;
  EXPECT_FALSE(runner.RunAndWait("\"C:\\no such folder\\tonepak.exe\" x", SW_HIDE_STATE, "").started);
  EXPECT_FALSE(runner.Start("\"C:\\no such folder\\msinfo32.exe\"", SW_SHOWNORMAL_STATE));
}

TEST(Win32ScratchFolders, EachIsNewUnderTheTempFolderAndGoesWithItsFiles) {
  Win32ScratchFolders folders;
  const std::string a = folders.Create(), b = folders.Create();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(temp, 0), 0u) << a;
  std::ofstream(a + "\\000.wav") << "RIFF";
  CreateDirectoryA((a + "\\inner").c_str(), nullptr);
  std::ofstream(a + "\\inner\\x") << "x";
  SetFileAttributesA((a + "\\000.wav").c_str(), FILE_ATTRIBUTE_READONLY);
  folders.Remove(a);
  folders.Remove(b);
  EXPECT_EQ(GetFileAttributesA(a.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(b.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
