// "&Make new song..." of tunedeck.exe driven from outside under a real
// window system (Wine and Xvfb in CI), with importer stand-ins of the same
// window contract: the dialog's look, each refusal, a missing importer, an
// importer that never shows its window, songs made and listed, and files
// dropped on the song list and on the dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cmath>
#include <iterator>
#include <memory>

#include "driver.h"
#include "gui_files.h"
#ifdef TUNEGRAB_PROGRAM
#include "support/wav_reading.h"
#endif
#include "common/importer_window.h"
#include "manager/win32/FrmAddNew.h"
#include "manager/win32/resource.h"

namespace {

using namespace gui_files;
using driver::BoxIcon;
using driver::ListItem;
using driver::Program;

const std::string Caption = "Kickora Music Manager - Make new song...";

class MakeNewSongGui : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "addnew-gui-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    // Folders with blanks, as under "Program Files".
    programFolder = root + "\\Kickora Music Manager";
    game = root + "\\FIFA 2001";
    music = game + "\\data\\audio\\music\\";
    for (const std::string& folder : {root, programFolder, game, game + "\\data", game + "\\data\\audio", music,
                                      root + "\\My Music"})
      CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(TUNEDECK_PROGRAM, (programFolder + "\\tunedeck.exe").c_str(), FALSE));
    WriteBytes(game + "\\fifa2001.exe", "");
    for (const char* song : {"anthem.str", "goal.str"}) WriteBytes(music + song, "SCHl");
    WriteBytes(music + "music.inf", std::string("\x01\0goal\0\0\0\0", 10));
    input = root + "\\My Music\\new song.wav";
    WriteBytes(input, "RIFF the new song's bytes");
    driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + game + "\" /f");
  }

  void InstallImporter(const char* standIn) {
    ASSERT_TRUE(CopyFileA(standIn, (programFolder + "\\tunegrab.exe").c_str(), FALSE));
  }

  // Starts tunedeck from the program folder.
  bool Start() {
    program = std::make_unique<Program>(programFolder + "\\tunedeck.exe", "");
    main = program->WaitForMainWindow();
    return main != nullptr;
  }
  HWND StartAndOpen() { return Start() ? Open() : nullptr; }
  HWND Open() {
    driver::Click(GetDlgItem(main, IDC_COMMAND1));
    HWND dialog = program->WaitForDialog(Caption);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
  static void SetText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Make(HWND dialog, const std::string& text1, const std::string& text2) {
    SetText(dialog, IDC_ADDNEW_TEXT1, text1);
    SetText(dialog, IDC_ADDNEW_TEXT2, text2);
    driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND1));
  }
  void ExpectMessage(const std::string& text, BoxIcon icon) { ExpectMessageBox(*program, text, icon); }
  std::vector<ListItem> Songs() const { return driver::ReadList(GetDlgItem(main, IDC_LISTVIEW1)); }
  static bool NoImporterLeft() {
    return driver::WaitFor([] { return driver::CountProcesses("tunegrab.exe") == 0; }, std::chrono::seconds(10));
  }

  std::string root, programFolder, game, music, input;
  std::unique_ptr<Program> program;
  HWND main = nullptr;
};

using MakeNewSong = MakeNewSongGui;

TEST_F(MakeNewSong, DialogLooksAsDesignedIsModalAndEscClosesIt) {
  HWND dialog = StartAndOpen();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);

  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto px = [dpi](int twips) { return MulDiv(twips / 15, dpi, 96); };
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, px(6450));
  EXPECT_EQ(client.bottom, px(3420));
  auto where = [dialog](int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  RECT make = where(IDC_ADDNEW_COMMAND1), text1 = where(IDC_ADDNEW_TEXT1);
  EXPECT_EQ(make.left, px(3240));
  EXPECT_EQ(make.top, px(2760));
  EXPECT_EQ(make.right - make.left, px(1455));
  EXPECT_EQ(text1.left, px(1560 + 600)) << "inside Frame1";
  EXPECT_EQ(text1.top, px(240 + 840));
  const std::vector<std::pair<int, std::string>> captions = {
      {IDC_ADDNEW_FRAME1, "Fill the textboxes with the required data and press 'Make'"},
      {IDC_ADDNEW_COMMAND1, "&Make!"}, {IDC_ADDNEW_COMMAND2, "..."}, {IDC_ADDNEW_COMMAND3, "&Close"},
      {IDC_ADDNEW_COMMAND4, "&Help"}, {IDC_ADDNEW_LABEL1, ".str"},
      {IDC_ADDNEW_LABEL2, "Select the music file you want to import:"},
      {IDC_ADDNEW_LABEL3, "Save song as: (8 characters max.):"}};
  for (const auto& [id, text] : captions) EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, id)), text);
  EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_ADDNEW_TEXT2), EM_GETLIMITTEXT, 0, 0), 8);

  std::vector<int> order;
  HWND control = GetDlgItem(dialog, IDC_ADDNEW_COMMAND1);
  for (int i = 0; i < 6; ++i, control = GetNextDlgTabItem(dialog, control, FALSE))
    order.push_back(GetDlgCtrlID(control));
  EXPECT_EQ(order, (std::vector<int>{IDC_ADDNEW_COMMAND1, IDC_ADDNEW_COMMAND3, IDC_ADDNEW_COMMAND4,
                                     IDC_ADDNEW_COMMAND2, IDC_ADDNEW_TEXT2, IDC_ADDNEW_TEXT1}));
  EXPECT_EQ(GetDlgCtrlID(control), IDC_ADDNEW_COMMAND1) << "the order wraps";

  driver::Press(dialog, IDCANCEL);  // what Esc sends
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main});
}

