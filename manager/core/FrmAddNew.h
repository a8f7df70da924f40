// The make-new-song dialog, free of any window system: the Win32 form
// forwards its events here and implements IAddNewView. The conversion
// itself is the outside importer's (ImporterSession); this form checks the
// input, drives one importer run per Make, renames the file the importer
// produced into the music folder as the new song, and rebuilds the main
// window's list when it closes after making songs.
#pragma once

#include <cstdint>
#include <string>

#include "manager/core/ImporterSession.h"
#include "manager/core/frmMain.h"

// What Make, the browse button and Close ask of the dialog's window.
class IAddNewView {
 public:
  virtual ~IAddNewView() = default;
  virtual intptr_t Hwnd() = 0;
  virtual std::string Text1() = 0;
  virtual void SetText1(const std::string& text) = 0;
  virtual std::string Text2() = 0;
  virtual void SetHourglass(bool on) = 0;
  // Lets the user interface process the pending window messages once.
  virtual void DoEvents() = 0;
  virtual void Unload() = 0;
};

constexpr const char* AddNewCaption = "Kickora Music Manager - Make new song...";
constexpr const char* AddNewFailed = "An error occurred during the operation.";
constexpr size_t SongNameMaxLength = 8;

class FrmAddNew {
 public:
  // messages: the message boxes of this dialog (owned by it);
  // mainWindow: the window whose list Close rebuilds.
  FrmAddNew(IAddNewView& view, IMainView& mainWindow, Platform& platform, IImporter& importer,
            IMessageSink& messages)
      : view_(view), main_(mainWindow), platform_(platform), importer_(importer),
        messages_(messages) {}

  void Form_Load();
  void Command1_Click();  // "&Make!"
  void Command2_Click();  // "..." chooses the input file
  void Command3_Click();  // "&Close" (and Esc)
  void Command4_Click();  // "&Help"
  // The title bar's close box (and every other way of closing): as Close.
  void Form_QueryUnload();

  bool SongsAdded = false;

  // The paths of one Make, from the input file and the new song's name.
  static std::string MusicFolderPath();
  // "" when the input file's name has fewer than four characters.
  static std::string ProducedFile(const std::string& inputFile);
  static std::string TargetFile(const std::string& songName);
  // False when name holds a character no file name can hold.
  static bool IsFileNameText(const std::string& name);

 private:
  // The four checks in their order; false when one refused (its message shown).
  bool CheckInput(const std::string& text1, const std::string& text2);
  // One importer run: when the importer started and showed its window,
  // the conversion, the rename and their message; otherwise nothing shown.
  ImporterStart RunImporter(const std::string& text1, const std::string& text2,
                            const std::string& produced);
  void RebuildMainList();

  IAddNewView& view_;
  IMainView& main_;
  Platform& platform_;
  IImporter& importer_;
  IMessageSink& messages_;
  bool making_ = false;
};
