// The help file is read in Notepad: CR LF line ends, short lines, plain
// ASCII, and it explains every button and rule a player meets.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(HelpFile, IsPlainCrLfTextUnderEightyColumnsThatCoversEveryButton) {
  std::ifstream in(TUNEDECK_README, std::ios::binary);
  ASSERT_TRUE(in) << TUNEDECK_README;
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  ASSERT_FALSE(text.empty());
  ASSERT_TRUE(text.ends_with("\r\n"));
  size_t lineStart = 0;
  int line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "lone CR in line " << line;
      EXPECT_LT(i - lineStart, 80u) << "line " << line << " is too long";
      ++i;
      lineStart = i + 1;
      ++line;
    } else {
      ASSERT_NE(c, '\n') << "LF without CR in line " << line;
      ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "character " << int(c) << " in line " << line;
    }
  }
  for (const char* topic :
       {"Make new song...", "Save Changes", "Export song from game...", "Help", "About...", "Exit",
        "Export song!", "Make!", "\"Close\"", "\"...\"", "at most 10 songs",
        "may have at most 8", "has not been installed properly", "data\\audio\\music",
        "Program Files", "  export: TONEPAK <music file> [mode] [<destination directory>]",
        "  import: TONEPAK -import <wave file> <destination file> <original sound> [bnk]",
        "  unpack: TONEPAK -unpack <sound pack file> <index> [<destination dir>]",
        "  pack:   TONEPAK -pack <directory of unpacked files> <new packfile> <index>"})
    EXPECT_NE(text.find(topic), std::string::npos) << topic;
}

}  // namespace