TEST_F(MakeNewSong, EachCheckRefusesInItsOrderAndTheImporterMustBeThere) {
  WriteBytes(music + "Taken.str", "SCHl");
  HWND dialog = StartAndOpen();
  ASSERT_NE(dialog, nullptr);
  Make(dialog, root + "\\missing.wav", "1abc");
  ExpectMessage("Cannot find input file " + root + "\\missing.wav.", BoxIcon::Error);
  Make(dialog, input, "1abc");
  ExpectMessage("The converted song's filename cannot begin with '1'.", BoxIcon::Information);
  Make(dialog, input, "");
  ExpectMessage("Please type the name you want to save the file with.", BoxIcon::Error);
  Make(dialog, input, "taken");
  ExpectMessage("The file taken.str already exists! Please choose a different name.", BoxIcon::Warning);
  // All checks pass, but no tunegrab.exe lies beside tunedeck.exe.
  Make(dialog, input, "newsong");
  ExpectMessage("Cannot find file \"tunegrab.exe\". Please make sure it is placed in " + programFolder + ".",
                BoxIcon::Error);
  EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
  EXPECT_FALSE(Exists(music + "newsong.str"));
}

TEST_F(MakeNewSong, AnImporterWithoutItsWindowIsEndedAndNoOtherIsDriven) {
  InstallImporter(TUNEGRAB_NOWINDOW);
  // Another program's importer window, open on the screen.
  Program bystander(TUNEGRAB_STANDIN, "");
  HWND other = nullptr;
  ASSERT_TRUE(driver::WaitFor([&] {
    auto windows = bystander.Windows();
    other = windows.empty() ? nullptr : windows[0];
    return other != nullptr;
  }));
  HWND dialog = StartAndOpen();
  ASSERT_NE(dialog, nullptr);
  Make(dialog, input, "newsong");
  ExpectMessage("An error occurred during the operation.", BoxIcon::Error);
  EXPECT_TRUE(NoImporterLeft());
  EXPECT_EQ(driver::WindowText(GetDlgItem(other, importer_window::InputEdit)), "") << "another process's window was driven";
  EXPECT_FALSE(bystander.HasExited());
  EXPECT_FALSE(Exists(music + "newsong.str"));
  EXPECT_FALSE(Exists(music + "new song.asf"));
}

TEST_F(MakeNewSong, MadeSongsAreListedUncheckedAfterCloseAndAfterTheCloseBox) {
  InstallImporter(TUNEGRAB_STANDIN);
  ASSERT_TRUE(Start());
  // Ticked by the user and not saved: the rebuilt list keeps it.
  driver::ClickCheckBox(GetDlgItem(main, IDC_LISTVIEW1), 0);
  ASSERT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"goal.str", true}}));
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);

  Make(dialog, input, "newsong");
  ExpectMessage("Song converted succesfully!", BoxIcon::Information);
  EXPECT_EQ(ReadBytes(music + "newsong.str"), ReadBytes(input));
  EXPECT_FALSE(Exists(music + "new song.asf"));
  EXPECT_TRUE(NoImporterLeft());
  EXPECT_EQ(Songs().size(), 2u) << "the list is rebuilt on closing";
  driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND3));
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"goal.str", true}, {"newsong.str", false}}));

  // A second opening, closed with the title bar's close box.
  const std::string second = root + "\\My Music\\b.mp3";
  WriteBytes(second, "ID3 another song");
  dialog = Open();
  ASSERT_NE(dialog, nullptr);
  Make(dialog, second, "zulu");
  ExpectMessage("Song converted succesfully!", BoxIcon::Information);
  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"goal.str", true}, {"newsong.str", false},
                                            {"zulu.str", false}}));
  EXPECT_EQ(ReadBytes(music + "zulu.str"), ReadBytes(second));
  EXPECT_TRUE(NoImporterLeft());
  EXPECT_EQ(ReadBytes(music + "music.inf"), std::string("\x01\0goal\0\0\0\0", 10)) << "nothing saved";
}

