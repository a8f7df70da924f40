// The release as a player meets it, driven from outside: the programs
// unpacked from the ZIP into "C:\Program Files\Kickora Music Manager", a
// game installed and registered at "C:\Program Files\EA SPORTS\FIFA 2001".
// The steps run in order on one running tunedeck.exe and share its state;
// run-release-test.sh lays out the prefix and passes the paths.
//
//   release_flow.exe --program=<folder> --game=<folder> --wav=<file>
//     --mp3=<file> --export-to=<file> --reference=<file> --formats=<folder>
//     [--pace=<seconds>]
//
// The formats folder holds Alpha.m4a (title tag "Olé Olé"), Bravo.flac,
// Charlie.ogg, Delta.opus and Echo.aiff, each two seconds of tone.
//
// --pace pauses between steps and actions so that a person can follow.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kickora_version.h"
#include "manager/win32/FrmAddNew.h"
#include "manager/win32/resource.h"
#include "program_files.h"
#include "support/wav_reading.h"
#include "tests/manager/gui/driver.h"
#include "tests/manager/gui/gui_files.h"

namespace {

using namespace gui_files;
using namespace program_files;
using driver::BoxIcon;
using driver::ListItem;
using driver::Program;

struct Paths {
  std::string program, game, wav, mp3, exportTo, reference, formats;
  double pace = 0;
};
Paths given;

const std::string SongMp3 = "Canci\xF3n";  // "Canción", code page 1252

// The narration goes to the Unix terminal that runs Wine, which reads UTF-8.
void Narrate(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  std::printf("%s\n", utf8.c_str());
  std::fflush(stdout);
}

// A pause a person can follow; none when unattended.
void Beat(double share = 0.5) {
  if (given.pace > 0) Sleep(static_cast<DWORD>(given.pace * share * 1000));
}

// What the whole flow shares: the running manager and what was there before.
struct Flow {
  std::unique_ptr<Program> program;
  HWND main = nullptr;
  Listing programBefore, gameBefore, tempBefore;
  std::string Music() const { return given.game + "\\data\\audio\\music\\"; }
  std::string Exe() const { return given.program + "\\tunedeck.exe"; }
  HWND List() const { return GetDlgItem(main, IDC_LISTVIEW1); }
};
Flow flow;

class Release : public ::testing::Test {
 protected:
  void SetUp() override { Beat(1.0); }

  static void ExpectMessage(Program& program, const std::string& text, BoxIcon icon) {
    ExpectMessageBox(program, text, icon, Title, [](HWND) { Beat(); });
  }
  static void Tick(int index) {
    driver::ClickCheckBox(flow.List(), index);
    Beat(0.3);
  }
  static void Save() {
    driver::Click(GetDlgItem(flow.main, IDC_COMMAND2));
    ExpectMessage(*flow.program, "Changes saved!", BoxIcon::Information);
  }
  // Picks path in the file dialog that the "..." button opens; the path
  // must then stand in the dialog's text box.
  static void Choose(HWND dialog, int browseButton, const std::string& title, const std::string& path,
                     int textBox) {
    driver::Click(GetDlgItem(dialog, browseButton));
    HWND chooser = flow.program->WaitForDialog(title);
    ASSERT_NE(chooser, nullptr) << title;
    ASSERT_TRUE(driver::SetFileName(chooser, path));
    Beat();
    driver::Press(chooser, IDOK);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(chooser); }));
    EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, textBox)), path);
    Beat(0.3);
  }
  static std::vector<ListItem> Songs() { return driver::ReadList(flow.List()); }
  static void CloseDialog(HWND dialog, int closeButton) {
    Beat();
    driver::Click(GetDlgItem(dialog, closeButton));
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  }
};

