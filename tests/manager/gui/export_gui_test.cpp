// The export dialog driven from outside under a real window system (Wine
// and Xvfb in CI), with the real tunedeck.exe and tonepak.exe in one
// program folder with a blank in its path, on a game folder with one too.
#include "program_folder_gui.h"

namespace {

using namespace program_folder_gui;

using ExportDialog = ProgramFolderGui;

TEST_F(ExportDialog, ExportsTheSongAsTonepakDoesByHandAndLeavesNothingBehind) {
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_EXPORT_LABEL1)), "Song to export: anthem.str");
  const std::string target = destination + "\\anthem song.wav";
  Export(dialog, target);
  ExpectMessage(Succeeded, BoxIcon::Information);
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); })) << "the dialog closes";

  const std::string exported = ReadBytes(target);
  EXPECT_EQ(exported, DirectExport("anthem.str"));
  ParsedWav wav = ParseWav(Bytes(exported.begin(), exported.end()));
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.rate, 22050);
  EXPECT_EQ(wav.samples.size(), 28u * Frames);
  EXPECT_NE(std::count(wav.samples.begin(), wav.samples.end(), 0), static_cast<long>(wav.samples.size()));
  ExpectNothingLeftBehind(Installed);
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main});
}

TEST_F(ExportDialog, LooksAsDesignedAndTabsInItsOrder) {
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto px = [dpi](int twips) { return MulDiv(twips / 15, dpi, 96); };
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, px(6420));
  EXPECT_EQ(client.bottom, px(3435));
  RECT text1;
  GetWindowRect(GetDlgItem(dialog, IDC_EXPORT_TEXT1), &text1);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&text1), 2);
  EXPECT_EQ(text1.left, px(1560 + 600));
  EXPECT_EQ(text1.top, px(240 + 1320));
  EXPECT_EQ(text1.right - text1.left, px(3135));
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  const std::vector<std::pair<int, std::string>> captions = {
      {IDC_EXPORT_COMMAND1, "&Export song!"}, {IDC_EXPORT_COMMAND3, "&Close"}, {IDC_EXPORT_COMMAND4, "&Help"},
      {IDC_EXPORT_COMMAND2, "..."}, {IDC_EXPORT_LABEL2, "Save the exported song as (path and filename):"},
      {IDC_EXPORT_FRAME1, "Fill the textboxes with the required data and press 'Export song'"}};
  for (const auto& [id, caption] : captions) EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, id)), caption);

  std::vector<int> order;
  HWND at = GetDlgItem(dialog, IDC_EXPORT_TEXT1);
  for (int i = 0; i < 5; ++i, at = GetNextDlgTabItem(dialog, at, FALSE)) order.push_back(GetDlgCtrlID(at));
  EXPECT_EQ(order, (std::vector<int>{IDC_EXPORT_TEXT1, IDC_EXPORT_COMMAND2, IDC_EXPORT_COMMAND4,
                                     IDC_EXPORT_COMMAND3, IDC_EXPORT_COMMAND1}));
  // "..." fills Text1 with the file chosen in the save dialog.
  driver::Click(GetDlgItem(dialog, IDC_EXPORT_COMMAND2));
  HWND save = program->WaitForDialog("Save exported song as...");
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(driver::SetFileName(save, destination + "\\chosen.wav"));
  driver::Press(save, IDOK);
  EXPECT_TRUE(driver::WaitFor([&] {
    return driver::WindowText(GetDlgItem(dialog, IDC_EXPORT_TEXT1)) == destination + "\\chosen.wav";
  }));
  // Esc is the Close button; the main window stayed usable all along.
  EXPECT_TRUE(IsWindowEnabled(main));
  driver::PressKey(GetDlgItem(dialog, IDC_EXPORT_TEXT1), VK_ESCAPE);
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
}

TEST_F(ExportDialog, AMissingTonepakIsNamedAndTheDialogStays) {
  ASSERT_TRUE(DeleteFileA((programFolder + "\\tonepak.exe").c_str()));
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  Export(dialog, destination + "\\anthem.wav");
  ExpectMessage("Cannot find file \"tonepak.exe\". Please make sure it is placed in " + programFolder + ".",
                BoxIcon::Error);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_FALSE(Exists(destination + "\\anthem.wav"));
}

// tonepak writes no WAV for a file that is not a stream: the stale
// "000.wav" of an older version beside the program is not passed off as it.
TEST_F(ExportDialog, ASongThatIsNoStreamFailsAndTheStaleWavBesideTheProgramIsNotCopied) {
  WriteBytes(programFolder + "\\000.wav", "RIFF stale");
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 1);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_EXPORT_LABEL1)), "Song to export: broken.str");
  Export(dialog, destination + "\\broken.wav");
  ExpectMessage(Failed, BoxIcon::Error);
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_FALSE(Exists(destination + "\\broken.wav"));
  EXPECT_EQ(ReadBytes(programFolder + "\\000.wav"), "RIFF stale");
  std::set<std::string> expected = Installed;
  expected.insert("000.wav");
  ExpectNothingLeftBehind(expected);
}

// The shell shows no error dialog of its own: the program's one message.
TEST_F(ExportDialog, ADestinationFolderThatDoesNotExistIsOneErrorMessage) {
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  Export(dialog, root + "\\No Such Folder\\anthem.wav");
  ExpectMessage(Failed, BoxIcon::Error);
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_FALSE(Exists(root + "\\No Such Folder"));
  ExpectNothingLeftBehind(Installed);
  EXPECT_TRUE(driver::WaitFor([&] { return program->Windows() == std::vector<HWND>{main}; }, 3s));
}

