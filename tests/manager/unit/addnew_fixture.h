// The make-new-song dialog's test bench: a scripted importer, the dialog's
// and the main window's views, and a fixture with a music folder and an
// importer that works.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "common/base/text_encoding.h"
#include "common/importer_window.h"
#include "fakes.h"
#include "manager/core/FrmAddNew.h"

namespace addnew {

const std::string Game = "C:\\Games\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";
const std::string ProgramFolder = "C:\\Program Files\\Kickora";
const std::string Input = "D:\\My Music\\song.mp3";

struct Sent {
  intptr_t target;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t ms;
};

// One scripted importer process; its state lives in the FakeImporter so
// that the test can read it after the session has let go of the process.
class FakeImporter : public IImporter {
 public:
  static constexpr intptr_t Window = 0x500;
  ImporterStart startAs = ImporterStart::Started;
  int looksWithoutWindow = 0;  // -1: the window never appears
  bool convertHangs = false;
  bool closeEndsIt = true;
  std::string reason;  // what control 1016 holds after convert
  std::function<void(const std::string& input, const std::string& folder)> onConvert;

  int starts = 0;
  std::string program, commandLine;
  uint64_t now = 0;
  int looks = 0;
  bool running = false, terminated = false;
  std::vector<Sent> sent;
  std::vector<std::string> calls;
  std::map<int, std::u16string> typedUnits;  // as the Unicode boxes take them
  std::map<int, std::string> typed;          // the same in UTF-8
  std::map<std::string, FileStamp> stamps;

  class Process : public IImporterProcess {
   public:
    explicit Process(FakeImporter& f) : f_(f) {}
    bool WaitForInputIdle(uint32_t) override { return true; }
    intptr_t FindOwnWindow(const std::string& title) override {
      EXPECT_EQ(title, "Tunegrab Importer");
      ++f_.looks;
      bool shown = f_.looksWithoutWindow >= 0 && f_.looks > f_.looksWithoutWindow;
      return shown && f_.running ? Window : 0;
    }
    intptr_t GetDlgItem(intptr_t window, int id) override { return window * 0x10000 + id; }
    bool SendMessageBounded(intptr_t target, uint32_t message, uintptr_t wParam, intptr_t lParam,
                            uint32_t ms) override {
      f_.sent.push_back({target, message, wParam, lParam, ms});
      int id = static_cast<int>(target & 0xFFFF);
      if (message == WM_CLEAR_MESSAGE) f_.typedUnits[id].clear();
      if (message == WM_CHAR_MESSAGE) f_.typedUnits[id] += static_cast<char16_t>(wParam);
      f_.typed[id] = kickora::Utf8FromUtf16(f_.typedUnits[id]);
      if (message == WM_COMMAND_MESSAGE && wParam == ImporterConvertCommand) {
        f_.calls.push_back("convert");
        if (f_.convertHangs) {
          f_.now += ms;
          return false;
        }
        if (f_.onConvert) f_.onConvert(f_.typed[ImporterInputEdit], f_.typed[ImporterFolderEdit]);
      }
      if (message == WM_COMMAND_MESSAGE && wParam == ImporterCloseCommand) {
        f_.calls.push_back("close");
        if (f_.closeEndsIt) f_.running = false;
      }
      return true;
    }
    bool GetTextBounded(intptr_t target, size_t maxLength, uint32_t ms, std::string& text) override {
      f_.sent.push_back({target, WM_GETTEXT_MESSAGE, maxLength, 0, ms});
      EXPECT_EQ(target & 0xFFFF, ImporterReasonText);
      text = f_.reason.substr(0, maxLength);
      return true;
    }
    void BringWindowToTop(intptr_t window) override {
      EXPECT_EQ(window, Window);
      f_.calls.push_back("top");
    }
    bool WaitForExit(uint32_t ms) override {
      if (f_.running) f_.now += ms;
      return !f_.running;
    }
    void Terminate() override {
      f_.calls.push_back("terminate");
      f_.terminated = true;
      f_.running = false;
    }

   private:
    FakeImporter& f_;
  };

  ImporterStart Start(const std::string& path, const std::string& line,
                      std::unique_ptr<IImporterProcess>& process) override {
    ++starts;
    program = path;
    commandLine = line;
    if (startAs != ImporterStart::Started) return startAs;
    running = true;
    process = std::make_unique<Process>(*this);
    return ImporterStart::Started;
  }
  uint64_t NowMs() override { return now; }
  FileStamp Stamp(const std::string& path) override { return stamps[path]; }
};

class FakeAddNewView : public IAddNewView {
 public:
  std::string text1 = Input, text2 = "newsong";
  int text2Sets = 0;
  std::vector<std::string> calls;
  intptr_t Hwnd() override { return 0x77; }
  std::string Text1() override { return text1; }
  void SetText1(const std::string& text) override { text1 = text; }
  std::string Text2() override { return text2; }
  void SetText2(const std::string& text) override {
    text2 = text;
    ++text2Sets;
  }
  void SetHourglass(bool on) override { calls.push_back(on ? "hourglass" : "arrow"); }
  void DoEvents() override { calls.push_back("DoEvents"); }
  void Unload() override { calls.push_back("Unload"); }
};

// The main window's song list, and the folder listing it last showed.
class FakeMainView : public ISongListView {
 public:
  FakeMainView() { list.Attach(this); }
  FakeSongList list;
  std::vector<std::string> tmpFile;
  void ShowSongs(const SongList& songs) override { tmpFile = songs.Listing(); }
  void ShowTick(const SongList&, int) override {}
};

class MakeNewSong : public ::testing::Test {
 protected:
  MakeNewSong()
      : scratch(fs),
        platform{fs, registry, settings, dialogs, mainMessages, shell, ProgramFolder, "", processes,
                 scratch},
        form(view, mainView.list, platform, importer, messages) {}

  void SetUp() override {
    GameFolder = Game;
    fs.caseInsensitive = true;
    fs.AddFolder(Game + "\\data\\audio\\music");
    fs.AddFile(Input, Bytes("ID3"));
    // A working importer: convert writes <base>.asf, a new file each time.
    importer.onConvert = [this](const std::string& input, const std::string& folder) {
      std::string produced = AddBackslash(folder) + importer_window::ProducedSongName(FileNamePart(input));
      fs.AddFile(produced, Bytes("SCHl"));
      importer.stamps[produced] = {true, ++writes, 4};
    };
    form.Form_Load();
  }

  void ExpectOneMessage(const std::string& text, MessageIcon icon) {
    ASSERT_EQ(messages.shown.size(), 1u) << (messages.shown.empty() ? "" : messages.shown[0].text);
    EXPECT_EQ(messages.shown[0].text, text);
    EXPECT_EQ(messages.shown[0].icon, icon);
    EXPECT_EQ(messages.shown[0].title, "Kickora Music Manager");
  }
  // The renames the shell was asked for, as produced -> target.
  std::vector<std::string> Renames() const {
    std::vector<std::string> out;
    for (auto& call : fs.shellCalls) {
      EXPECT_EQ(call.operation, FO_RENAME_CODE);
      EXPECT_EQ(call.flags, 0x18u);
      out.push_back(call.sources + "->" + call.target);
    }
    return out;
  }

  uint64_t writes = 0;
  FakeFileSystem fs;
  FakeRegistry registry;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeMessages mainMessages, messages;
  FakeShell shell;
  FakeProcessRunner processes;
  FakeScratchFolders scratch;
  Platform platform;
  FakeImporter importer;
  FakeAddNewView view;
  FakeMainView mainView;
  FrmAddNew form;
};

}  // namespace addnew