TEST_F(Release, Step0_TheProgramFolderHoldsTheReleasedProgramsWithVersionsAndManifests) {
  Narrate("0. the program folder unpacked from the ZIP");
  EXPECT_EQ(Names(flow.programBefore),
            (std::vector<std::string>{"licence.txt", "readme.txt", "tonepak.exe", "tunedeck.exe", "tunegrab.exe"}));
  struct Expected {
    std::string name, version;
    bool window;
  };
  const std::vector<Expected> programs = {{"tunedeck", TUNEDECK_VERSION_FULL, true},
                                          {"tonepak", TONEPAK_VERSION_FULL, false},
                                          {"tunegrab", TUNEGRAB_VERSION_FULL, true}};
  for (const auto& [name, version, window] : programs) {
    SCOPED_TRACE(name);
    const std::string path = given.program + "\\" + name + ".exe";
    EXPECT_EQ(FileVersion(path), version);
    const std::string manifest = Manifest(path);
    // The manifest's assembly carries the version resource's version.
    EXPECT_NE(manifest.find("name=\"Kickora.MusicManager." + name + "\" version=\"" + version + "\""),
              std::string::npos)
        << manifest;
    // The windows scale to each monitor's DPI; the console converter has none.
    EXPECT_EQ(manifest.find("PerMonitorV2") != std::string::npos, window) << manifest;
    // No execution level: like the game, a legacy program whose writes
    // under "Program Files" Windows redirects to the user's VirtualStore.
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
  }
}

const std::vector<ListItem> Installed = {{"anthem.str", true},  {"crowd.str", false},   {"goal.str", true},
                                         {"halftime.str", false}, {"kickoff.str", false}, {"Stadium.str", false}};

TEST_F(Release, Step1_StartsFromTheShortcutsCommandLineAndFromTheRegistryAlone) {
  Narrate("1. tunedeck.exe from the shortcut's command line, the game folder in double quotes");
  {
    Program shortcut(flow.Exe(), "\"" + given.game + "\"", given.program);
    ExpectMessage(shortcut, "Fifa 2001 folder is: " + given.game, BoxIcon::Information);
    HWND main = shortcut.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(driver::WindowText(GetDlgItem(main, IDC_LABEL2)), "Fifa 2001's folder is: " + given.game);
    EXPECT_EQ(driver::ReadList(GetDlgItem(main, IDC_LISTVIEW1)), Installed);
    Beat();
    driver::Click(GetDlgItem(main, IDC_COMMAND4));
    EXPECT_TRUE(shortcut.WaitForExit());
  }
  Narrate("   and without a command line: the game's App Paths entry alone");
  flow.program = std::make_unique<Program>(flow.Exe(), "", given.program);
  flow.main = flow.program->WaitForMainWindow();
  ASSERT_NE(flow.main, nullptr);
  EXPECT_EQ(flow.program->Windows(), std::vector<HWND>{flow.main}) << "no message";
  EXPECT_EQ(driver::WindowText(GetDlgItem(flow.main, IDC_LABEL2)), "Fifa 2001's folder is: " + given.game);
  EXPECT_EQ(Songs(), Installed);
  EXPECT_EQ(driver::ReadSetting(Title, "Settings", "Fifapath"), "") << "a found folder is not saved";
}

TEST_F(Release, Step2_TicksAndUnticksSongsAndSavesTheSongList) {
  ASSERT_NE(flow.main, nullptr);
  Narrate("2. untick anthem, tick crowd and kickoff, save");
  Tick(0);
  Tick(1);
  Tick(4);
  EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", false}, {"crowd.str", true}, {"goal.str", true},
                                            {"halftime.str", false}, {"kickoff.str", true},
                                            {"Stadium.str", false}}));
  Save();
  EXPECT_EQ(ReadBytes(flow.Music() + "music.inf"), SongListFile({"crowd", "goal", "kickoff"}));
}

TEST_F(Release, Step3_ExportsASongAsTheNativeConverterDoes) {
  ASSERT_NE(flow.main, nullptr);
  Narrate("3. export kickoff.str, choosing a " + std::to_string(given.exportTo.size()) + "-character path in the save dialog");
  driver::SelectOnly(flow.List(), {4});
  Beat(0.3);
  driver::Click(GetDlgItem(flow.main, IDC_COMMAND6));
  HWND dialog = flow.program->WaitForDialog("Kickora Music Manager - Export song from game...");
  ASSERT_NE(dialog, nullptr);
  Choose(dialog, IDC_EXPORT_COMMAND2, "Save exported song as...", given.exportTo, IDC_EXPORT_TEXT1);
  driver::Click(GetDlgItem(dialog, IDC_EXPORT_COMMAND1));
  ExpectMessage(*flow.program,
                "Song exported succesfully! You can now listen to it by using a multimedia player (i.e. Winamp).",
                BoxIcon::Information);
  const std::string exported = ReadBytes(given.exportTo), reference = ReadBytes(given.reference);
  EXPECT_GT(reference.size(), 44u);
  EXPECT_TRUE(exported == reference) << exported.size() << " bytes exported, the native converter wrote "
                                     << reference.size();
  CloseDialog(dialog, IDC_EXPORT_COMMAND3);
}