// An MP3 file whose ID3v2.3 tag names its title (ISO 8859-1).
std::string Mp3Titled(const std::string& title) {
  const uint32_t length = uint32_t(title.size() + 1);
  std::string frame = "TIT2" + std::string{char(length >> 24), char(length >> 16), char(length >> 8), char(length)} +
                      std::string(3, '\0') + title;
  const uint32_t size = uint32_t(frame.size());
  return "ID3" + std::string{3, 0, 0, char(size >> 21 & 0x7F), char(size >> 14 & 0x7F), char(size >> 7 & 0x7F),
                             char(size & 0x7F)} +
         frame + "\xFF\xFB the sound";
}

TEST_F(MakeNewSong, DroppedFilesBecomeSongsUnderSuggestedNamesAndAFailureSaysWhy) {
  InstallImporter(TUNEGRAB_STANDIN);
  const std::string wav = root + "\\My Music\\Anthem.wav", text = root + "\\My Music\\notes.m4a",
                    mp3 = root + "\\My Music\\track01.mp3";
  WriteBytes(wav, "RIFF a drum");
  WriteBytes(text, "Just some notes, renamed.");
  WriteBytes(mp3, Mp3Titled("Ol\xE9 Ol\xE9!"));
  ASSERT_TRUE(Start());
  HWND list = GetDlgItem(main, IDC_LISTVIEW1);
  driver::ClickCheckBox(list, 0);  // ticked, not saved
  ASSERT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"goal.str", true}}));

  // Three files on the song list: one run each, one message, and the list
  // already rebuilt when it shows.
  ASSERT_TRUE(driver::DropFiles(list, {wav, text, mp3}));
  ExpectMessageBox(*program,
                   "2 songs made: Anthem2.str, OleOle.str.\r\n\r\nThis file could not be made into a song:\r\n"
                   "notes.m4a: This file holds no music that can be read.",
                   BoxIcon::Warning, Title, [&](HWND) {
                     EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"Anthem2.str", false},
                                                               {"goal.str", true}, {"OleOle.str", false}}));
                   });
  EXPECT_EQ(ReadBytes(music + "Anthem2.str"), ReadBytes(wav));
  EXPECT_EQ(ReadBytes(music + "OleOle.str"), ReadBytes(mp3));
  EXPECT_FALSE(Exists(music + "notes.asf"));
  EXPECT_TRUE(NoImporterLeft());
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(ReadBytes(music + "music.inf"), std::string("\x01\0goal\0\0\0\0", 10)) << "nothing saved";

  // On the dialog, one file fills the boxes with the suggested name; the
  // text file made alone gives the reason on a second line.
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(driver::DropFiles(dialog, {mp3}));
  EXPECT_TRUE(driver::WaitFor([&] { return driver::WindowText(GetDlgItem(dialog, IDC_ADDNEW_TEXT1)) == mp3; }));
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_ADDNEW_TEXT2)), "OleOle2");
  Make(dialog, text, "notes");
  ExpectMessage("An error occurred during the operation.\r\nThis file holds no music that can be read.",
                BoxIcon::Error);
  // Two files on the dialog: made at once; the list follows on closing.
  ASSERT_TRUE(driver::DropFiles(dialog, {wav, mp3}));
  ExpectMessage("2 songs made: Anthem3.str, OleOle2.str.", BoxIcon::Information);
  EXPECT_EQ(Songs().size(), 4u);
  driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND3));
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"Anthem2.str", false}, {"Anthem3.str", false},
                                            {"goal.str", true}, {"OleOle.str", false}, {"OleOle2.str", false}}));
  EXPECT_TRUE(NoImporterLeft());
}

