// The song list as a player meets it, through the real tunedeck.exe: each
// song's length, the line that counts the ticks, the 10-song limit at the
// click, the keyboard back in the list after every message, a window that
// grows, and no ticks lost by closing.
#include "program_folder_gui.h"

#include <commctrl.h>

namespace {

using namespace program_folder_gui;
using driver::ListItem;

const std::string Question = "Your ticks have not been saved yet. Save FIFA 2001's songs list before closing?";

std::string Seconds(int seconds, unsigned seed) { return Song(seconds * 22050 / 28, seed, 2000); }

class SongListWindow : public ProgramFolderGui {
 protected:
  void SetUp() override {
    ProgramFolderGui::SetUp();
    // 13 songs: anthem (ticked), broken (no stream), goal and song01..song10.
    for (int i = 1; i <= 10; ++i) {
      std::string name = i < 10 ? "song0" : "song";
      name += std::to_string(i);
      name += ".str";
      WriteBytes(music + name, i == 1 ? Seconds(5, 7) : i == 2 ? Seconds(187, 8) : Song(Frames, 10 + i));
    }
  }
  HWND List() const { return GetDlgItem(main, IDC_LISTVIEW1); }
  std::string Counted() const { return driver::WindowText(GetDlgItem(main, IDC_TICKED)); }
  RECT Place(int id) const {
    RECT r;
    GetWindowRect(GetDlgItem(main, id), &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  bool ListHasKeyboard() const {
    return driver::WaitFor([&] { return driver::FocusOf(main) == List(); });
  }
  // Waits for the close question and answers it.
  void Answer(int button) {
    HWND box = program->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no question before closing";
    EXPECT_EQ(driver::MessageBoxText(box), Question);
    EXPECT_TRUE(driver::HasButton(box, IDYES) && driver::HasButton(box, IDNO) && driver::HasButton(box, IDCANCEL));
    driver::Press(box, button);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(box); }));
  }

  HWND main = nullptr;
};

TEST_F(SongListWindow, LengthsCountLimitFocusSizeAndNoLostTicks) {
  const std::string saved = ReadBytes(music + "music.inf");
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  std::vector<std::string> lengths(13, "0:01");
  lengths[1] = "";  // broken.str is no stream
  lengths[3] = "0:05";
  lengths[4] = "3:07";
  EXPECT_EQ(driver::ReadColumn(List(), 1), lengths);
  EXPECT_EQ(Counted(), "1 of 10 songs ticked");

  // The line follows every tick; ticking back is no change.
  driver::ClickCheckBox(List(), 2);
  EXPECT_EQ(Counted(), "2 of 10 ticked, not saved");
  driver::ClickCheckBox(List(), 2);
  EXPECT_EQ(Counted(), "1 of 10 songs ticked");

  // Ten ticked; the eleventh is refused at the click.
  for (int i = 2; i <= 10; ++i) driver::ClickCheckBox(List(), i);
  EXPECT_EQ(Counted(), "10 of 10 ticked, not saved");
  driver::ClickCheckBox(List(), 11);
  ExpectMessage("You can have only up to 10 songs in FIFA 2001.", BoxIcon::Information);
  EXPECT_FALSE(driver::ReadList(List())[11].checked);
  EXPECT_EQ(Counted(), "10 of 10 ticked, not saved");

  // After each message the keyboard is back in the list: Del asks again.
  EXPECT_TRUE(ListHasKeyboard());
  driver::SelectOnly(List(), {1});
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    driver::PressKey(driver::FocusOf(main), VK_DELETE);
    HWND box = program->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "Del did not reach the list";
    EXPECT_EQ(driver::MessageBoxText(box), "Move broken.str to the Recycle Bin?");
    driver::Press(box, IDNO);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(ListHasKeyboard());
  }
  EXPECT_TRUE(Exists(music + "broken.str"));

  // A larger window: the list takes the room, the buttons keep to the right
  // edge, Exit to the corner, both columns stay in view.
  const RECT list = Place(IDC_LISTVIEW1), save = Place(IDC_COMMAND2), exit = Place(IDC_COMMAND4);
  const int nameColumn = static_cast<int>(SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0));
  RECT frame;
  GetWindowRect(main, &frame);
  SetWindowPos(main, nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top + 120,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(driver::WaitFor([&] { return Place(IDC_LISTVIEW1).right == list.right + 200; }));
  const RECT grown = Place(IDC_LISTVIEW1);
  EXPECT_EQ(grown.bottom - grown.top, list.bottom - list.top + 120);
  EXPECT_EQ(Place(IDC_COMMAND2).left, save.left + 200);
  EXPECT_EQ(Place(IDC_COMMAND2).top, save.top);
  EXPECT_EQ(Place(IDC_COMMAND4).top, exit.top + 120);
  RECT inside;
  GetClientRect(List(), &inside);
  const int names = static_cast<int>(SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0));
  const int length = static_cast<int>(SendMessageA(List(), LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_EQ(names, nameColumn + 200);
  EXPECT_GT(length, 0);
  EXPECT_LE(names + length, inside.right);

  // Closing with unsaved ticks: Cancel keeps the window, No ends without saving.
  PostMessageA(main, WM_CLOSE, 0, 0);
  Answer(IDCANCEL);
  EXPECT_FALSE(program->HasExited());
  PostMessageA(main, WM_CLOSE, 0, 0);
  Answer(IDNO);
  EXPECT_TRUE(program->WaitForExit());
  EXPECT_EQ(ReadBytes(music + "music.inf"), saved);

  // Again, with Yes from Exit: saved, then the program ends.
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  driver::ClickCheckBox(List(), 2);
  driver::Click(GetDlgItem(main, IDC_COMMAND4));
  Answer(IDYES);
  ExpectMessage("Changes saved!", BoxIcon::Information);
  EXPECT_TRUE(program->WaitForExit());
  EXPECT_EQ(ReadBytes(music + "music.inf"), SongListFile({"anthem", "goal"}));
}

}  // namespace