// tonepak.exe from the program folder, run by hand on a song: its length
// in seconds and its loudness as an RMS of 16-bit samples.
double ExportedSeconds(const std::string& song, double& rms) {
  const std::string scratch = "C:\\users\\Public\\release check";
  CreateDirectoryA(scratch.c_str(), nullptr);
  driver::RunIn("\"" + given.program + "\\tonepak.exe\" \"" + flow.Music() + song + "\"", scratch);
  const std::string bytes = ReadBytes(scratch + "\\000.wav");
  DeleteFileA((scratch + "\\000.wav").c_str());
  RemoveDirectoryA(scratch.c_str());
  ParsedWav wav = ParseWav(Bytes(bytes.begin(), bytes.end()));
  if (wav.channels == 0 || wav.rate == 0 || wav.samples.empty()) return 0;
  double sum = 0;
  for (int16_t v : wav.samples) sum += double(v) * v;
  rms = std::sqrt(sum / wav.samples.size());
  return double(wav.samples.size()) / wav.channels / wav.rate;
}

TEST_F(Release, Step4_MakesNewSongsFromAWavAndAnMp3) {
  ASSERT_NE(flow.main, nullptr);
  Narrate("4. make kickwav from \"" + given.wav + "\"");
  driver::Click(GetDlgItem(flow.main, IDC_COMMAND1));
  HWND dialog = flow.program->WaitForDialog("Kickora Music Manager - Make new song...");
  ASSERT_NE(dialog, nullptr);
  auto make = [&](const std::string& input, const std::string& name) {
    if (input == given.mp3)
      Choose(dialog, IDC_ADDNEW_COMMAND2, "Please select an audio file", input, IDC_ADDNEW_TEXT1);
    else
      driver::SetText(GetDlgItem(dialog, IDC_ADDNEW_TEXT1), input);
    driver::SetText(GetDlgItem(dialog, IDC_ADDNEW_TEXT2), name);
    Beat();
    driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND1));
    ExpectMessage(*flow.program, "Song converted succesfully!", BoxIcon::Information);
  };
  make(given.wav, "kickwav");
  Narrate("   and " + SongMp3 + " from a " + std::to_string(given.mp3.size()) + "-character MP3 path chosen in the open dialog");
  make(given.mp3, SongMp3);
  CloseDialog(dialog, IDC_ADDNEW_COMMAND3);
  EXPECT_EQ(Songs(), (std::vector<ListItem>{{"anthem.str", false}, {SongMp3 + ".str", false},
                                            {"crowd.str", true}, {"goal.str", true}, {"halftime.str", false},
                                            {"kickoff.str", true}, {"kickwav.str", false},
                                            {"Stadium.str", false}}));
  Narrate("   tick " + SongMp3 + ", save");
  Tick(1);
  Save();
  EXPECT_EQ(ReadBytes(flow.Music() + "music.inf"), SongListFile({SongMp3, "crowd", "goal", "kickoff"}));
  for (const std::string& song : {std::string("kickwav.str"), SongMp3 + ".str"}) {
    SCOPED_TRACE(song);
    double rms = 0;
    EXPECT_NEAR(ExportedSeconds(song, rms), 2.0, 0.010);
    EXPECT_GT(rms, 300.0) << "the tone, not silence";
  }
}

// The five formats the importer reads through the platform, dropped on the
// song list together: five songs under their suggested names (the M4A's
// from its title tag), the list rebuilt with the saved ticks kept.
const std::vector<std::string> FormatSongs = {"OleOle.str", "Bravo.str", "Charlie.str", "Delta.str", "Echo.str"};