TEST_F(MakeNewSong, TheOpenDialogTakesOneFileOrSeveralTogether) {
  InstallImporter(TUNEGRAB_STANDIN);
  const std::string folder = root + "\\My Music", wav = folder + "\\Anthem.wav", mp3 = folder + "\\track01.mp3";
  WriteBytes(wav, "RIFF a drum");
  WriteBytes(mp3, Mp3Titled("Ol\xE9 Ol\xE9!"));
  HWND dialog = StartAndOpen();
  ASSERT_NE(dialog, nullptr);
  const auto choose = [&](const std::vector<std::string>& names) {
    driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND2));
    HWND chooser = program->WaitForDialog("Please select an audio file");
    ASSERT_NE(chooser, nullptr);
    if (names.size() == 1) {
      ASSERT_TRUE(driver::SetFileName(chooser, names[0]));
    } else {
      // Into the folder first, then its files' names, each in quotes.
      ASSERT_TRUE(driver::SetFileName(chooser, folder));
      driver::Press(chooser, IDOK);
      Sleep(1000);
      std::string quoted;
      for (const std::string& name : names) quoted += "\"" + name + "\" ";
      ASSERT_TRUE(driver::SetFileName(chooser, quoted));
    }
    driver::Press(chooser, IDOK);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(chooser); }));
  };
  choose({wav});
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_ADDNEW_TEXT1)), wav);
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_ADDNEW_TEXT2)), "Anthem2") << "anthem.str is taken";
  choose({"Anthem.wav", "track01.mp3"});
  ExpectMessage("2 songs made: Anthem2.str, OleOle.str.", BoxIcon::Information);
  EXPECT_EQ(ReadBytes(music + "OleOle.str"), ReadBytes(mp3));
  EXPECT_TRUE(NoImporterLeft());
}

#ifdef TUNEGRAB_PROGRAM
// The real importer on the demo game folder: its songs are the template.
class MakeNewSongWithTunegrab : public MakeNewSongGui {
 protected:
  void SetUp() override {
    MakeNewSongGui::SetUp();
    std::error_code ignored;
    std::filesystem::remove_all(game, ignored);
    std::filesystem::copy(std::string(ADDNEW_INPUTS) + "\\FIFA2001", game,
                          std::filesystem::copy_options::recursive);
    InstallImporter(TUNEGRAB_PROGRAM);
    ASSERT_TRUE(CopyFileA(TONEPAK_PROGRAM, (programFolder + "\\tonepak.exe").c_str(), FALSE));
  }
  // tonepak.exe's export of a song: its samples and their length in seconds.
  double ExportedSeconds(const std::string& song, double& rms) {
    const std::string out = root + "\\export " + song;
    CreateDirectoryA(out.c_str(), nullptr);
    driver::Run("\"" + programFolder + "\\tonepak.exe\" \"" + music + song + "\" \"" + out + "\"");
    std::string bytes = ReadBytes(out + "\\000.wav");
    ParsedWav wav = ParseWav(Bytes(bytes.begin(), bytes.end()));
    if (wav.channels == 0 || wav.rate == 0) return 0;
    double sum = 0;
    for (int16_t v : wav.samples) sum += double(v) * v;
    rms = wav.samples.empty() ? 0 : std::sqrt(sum / wav.samples.size());
    return double(wav.samples.size()) / wav.channels / wav.rate;
  }
};

TEST_F(MakeNewSongWithTunegrab, AWavAndAnMp3BecomeListedSongsThatTonepakExportsBack) {
  ASSERT_TRUE(Start());
  HWND dialog = Open();
  ASSERT_NE(dialog, nullptr);
  Make(dialog, std::string(ADDNEW_INPUTS) + "\\tone.wav", "wavsong");
  ExpectMessage("Song converted succesfully!", BoxIcon::Information);
  Make(dialog, std::string(ADDNEW_INPUTS) + "\\tone.mp3", "mp3song");
  ExpectMessage("Song converted succesfully!", BoxIcon::Information);
  EXPECT_TRUE(NoImporterLeft());
  EXPECT_FALSE(Exists(music + "tone.asf"));
  driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND3));
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", true}, {"crowd.str", false}, {"goal.str", true},
                                            {"halftime.str", false}, {"mp3song.str", false},
                                            {"Stadium.str", false}, {"wavsong.str", false}}));
  for (const char* song : {"wavsong.str", "mp3song.str"}) {
    SCOPED_TRACE(song);
    double rms = 0;
    EXPECT_NEAR(ExportedSeconds(song, rms), 2.0, 0.010);
    EXPECT_GT(rms, 300.0) << "the tone, not silence";
  }
}
#endif

}  // namespace
