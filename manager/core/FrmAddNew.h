// The make-new-song dialog, free of any window system: the Win32 form
// forwards its events here and implements IAddNewView. The conversion
// itself is the outside importer's (ImporterSession); this form checks the
// input, drives one importer run per Make, renames the file the importer
// produced into the music folder as the new song, and rebuilds the main
// window's list when it closes after making songs.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "manager/core/ImporterSession.h"
#include "manager/core/SongImport.h"
#include "manager/core/frmMain.h"

// What Make, the browse button and Close ask of the dialog's window.
class IAddNewView : public IBusyView {
 public:
  virtual intptr_t Hwnd() = 0;
  // The input music file's path, in UTF-8 (any name).
  virtual std::string Text1() = 0;
  // Sets the text only: the form runs Text1_Change itself.
  virtual void SetText1(const std::string& text) = 0;
  virtual std::string Text2() = 0;
  virtual void SetText2(const std::string& text) = 0;
  // Lets the user interface process the pending window messages once.
  void DoEvents() override = 0;
  virtual void Unload() = 0;
};

constexpr const char* AddNewCaption = "Kickora Music Manager - Make new song...";
constexpr const char* AddNewFailed = "An error occurred during the operation.";
constexpr const char* AddNewLabel2 = "Select the music file you want to import:";
// Every kind of file the importer reads, then any file.
constexpr const char* AddNewFilter =
    "Music files (*.wav; *.mp3; *.m4a; *.aac; *.mp4; *.flac; *.ogg; *.oga; *.opus; *.aif; "
    "*.aiff; *.aifc; *.wma)|*.wav;*.mp3;*.m4a;*.aac;*.mp4;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;"
    "*.aifc;*.wma|All files (*.*)|*.*";
constexpr size_t SongNameMaxLength = 8;

// The message when the importer made no song: the reason it gives on a
// second line, when it gives one.
std::string AddNewFailedMessage(const std::string& reason);

class FrmAddNew {
 public:
  // messages: the message boxes of this dialog (owned by it);
  // songs: the main window's list, which Close rebuilds.
  FrmAddNew(IAddNewView& view, SongList& songs, Platform& platform, IImporter& importer,
            IMessageSink& messages)
      : view_(view), songs_(songs), platform_(platform), importer_(importer),
        messages_(messages) {}

  void Form_Load();
  void Command1_Click();  // "&Make!"
  void Command2_Click();  // "..." chooses the input file
  void Command3_Click();  // "&Close" (and Esc)
  void Command4_Click();  // "&Help"
  // Text1 now holds another text (typed, chosen or dropped): a file's path
  // gives Text2 a suggested name while Text2 is empty or still holds the
  // last suggestion.
  void Text1_Change();
  // Files dropped on the dialog (paths in UTF-8): one goes into Text1,
  // several are made into songs at once.
  void Form_FilesDropped(const std::vector<std::string>& files);
  // The title bar's close box (and every other way of closing): as Close.
  void Form_QueryUnload();

  bool SongsAdded = false;

  // The paths of one Make, from the input file (UTF-8) and the new song's
  // name, in the system's code page. "" when nothing is left of the input
  // file's name before its last dot.
  static std::string ProducedFile(const std::string& inputFile);
  static std::string TargetFile(const std::string& songName);
  // False when name holds a character no file name can hold.
  static bool IsFileNameText(const std::string& name);

 private:
  // The four checks in their order; false when one refused (its message shown).
  bool CheckInput(const std::string& text1, const std::string& text2);
  // Several files made into songs under their suggested names.
  void MakeBatch(const std::vector<std::string>& files);

  IAddNewView& view_;
  SongList& songs_;
  Platform& platform_;
  IImporter& importer_;
  IMessageSink& messages_;
  bool making_ = false;
  std::string suggested_;  // the name Text1_Change last put into Text2
};
