// The open and save file dialogs. The open dialog takes its settings as one
// record, the save dialog each as an argument by reference; a confirmed
// choice comes back through them. The dialog itself sits behind
// IFileDialogApi (GetOpenFileNameA and GetSaveFileNameA in the program).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t OFN_READONLY_FLAG = 0x1;
constexpr uint32_t OFN_OVERWRITEPROMPT_FLAG = 0x2;
constexpr uint32_t OFN_HIDEREADONLY_FLAG = 0x4;
constexpr uint32_t OFN_ENABLEHOOK_FLAG = 0x20;
constexpr uint32_t OFN_ENABLETEMPLATE_FLAG = 0x40;
constexpr uint32_t OFN_ALLOWMULTISELECT_FLAG = 0x200;
constexpr uint32_t OFN_FILEMUSTEXIST_FLAG = 0x1000;
constexpr uint32_t OFN_EXPLORER_FLAG = 0x80000;

constexpr size_t DialogBufferSize = 260;
// The file buffer when several files may be chosen: their folder and all
// their names go into it.
constexpr size_t MultiSelectBufferSize = 32768;

// The request record (OPENFILENAMEA) as the module fills it. Texts that
// are empty are passed as no value.
struct FileDialogRequest {
  intptr_t owner = 0;
  std::string filter;          // converted: entries and patterns NUL-separated
  int32_t filterIndex = 0;
  std::string file;            // DialogBufferSize (MultiSelectBufferSize) bytes, NUL-padded
  std::string fileTitle;       // DialogBufferSize bytes, NUL-padded
  std::string initialDir;
  std::string title;
  std::string defaultExt;
  uint32_t flags = 0;
  // The file and file-title buffers in UTF-8 (the dialog's wide form), so
  // that a file of any name can be chosen; else in the system's code page.
  bool utf8Paths = false;
};

class IFileDialogApi {
 public:
  virtual ~IFileDialogApi() = default;
  // Shows the dialog; true when the user confirmed a file. The platform
  // writes the chosen path, title, flags and filter index into request.
  virtual bool GetOpenFileName(FileDialogRequest& request) = 0;
  virtual bool GetSaveFileName(FileDialogRequest& request) = 0;
  // The shell's folder picker; the folder chosen, in UTF-8 (any name), ""
  // when cancelled.
  virtual std::string ChooseFolder(intptr_t /*owner*/, const std::string& /*title*/) { return ""; }
};

std::string TextBeforeNul(const std::string& text);
// "|" and ":" become NUL; two NULs end the text.
std::string ConvertFilter(const std::string& filter);
// Entry n (from 1) of a converted filter: description NUL pattern.
std::string FilterEntry(const std::string& convertedFilter, int32_t n);
uint32_t OpenDialogFlags(bool fileMustExist, bool multiSelect, bool readOnly, bool hideReadOnly,
                         uint32_t flags);
uint32_t SaveDialogFlags(bool overwritePrompt, uint32_t flags);
// The full paths an Explorer-style open dialog with multiple selection
// returned in its file buffer: one path, or the folder, then each name,
// all NUL-separated, up to two NULs (or the buffer's end).
std::vector<std::string> SelectedFiles(const std::string& buffer);

// What the open dialog is asked for. A confirmed choice hands back fileName,
// fileTitle, filter (the chosen entry), filterIndex, readOnly and flags; a
// cancel empties fileName, fileTitle, filter and flags.
struct OpenDialogSettings {
  std::string fileName;
  std::string fileTitle;
  bool fileMustExist = false;
  bool multiSelect = false;
  bool readOnly = false;
  bool hideReadOnly = false;
  std::string filter;  // "description|pattern|..."
  int32_t filterIndex = 0;
  std::string initialDir;
  std::string dialogTitle;
  std::string defaultExt;
  intptr_t owner = 0;  // -1: no owner
  int32_t flags = 0;
  // Out, with multiSelect: every file chosen, as full paths.
  std::vector<std::string> fileNames;
  // fileName, fileTitle and fileNames in UTF-8 (any name); else in the
  // system's code page.
  bool utf8Paths = false;
};

bool ShowOpenDialog(IFileDialogApi& api, OpenDialogSettings& settings);

bool ShowSaveDialog(IFileDialogApi& api, std::string& fileName, std::string& fileTitle,
                    bool& overwritePrompt, std::string& filter, int32_t& filterIndex,
                    std::string& initialDir, std::string& dialogTitle, std::string& defaultExt,
                    intptr_t& owner, int32_t& flags, bool utf8Paths = false);