TEST_F(Release, Step4b_MakesSongsFromFiveMusicFormatsDroppedOnTheList) {
  ASSERT_NE(flow.main, nullptr);
  Narrate("4b. drop an M4A, a FLAC, an Ogg Vorbis, an Opus and an AIFF file on the song list");
  std::vector<std::string> files;
  for (const char* name : {"Alpha.m4a", "Bravo.flac", "Charlie.ogg", "Delta.opus", "Echo.aiff"})
    files.push_back(given.formats + "\\" + name);
  ASSERT_TRUE(driver::DropFiles(flow.List(), files));
  std::string made = "5 songs made: ";
  for (size_t i = 0; i < FormatSongs.size(); ++i) made += (i ? ", " : "") + FormatSongs[i];
  ExpectMessage(*flow.program, made + ".", BoxIcon::Information);
  std::map<std::string, bool> ticks;
  for (const ListItem& item : Songs()) ticks[item.text] = item.checked;
  for (const std::string& song : FormatSongs) {
    SCOPED_TRACE(song);
    ASSERT_EQ(ticks.count(song), 1u) << "not in the list";
    EXPECT_FALSE(ticks[song]);
    double rms = 0;
    EXPECT_NEAR(ExportedSeconds(song, rms), 2.0, 0.010);
    EXPECT_GT(rms, 300.0) << "the tone, not silence";
  }
  EXPECT_TRUE(ticks[SongMp3 + ".str"] && ticks["crowd.str"] && ticks["goal.str"] && ticks["kickoff.str"])
      << "the saved ticks are kept";
  EXPECT_EQ(ticks.size(), 13u);
}

// The top-level window of a program started by the shell, found by class.
HWND WaitForWindowOfClass(const char* windowClass) {
  HWND found = nullptr;
  driver::WaitFor([&] { return (found = FindWindowA(windowClass, nullptr)) != nullptr; });
  return found;
}

TEST_F(Release, Step5_OpensAndClosesTheAboutBoxAndTheHelpFile) {
  ASSERT_NE(flow.main, nullptr);
  Narrate("5. the About box, then the help file");
  driver::Click(GetDlgItem(flow.main, IDC_COMMAND3));
  HWND about = flow.program->WaitForDialog("About Kickora Music Manager");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(driver::WindowText(GetDlgItem(about, IDC_ABOUT_LBLVERSION)), "Version " KICKORA_VERSION);
  CloseDialog(about, IDC_ABOUT_CMDOK);

  driver::Click(GetDlgItem(flow.main, IDC_COMMAND5));
  HWND notepad = WaitForWindowOfClass("Notepad");
  ASSERT_NE(notepad, nullptr) << "the help file did not open";
  EXPECT_NE(driver::WindowText(notepad).find("readme"), std::string::npos) << driver::WindowText(notepad);
  Beat();
  PostMessageA(notepad, WM_CLOSE, 0, 0);
  EXPECT_TRUE(driver::WaitFor([] { return driver::CountProcesses("notepad.exe") == 0; }));
}

TEST_F(Release, Step6_LeavesNothingBehind) {
  ASSERT_NE(flow.main, nullptr);
  Narrate("6. exit; nothing written to the program folder, nothing running, no temporary files");
  driver::Click(GetDlgItem(flow.main, IDC_COMMAND4));
  EXPECT_TRUE(flow.program->WaitForExit());
  for (const char* exe : {"tunedeck.exe", "tonepak.exe", "tunegrab.exe", "notepad.exe"})
    EXPECT_TRUE(driver::WaitFor([&] { return driver::CountProcesses(exe) == 0; }, std::chrono::seconds(10)))
        << exe;
  EXPECT_EQ(List(given.program, true), flow.programBefore);
  EXPECT_EQ(Names(List(TempFolder(), false)), Names(flow.tempBefore));
  Listing expectedGame = flow.gameBefore;
  std::vector<std::string> madeSongs = FormatSongs;
  madeSongs.insert(madeSongs.end(), {SongMp3 + ".str", std::string("kickwav.str")});
  for (const std::string& made : madeSongs) expectedGame["data\\audio\\music\\" + made] = {};
  EXPECT_EQ(Names(List(given.game, false)), Names(expectedGame)) << "only the seven new songs";
}

bool Take(const char* argument, const char* name, std::string& value) {
  const size_t length = std::strlen(name);
  if (std::strncmp(argument, name, length) != 0) return false;
  value = argument + length;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string pace;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (!(Take(a, "--program=", given.program) || Take(a, "--game=", given.game) || Take(a, "--wav=", given.wav) ||
          Take(a, "--mp3=", given.mp3) || Take(a, "--export-to=", given.exportTo) ||
          Take(a, "--reference=", given.reference) || Take(a, "--formats=", given.formats) ||
          Take(a, "--pace=", pace))) {
      std::fprintf(stderr, "unknown argument %s\n", a);
      return 2;
    }
  }
  if (!pace.empty()) given.pace = std::atof(pace.c_str());
  flow.programBefore = List(given.program, true);
  flow.gameBefore = List(given.game, false);
  flow.tempBefore = List(TempFolder(), false);
  return RUN_ALL_TESTS();
}
