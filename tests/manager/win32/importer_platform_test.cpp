// The importer's process and window through the real Win32 calls (under
// Wine in CI), with the importer stand-ins: a quoted start from a folder
// with blanks, the window of that very process and no other, a whole
// session that converts and leaves no process, and a convert that hangs.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "manager/core/ImporterSession.h"
#include "manager/win32/platform/Win32Importer.h"

namespace {

std::string Folder(const std::string& name) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string folder = std::string(base) + "tunedeck importer " + name;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::unique_ptr<Win32ImporterProcess> StartHidden(Win32Importer& importer, const std::string& program) {
  std::unique_ptr<IImporterProcess> process;
  EXPECT_EQ(importer.Start(program, ImporterCommandLine(program), process), ImporterStart::Started);
  return std::unique_ptr<Win32ImporterProcess>(static_cast<Win32ImporterProcess*>(process.release()));
}

HWND WindowOf(Win32ImporterProcess& process) {
  process.WaitForInputIdle(ImporterIdleBound);
  for (int i = 0; i < 100; ++i) {
    if (intptr_t window = process.FindOwnWindow(ImporterWindowTitle)) return reinterpret_cast<HWND>(window);
    process.WaitForExit(100);
  }
  return nullptr;
}

TEST(Win32Importer, FindsTheWindowOfItsOwnProcessOnlyAndASessionLeavesNothing) {
  const std::string folder = Folder("session");
  const std::string program = folder + "\\tunegrab.exe";
  ASSERT_TRUE(CopyFileA(TUNEGRAB_STANDIN, program.c_str(), FALSE));
  Win32Importer importer;
  std::unique_ptr<IImporterProcess> none;
  EXPECT_EQ(importer.Start(folder + "\\missing.exe", ImporterCommandLine(folder + "\\missing.exe"), none),
            ImporterStart::ProgramMissing);

  auto first = StartHidden(importer, program);
  auto second = StartHidden(importer, program);
  ASSERT_TRUE(first && second);
  HWND a = WindowOf(*first), b = WindowOf(*second);
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  DWORD pid = 0;
  GetWindowThreadProcessId(b, &pid);
  EXPECT_EQ(pid, second->Pid());
  EXPECT_FALSE(IsWindowVisible(a)) << "started hidden";
  EXPECT_EQ(first->FindOwnWindow("Tunegrab"), 0) << "the title must match exactly";
  first->Terminate();
  second->Terminate();
  EXPECT_TRUE(first->WaitForExit(5000) && second->WaitForExit(5000));

  const std::string input = folder + "\\my song.wav";
  std::ofstream(input, std::ios::binary) << "RIFF bytes";
  FileStamp before = importer.Stamp(folder + "\\my song.asf");
  {
    ImporterSession session(importer);
    ASSERT_EQ(session.Open(program), ImporterStart::Started);
    ASSERT_TRUE(session.Convert(input, folder));
    EXPECT_EQ(session.Reason(), "") << "a song was made";
    session.Close();
  }
  FileStamp after = importer.Stamp(folder + "\\my song.asf");
  EXPECT_FALSE(before.exists);
  EXPECT_TRUE(IsNewFile(before, after));
  EXPECT_EQ(after.size, 10u);

  // Text renamed to a music file's name: the reason comes from the other
  // process's control 1016.
  const std::string text = folder + "\\notes.m4a";
  std::ofstream(text, std::ios::binary) << "plain text";
  ImporterSession session(importer);
  ASSERT_EQ(session.Open(program), ImporterStart::Started);
  ASSERT_TRUE(session.Convert(text, folder));
  EXPECT_EQ(session.Reason(), "This file holds no music that can be read.");
  session.Close();
  EXPECT_FALSE(importer.Stamp(folder + "\\notes.asf").exists);
}

TEST(Win32Importer, AConvertThatHangsTimesOutAndTheImporterCanBeEnded) {
  Win32Importer importer;
  auto process = StartHidden(importer, TUNEGRAB_HANG);
  ASSERT_TRUE(process);
  HWND window = WindowOf(*process);
  ASSERT_NE(window, nullptr);
  intptr_t convert = process->GetDlgItem(reinterpret_cast<intptr_t>(window), ImporterConvertCommand);
  ASSERT_NE(convert, 0);
  const uint64_t start = importer.NowMs();
  EXPECT_FALSE(process->SendMessageBounded(reinterpret_cast<intptr_t>(window), WM_COMMAND,
                                           ImporterConvertCommand, convert, 2000));
  EXPECT_GE(importer.NowMs() - start, 1900u);
  process->Terminate();
  EXPECT_TRUE(process->WaitForExit(5000));
}

}  // namespace
