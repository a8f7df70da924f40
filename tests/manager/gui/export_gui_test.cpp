// The export dialog, the help file and the About box, driven from outside
// under a real window system (Wine and Xvfb in CI), with the real
// tunedeck.exe and tonepak.exe in one program folder with a blank in its
// path, on a game folder with a blank in its path.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "driver.h"
#include "support/ea_streams.h"
#include "manager/win32/resource.h"
#include "support/wav_reading.h"

namespace {

using driver::BoxIcon;
using driver::Program;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string AppPathKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe";
const std::string SettingsKey = "HKCU\\Software\\VB and VBA Program Settings\\Kickora Music Manager";
// Wine looks file types up in HKCR only; the tests' own prefix has no
// association for .txt, so the tests add one and remove it again.
const std::string TextClassKey = "HKCR\\.txt";
const std::string TextHandlerKey = "HKCR\\KickoraTestText";
const std::string Title = "Kickora Music Manager";
const std::string ExportTitle = "Kickora Music Manager - Export song from game...";
const std::string Succeeded =
    "Song exported succesfully! You can now listen to it by using a multimedia player (i.e. Winamp).";
const std::string Failed = "An error occurred while exporting the song.";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A mono EA ADPCM song whose frames vary with seed, so that two songs
// decode to different, non-silent samples.
std::string Song(int frames, unsigned seed) {
  SchlHeaderOptions options;
  options.length = static_cast<uint32_t>(28 * frames);
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  Bytes data;
  for (int f = 0; f < frames; ++f) {
    data.push_back(static_cast<uint8_t>((f % 4) << 4 | (8 + f % 4)));
    for (int i = 0; i < 14; ++i) {
      seed = seed * 1103515245u + 12345u;
      data.push_back(static_cast<uint8_t>(seed >> 16));
    }
  }
  Append(file, ScdEaBlock(static_cast<uint32_t>(data.size()), data));
  Append(file, SceBlock());
  return std::string(file.begin(), file.end());
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

class ExportGui : public ::testing::Test {
 protected:
  static constexpr int Frames = 400;

  void SetUp() override {
    for (const std::string& key : {AppPathKey, SettingsKey, TextClassKey, TextHandlerKey})
      driver::Run("reg.exe delete \"" + key + "\" /f");
    for (const char* name : {"STAND_IN_RECORD", "STAND_IN_SECONDS", "STAND_IN_EXIT"})
      SetEnvironmentVariableA(name, nullptr);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    tempFolder = temp;
    root = tempFolder + "tunedeck-export-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ignored;
    fs::remove_all(root, ignored);  // left over from an earlier run
    fs::create_directories(root);

    programFolder = root + "\\Kickora Music Manager";
    fs::create_directories(programFolder);
    const std::string built = TUNEDECK_PROGRAM;
    ASSERT_TRUE(CopyFileA(built.c_str(), (programFolder + "\\tunedeck.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(TONEPAK_PROGRAM, (programFolder + "\\tonepak.exe").c_str(), FALSE));
    // The help file as the build installs it, beside the program.
    const std::string readme = built.substr(0, built.find_last_of("/\\")) + "\\readme.txt";
    ASSERT_TRUE(CopyFileA(readme.c_str(), (programFolder + "\\readme.txt").c_str(), FALSE));

    game = root + "\\Program Files\\FIFA 2001";
    music = game + "\\data\\audio\\music\\";
    fs::create_directories(music);
    WriteBytes(game + "\\fifa2001.exe", "");
    WriteBytes(music + "anthem.str", Song(Frames, 1));
    WriteBytes(music + "broken.str", "this is no stream at all");
    WriteBytes(music + "goal.str", Song(Frames, 2));
    WriteBytes(music + "music.inf", std::string("\x01\0anthem\0\0", 10));
    ASSERT_EQ(driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + game + "\" /f"), 0u);
    destination = root + "\\My Songs";
    fs::create_directories(destination);
    tempBefore = Names(tempFolder);
  }

  void TearDown() override {
    for (const std::string& key : {TextClassKey, TextHandlerKey})
      driver::Run("reg.exe delete \"" + key + "\" /f");
  }

  // Starts tunedeck from the program folder and waits for its window.
  HWND StartProgram() {
    program = std::make_unique<Program>(programFolder + "\\tunedeck.exe", "");
    HWND main = program->WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    return main;
  }

  // Selects the song (anthem 0, broken 1, goal 2) and opens the export dialog.
  HWND OpenExport(HWND main, int song) {
    driver::Select(GetDlgItem(main, IDC_LISTVIEW1), song);
    driver::Click(GetDlgItem(main, IDC_COMMAND6));
    return program->WaitForDialog(ExportTitle);
  }

  void Export(HWND dialog, const std::string& target) {
    driver::SetText(GetDlgItem(dialog, IDC_EXPORT_TEXT1), target);
    driver::Click(GetDlgItem(dialog, IDC_EXPORT_COMMAND1));
  }

  void ExpectMessage(const std::string& text, BoxIcon icon, const std::string& title = Title) {
    HWND box = program->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message box for: " << text;
    EXPECT_EQ(driver::MessageBoxText(box), text);
    EXPECT_EQ(driver::WindowText(box), title);
    EXPECT_EQ(driver::MessageBoxIcon(box), icon);
    EXPECT_FALSE(driver::HasButton(box, IDCANCEL));
    driver::Press(box, IDOK);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(box); }));
  }

  // What tonepak.exe writes for the song when run by hand in a folder of its own.
  std::string DirectExport(const std::string& song) {
    const std::string folder = root + "\\by hand " + song;
    fs::create_directories(folder);
    EXPECT_EQ(driver::RunIn("\"" TONEPAK_PROGRAM "\" \"" + music + song + "\"", folder), 0u);
    return ReadBytes(folder + "\\000.wav");
  }

  // Nothing beside the program but what was put there, and no private
  // folder of tunedeck's left in the temporary directory.
  void ExpectNothingLeftBehind(const std::set<std::string>& programFiles) {
    EXPECT_EQ(Names(programFolder), programFiles);
    for (const std::string& name : Names(tempFolder))
      EXPECT_TRUE(tempBefore.count(name) || !name.starts_with("tunedeck-")) << name;
  }

  const std::set<std::string> Installed{"readme.txt", "tonepak.exe", "tunedeck.exe"};
  std::string tempFolder, root, programFolder, game, music, destination;
  std::set<std::string> tempBefore;
  std::unique_ptr<Program> program;
};

using ExportDialog = ExportGui;

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
  driver::Select(GetDlgItem(main, IDC_LISTVIEW1), 2);
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

class AboutAndHelp : public ExportGui {
 protected:
  // Text files open with the stand-in, which notes what it was given.
  std::string RegisterTextHandler() {
    const std::string record = root + "\\opened.txt";
    SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
    EXPECT_EQ(driver::Run("reg.exe add \"" + TextClassKey + "\" /ve /d KickoraTestText /f"), 0u);
    EXPECT_EQ(driver::Run("reg.exe add \"" + TextHandlerKey + "\\shell\\open\\command\" /ve /d \"\\\"" +
                          Backslashed(STAND_IN_PROGRAM) + "\\\" \\\"%1\\\"\" /f"),
              0u);
    return record;
  }
  static void ClickAndWait(HWND button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 20000, &ignored);
  }
};