TEST_F(ExportDialog, ASecondRequestBringsTheOpenDialogForwardForTheNewSong) {
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  driver::SetText(GetDlgItem(dialog, IDC_EXPORT_TEXT1), destination + "\\goal.wav");
  driver::SelectOnly(GetDlgItem(main, IDC_LISTVIEW1), {2});
  driver::Click(GetDlgItem(main, IDC_COMMAND6));
  ASSERT_TRUE(driver::WaitFor([&] {
    return driver::WindowText(GetDlgItem(dialog, IDC_EXPORT_LABEL1)) == "Song to export: goal.str";
  }));
  EXPECT_EQ(driver::DialogsTitled(*program, ExportTitle), std::vector<HWND>{dialog});
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_EXPORT_TEXT1)), destination + "\\goal.wav");
  driver::Click(GetDlgItem(dialog, IDC_EXPORT_COMMAND1));
  ExpectMessage(Succeeded, BoxIcon::Information);
  EXPECT_EQ(ReadBytes(destination + "\\goal.wav"), DirectExport("goal.str"));
  EXPECT_NE(DirectExport("goal.str"), DirectExport("anthem.str"));
}

// A converter that takes its time: "&Export song!" is disabled and a
// second export cannot start, the windows answer, and a converter that
// ends with code 259 (STILL_ACTIVE) still ends the wait.
TEST_F(ExportDialog, WhileTheConverterRunsTheWindowsAnswerAndExportIsDisabled) {
  const std::string record = root + "\\runs.txt";
  ASSERT_TRUE(CopyFileA(STAND_IN_PROGRAM, (programFolder + "\\tonepak.exe").c_str(), FALSE));
  SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
  SetEnvironmentVariableA("STAND_IN_SECONDS", "3");
  SetEnvironmentVariableA("STAND_IN_EXIT", "259");
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  HWND command1 = GetDlgItem(dialog, IDC_EXPORT_COMMAND1);
  Export(dialog, destination + "\\slow.wav");
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindowEnabled(command1); }, 5s));
  // A click that reaches the disabled button's handler anyway starts nothing.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT_COMMAND1, BN_CLICKED), reinterpret_cast<LPARAM>(command1));
  for (HWND window : {main, dialog}) {
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored), 0);
  }
  EXPECT_EQ(driver::ReadList(GetDlgItem(main, IDC_LISTVIEW1)).size(), 3u);
  ExpectMessage(Failed, BoxIcon::Error);
  const std::string runs = ReadBytes(record);
  EXPECT_EQ(std::count(runs.begin(), runs.end(), '\n'), 1) << runs;
  EXPECT_NE(runs.find("\"" + music + "anthem.str\""), std::string::npos) << runs;
}

// Several songs at once: three selected (broken.str is no stream) go into
// a folder that already holds goal.wav, through the shell's folder picker;
// then two selected go to the Recycle Bin with one Yes.
TEST_F(ExportDialog, SeveralSelectedSongsGoIntoAFolderAndToTheRecycleBinInOneStep) {
  const std::string trash = root + "\\trash";
  fs::create_directories(trash);
  SetEnvironmentVariableA("XDG_DATA_HOME", UnixPath(trash).c_str());
  WriteBytes(destination + "\\goal.wav", "the player's own goal.wav");
  HWND main = StartProgram();
  SetEnvironmentVariableA("XDG_DATA_HOME", nullptr);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, IDC_LISTVIEW1);
  driver::SelectOnly(list, {0, 1, 2});
  driver::Click(GetDlgItem(main, IDC_COMMAND6));
  HWND picker = program->WaitForDialog("Choose the folder for the exported songs");
  ASSERT_NE(picker, nullptr) << "no folder picker";
  ASSERT_TRUE(driver::SetFileName(picker, destination));
  driver::Press(picker, IDOK);
  ExpectMessage("2 songs exported to " + destination +
                    ".\r\n\r\nThis song could not be exported:\r\n"
                    "broken.str: The converter could not read it; it may not be a song.",
                BoxIcon::Warning);
  EXPECT_EQ(ReadBytes(destination + "\\anthem.wav"), DirectExport("anthem.str"));
  EXPECT_EQ(ReadBytes(destination + "\\goal (2).wav"), DirectExport("goal.str"));
  EXPECT_EQ(ReadBytes(destination + "\\goal.wav"), "the player's own goal.wav");
  EXPECT_EQ(Names(destination), (std::set<std::string>{"anthem.wav", "goal (2).wav", "goal.wav"}));
  ExpectNothingLeftBehind(Installed);

  // anthem.str (ticked) and goal.str: one question, one Yes, one move.
  const std::string anthem = ReadBytes(music + "anthem.str"), goal = ReadBytes(music + "goal.str");
  driver::SelectOnly(list, {0, 2});
  driver::PressKey(list, VK_DELETE);
  HWND question = program->WaitForMessageBox();
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(driver::MessageBoxText(question), "Move these 2 songs to the Recycle Bin?\r\n\r\nanthem.str and goal.str");
  driver::Press(question, IDYES);
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(question); }));
  ExpectMessage("anthem.str was ticked. FIFA 2001's songs list changes only when you click on the 'Save Changes' "
                "button.",
                BoxIcon::Warning);
  EXPECT_EQ(driver::ReadList(list), (std::vector<driver::ListItem>{{"broken.str", false}}));
  EXPECT_EQ(ReadBytes(trash + "\\Trash\\files\\anthem.str"), anthem);
  EXPECT_EQ(ReadBytes(trash + "\\Trash\\files\\goal.str"), goal);
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main}) << "no dialog of the shell's own";
}

}  // namespace
