#include "manager/core/mCommonDialog.h"

#include "manager/core/modFiles.h"

namespace {

std::string PadToBuffer(const std::string& text, size_t size = DialogBufferSize) {
  std::string buffer = text.substr(0, size);
  buffer.resize(size, '\0');
  return buffer;
}

// Hooks and templates need callbacks this module does not provide.
constexpr uint32_t UnsupportedFlags = OFN_ENABLEHOOK_FLAG | OFN_ENABLETEMPLATE_FLAG;

FileDialogRequest BuildRequest(const std::string& fileName, const std::string& fileTitle,
                               const std::string& convertedFilter, int32_t filterIndex,
                               const std::string& initialDir, const std::string& dialogTitle,
                               const std::string& defaultExt, intptr_t owner, uint32_t flags) {
  FileDialogRequest request;
  request.owner = owner == -1 ? 0 : owner;
  request.filter = convertedFilter;
  request.filterIndex = filterIndex;
  request.file = PadToBuffer(fileName);
  request.fileTitle = PadToBuffer(fileTitle);
  request.initialDir = initialDir;
  request.title = dialogTitle;
  request.defaultExt = defaultExt;
  request.flags = flags;
  return request;
}

void ClearOnCancel(std::string& fileName, std::string& fileTitle, std::string& filter,
                   int32_t& flags) {
  fileName.clear();
  fileTitle.clear();
  filter.clear();
  flags = 0;
}

// What both dialogs hand back once the user chose a file.
void TakeChosenFile(const FileDialogRequest& request, const std::string& converted,
                    std::string& fileName, std::string& fileTitle, std::string& filter,
                    int32_t& filterIndex, int32_t& flags) {
  fileName = TextBeforeNul(request.file);
  fileTitle = TextBeforeNul(request.fileTitle);
  flags = static_cast<int32_t>(request.flags);
  filterIndex = request.filterIndex;
  filter = FilterEntry(converted, filterIndex);
}

}  // namespace

std::string TextBeforeNul(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

std::string ConvertFilter(const std::string& filter) {
  std::string converted;
  for (char c : filter) converted += (c == '|' || c == ':') ? '\0' : c;
  converted += '\0';
  converted += '\0';
  return converted;
}

std::string FilterEntry(const std::string& convertedFilter, int32_t n) {
  size_t position = 0;
  std::string entry;
  for (int32_t number = 1; number <= n; ++number) {
    size_t first = convertedFilter.find('\0', position);
    if (first == std::string::npos) return "";
    size_t second = convertedFilter.find('\0', first + 1);
    if (second == std::string::npos) second = convertedFilter.size();
    entry = convertedFilter.substr(position, second - position);
    position = second + 1;
    if (position > convertedFilter.size()) position = convertedFilter.size();
  }
  return entry;
}

uint32_t OpenDialogFlags(bool fileMustExist, bool multiSelect, bool readOnly, bool hideReadOnly,
                         uint32_t flags) {
  uint32_t result = flags & ~UnsupportedFlags;
  if (fileMustExist) result |= OFN_FILEMUSTEXIST_FLAG;
  if (multiSelect) result |= OFN_ALLOWMULTISELECT_FLAG;
  if (readOnly) result |= OFN_READONLY_FLAG;
  if (hideReadOnly) result |= OFN_HIDEREADONLY_FLAG;
  return result;
}

uint32_t SaveDialogFlags(bool overwritePrompt, uint32_t flags) {
  uint32_t result = (flags & ~UnsupportedFlags) | OFN_HIDEREADONLY_FLAG;
  if (overwritePrompt) result |= OFN_OVERWRITEPROMPT_FLAG;
  return result;
}

std::vector<std::string> SelectedFiles(const std::string& buffer) {
  std::vector<std::string> parts;
  for (size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
    size_t end = buffer.find('\0', at);
    if (end == std::string::npos) end = buffer.size();
    parts.push_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  if (parts.size() < 2) return parts;
  std::vector<std::string> files;
  for (size_t i = 1; i < parts.size(); ++i) files.push_back(AddBackslash(parts[0]) + parts[i]);
  return files;
}

bool ShowOpenDialog(IFileDialogApi& api, OpenDialogSettings& s) {
  std::string converted = ConvertFilter(s.filter);
  FileDialogRequest request = BuildRequest(
      s.fileName, s.fileTitle, converted, s.filterIndex, s.initialDir, s.dialogTitle, s.defaultExt,
      s.owner,
      OpenDialogFlags(s.fileMustExist, s.multiSelect, s.readOnly, s.hideReadOnly,
                      static_cast<uint32_t>(s.flags)));
  if (s.multiSelect) request.file = PadToBuffer(s.fileName, MultiSelectBufferSize);
  request.utf8Paths = s.utf8Paths;
  s.fileNames.clear();
  if (!api.GetOpenFileName(request)) {
    ClearOnCancel(s.fileName, s.fileTitle, s.filter, s.flags);
    return false;
  }
  TakeChosenFile(request, converted, s.fileName, s.fileTitle, s.filter, s.filterIndex, s.flags);
  if (s.multiSelect) s.fileNames = SelectedFiles(request.file);
  s.readOnly = (request.flags & OFN_READONLY_FLAG) != 0;
  return true;
}

bool ShowSaveDialog(IFileDialogApi& api, std::string& fileName, std::string& fileTitle,
                    bool& overwritePrompt, std::string& filter, int32_t& filterIndex,
                    std::string& initialDir, std::string& dialogTitle, std::string& defaultExt,
                    intptr_t& owner, int32_t& flags, bool utf8Paths) {
  std::string converted = ConvertFilter(filter);
  FileDialogRequest request =
      BuildRequest(fileName, fileTitle, converted, filterIndex, initialDir, dialogTitle,
                   defaultExt, owner, SaveDialogFlags(overwritePrompt, static_cast<uint32_t>(flags)));
  request.utf8Paths = utf8Paths;
  if (!api.GetSaveFileName(request)) {
    ClearOnCancel(fileName, fileTitle, filter, flags);
    return false;
  }
  TakeChosenFile(request, converted, fileName, fileTitle, filter, filterIndex, flags);
  return true;
}