TEST_F(AboutAndHelp, BothHelpButtonsOpenTheReadmeAndNothingOpensWithoutIt) {
  const std::string record = RegisterTextHandler();
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  const std::string readme = programFolder + "\\readme.txt";
  ClickAndWait(GetDlgItem(main, IDC_COMMAND5));
  ASSERT_TRUE(driver::WaitFor([&] { return ReadBytes(record).find(readme) != std::string::npos; }))
      << ReadBytes(record);
  HWND dialog = OpenExport(main, 0);
  ASSERT_NE(dialog, nullptr);
  ClickAndWait(GetDlgItem(dialog, IDC_EXPORT_COMMAND4));
  ASSERT_TRUE(driver::WaitFor([&] {
    const std::string runs = ReadBytes(record);
    return std::count(runs.begin(), runs.end(), '\n') == 2;
  }));

  ASSERT_TRUE(DeleteFileA(record.c_str()));
  ASSERT_TRUE(DeleteFileA(readme.c_str()));
  ClickAndWait(GetDlgItem(main, IDC_COMMAND5));
  ClickAndWait(GetDlgItem(dialog, IDC_EXPORT_COMMAND4));
  Sleep(2000);  // time for a handler to start, had one been started
  EXPECT_FALSE(Exists(record));
  EXPECT_EQ(program->Windows().size(), 2u) << "no message, no other window";
}

TEST_F(AboutAndHelp, AboutShowsTheVersionAndClosesWithOkEnterAndEsc) {
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  const std::string aboutTitle = "About Kickora Music Manager";
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    driver::Click(GetDlgItem(main, IDC_COMMAND3));
    HWND about = program->WaitForDialog(aboutTitle);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_LBLVERSION)), "Version 1.10.15");
    EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_CMDOK)), "OK");
    EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_CMDSYSINFO)), "&System Info...");
    EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
    HWND ok = GetDlgItem(about, IDC_ABOUT_CMDOK);
    if (way == 0) driver::Click(ok);
    if (way == 1) driver::PressKey(ok, VK_RETURN);
    if (way == 2) driver::PressKey(ok, VK_ESCAPE);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(about); }));
    EXPECT_TRUE(driver::WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
  }
}

TEST_F(AboutAndHelp, SystemInfoStartsTheRegisteredToolOrSaysItIsNotAvailable) {
  const std::string msinfo = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  const std::string location = "HKLM\\SOFTWARE\\Microsoft\\Shared Tools Location";
  driver::Run("reg.exe delete \"" + msinfo + "\" /f");
  driver::Run("reg.exe delete \"" + location + "\" /f");
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr);
  driver::Click(GetDlgItem(main, IDC_COMMAND3));
  HWND about = program->WaitForDialog("About Kickora Music Manager");
  ASSERT_NE(about, nullptr);
  driver::Click(GetDlgItem(about, IDC_ABOUT_CMDSYSINFO));
  ExpectMessage("System information not available at the moment", BoxIcon::None);
  EXPECT_TRUE(IsWindow(about));

  // Registered: the tool starts (here the stand-in, which notes its start).
  const std::string record = root + "\\sysinfo.txt";
  SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
  program.reset();
  ASSERT_EQ(driver::Run("reg.exe add \"" + msinfo + "\" /v PATH /d \"" STAND_IN_PROGRAM "\" /f"), 0u);
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  driver::Click(GetDlgItem(main, IDC_COMMAND3));
  about = program->WaitForDialog("About Kickora Music Manager");
  ASSERT_NE(about, nullptr);
  driver::Click(GetDlgItem(about, IDC_ABOUT_CMDSYSINFO));
  EXPECT_TRUE(driver::WaitFor([&] { return Exists(record); }));
  EXPECT_EQ(program->Windows().size(), 2u) << "no message";
  driver::Run("reg.exe delete \"" + msinfo + "\" /f");
}

}  // namespace
