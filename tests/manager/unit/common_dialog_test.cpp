// The file dialogs' request record, filter conversion and returned values.
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/mCommonDialog.h"

namespace {

TEST(ConvertFilter, SplitsAtBarsAndColonsAndEndsWithTwoNuls) {
  EXPECT_EQ(ConvertFilter("Audio files (*.wav)|*.wav"),
            std::string("Audio files (*.wav)\0*.wav\0\0", 27));
  EXPECT_EQ(ConvertFilter("Drive|C:*.exe"), std::string("Drive\0C\0*.exe\0\0", 15));
}

TEST(FilterEntry, ReturnsDescriptionAndPatternOfEntryN) {
  std::string converted = ConvertFilter("Wave (*.wav)|*.wav|MP3 (*.mp3)|*.mp3");
  EXPECT_EQ(FilterEntry(converted, 1), std::string("Wave (*.wav)\0*.wav", 18));
  EXPECT_EQ(FilterEntry(converted, 2), std::string("MP3 (*.mp3)\0*.mp3", 17));
  EXPECT_EQ(FilterEntry("", 1), "");
}

TEST(TextBeforeNul, CutsAtTheFirstNul) {
  EXPECT_EQ(TextBeforeNul(std::string("C:\\a.wav\0junk", 13)), "C:\\a.wav");
  EXPECT_EQ(TextBeforeNul("whole"), "whole");
}

TEST(DialogFlags, OpenAddsTheBooleansAndDropsHooksAndTemplates) {
  EXPECT_EQ(OpenDialogFlags(true, false, false, true, 0), 0x1004u);
  EXPECT_EQ(OpenDialogFlags(false, true, true, false, 0x60 | 0x80000), 0x80201u);
}

TEST(DialogFlags, SaveAlwaysHidesTheReadOnlyBox) {
  EXPECT_EQ(SaveDialogFlags(true, 0), 0x6u);
  EXPECT_EQ(SaveDialogFlags(false, 0x20), 0x4u);
}

struct OpenArgs : OpenDialogSettings {
  OpenArgs() {
    fileName = "start.exe";
    fileMustExist = true;
    hideReadOnly = true;
    filter = "Fifa2001.exe|fifa2001.exe";
    filterIndex = 1;
    initialDir = "C:\\";
    dialogTitle = "Pick";
    owner = -1;
  }
  bool Show(FakeDialogs& dialogs) { return ShowOpenDialog(dialogs, *this); }
};

TEST(ShowOpenDialog, FillsTheRequestRecord) {
  FakeDialogs dialogs;
  OpenArgs args;
  args.Show(dialogs);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  const FileDialogRequest& r = dialogs.requests[0];
  EXPECT_EQ(r.owner, 0);  // -1 means no owner
  EXPECT_EQ(r.flags, 0x1004u);
  EXPECT_EQ(r.filter, std::string("Fifa2001.exe\0fifa2001.exe\0\0", 27));
  EXPECT_EQ(r.file.size(), DialogBufferSize);
  EXPECT_EQ(TextBeforeNul(r.file), "start.exe");
  EXPECT_EQ(r.fileTitle, std::string(DialogBufferSize, '\0'));
  EXPECT_EQ(r.initialDir, "C:\\");
  EXPECT_FALSE(dialogs.wasSave[0]);
}

TEST(ShowOpenDialog, HandsBackTheChoice) {
  FakeDialogs dialogs;
  dialogs.confirm = true;
  dialogs.chosenPath = "D:\\FIFA 2001\\fifa2001.exe";
  dialogs.chosenTitle = "fifa2001.exe";
  dialogs.returnedFlags = 0x1005;
  OpenArgs args;
  ASSERT_TRUE(args.Show(dialogs));
  EXPECT_EQ(args.fileName, "D:\\FIFA 2001\\fifa2001.exe");
  EXPECT_EQ(args.fileTitle, "fifa2001.exe");
  EXPECT_TRUE(args.readOnly);
  EXPECT_EQ(args.flags, 0x1005);
  EXPECT_EQ(args.filter, std::string("Fifa2001.exe\0fifa2001.exe", 25));
}

TEST(ShowOpenDialog, CancelEmptiesTheTextsAndFlags) {
  FakeDialogs dialogs;
  OpenArgs args;
  args.flags = 0x80000;
  EXPECT_FALSE(args.Show(dialogs));
  EXPECT_EQ(args.fileName, "");
  EXPECT_EQ(args.fileTitle, "");
  EXPECT_EQ(args.filter, "");
  EXPECT_EQ(args.flags, 0);
}

TEST(ShowSaveDialog, UsesTheSaveDialogWithOverwritePrompt) {
  FakeDialogs dialogs;
  dialogs.confirm = true;
  dialogs.chosenPath = "C:\\out\\song.wav";
  std::string file, title, filter = "Audio files (*.wav)|*.wav", dir, caption = "Save", ext = "wav";
  bool overwrite = true;
  int32_t index = 1, flags = 0;
  intptr_t owner = 42;
  ASSERT_TRUE(ShowSaveDialog(dialogs, file, title, overwrite, filter, index, dir, caption, ext,
                             owner, flags));
  EXPECT_TRUE(dialogs.wasSave[0]);
  EXPECT_EQ(dialogs.requests[0].flags, 0x6u);
  EXPECT_EQ(dialogs.requests[0].owner, 42);
  EXPECT_EQ(dialogs.requests[0].defaultExt, "wav");
  EXPECT_EQ(file, "C:\\out\\song.wav");
}

TEST(SelectedFiles, OnePathOrAFolderWithItsNames) {
  using namespace std::string_literals;
  EXPECT_EQ(SelectedFiles("C:\\a b\\song.mp3\0\0"s), std::vector<std::string>{"C:\\a b\\song.mp3"});
  EXPECT_EQ(SelectedFiles("C:\\in\0one.wav\0two.flac\0\0junk\0"s),
            (std::vector<std::string>{"C:\\in\\one.wav", "C:\\in\\two.flac"}));
  EXPECT_EQ(SelectedFiles("C:\\\0root.ogg\0\0"s), std::vector<std::string>{"C:\\root.ogg"}) << "a drive's root";
  EXPECT_EQ(SelectedFiles("C:\\in\0cut.wa"s), (std::vector<std::string>{"C:\\in\\cut.wa"})) << "no end mark";
  EXPECT_TRUE(SelectedFiles(std::string(8, '\0')).empty());
}

}  // namespace
