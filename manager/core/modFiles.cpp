#include "manager/core/modFiles.h"

#include "manager/core/modStrings.h"

namespace {

int32_t LastBackslash(const std::string& path) {
  int32_t start = -1;
  int32_t exact = 0;
  return FindLast(path, "\\", start, exact);
}

}  // namespace

std::string AddBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

std::string FolderPart(const std::string& path) {
  return path.substr(0, static_cast<size_t>(LastBackslash(path)));
}

std::string FileNamePart(const std::string& path) {
  return path.substr(static_cast<size_t>(LastBackslash(path)));
}

bool FileExists(IFileSystem& fs, const std::string& path) {
  // A failing search (bad characters, missing drive) is just "not there".
  try {
    return fs.FindFirst(path);
  } catch (...) {
    return false;
  }
}

bool FileExistsUtf8(IFileSystem& fs, const std::string& path) {
  try {
    return fs.FindFirstUtf8(path);
  } catch (...) {
    return false;
  }
}

std::string BuildSourceList(const std::vector<std::string>& sources) {
  std::string list;
  for (const std::string& source : sources) {
    list += source;
    list += '\0';
  }
  list += '\0';
  return list;
}

unsigned ShellFileOpFlags(bool confirm, bool silent, bool renameOnCollision) {
  unsigned flags = 0;
  if (!confirm) flags |= FOF_NOCONFIRMATION_FLAG;
  if (silent) flags |= FOF_SILENT_FLAG;
  if (renameOnCollision) flags |= FOF_RENAMEONCOLLISION_FLAG;
  return flags;
}

bool ShellFileOp(IFileSystem& fs, unsigned operation, const std::vector<std::string>& sources,
                 const std::string& target, bool confirm, bool silent, bool renameOnCollision,
                 unsigned extraFlags) {
  ShellOpOutcome outcome =
      fs.ShellFileOperation(operation, BuildSourceList(sources), target,
                            ShellFileOpFlags(confirm, silent, renameOnCollision) | extraFlags);
  return outcome.succeeded && !outcome.anyOperationsAborted;
}

bool CopyFiles(IFileSystem& fs, const std::vector<std::string>& sources, const std::string& target,
               bool confirm, bool silent, bool renameOnCollision) {
  return ShellFileOp(fs, FO_COPY_CODE, sources, target, confirm, silent, renameOnCollision,
                     FOF_NOERRORUI_FLAG);
}

bool CopyFiles(IFileSystem& fs, const std::string& source, const std::string& target, bool confirm,
               bool silent, bool renameOnCollision) {
  return CopyFiles(fs, std::vector<std::string>{source}, target, confirm, silent,
                   renameOnCollision);
}

bool CopyFileUtf8(IFileSystem& fs, const std::string& source, const std::string& target, bool confirm,
                  bool silent, bool renameOnCollision) {
  const unsigned flags = ShellFileOpFlags(confirm, silent, renameOnCollision) | FOF_NOERRORUI_FLAG;
  const ShellOpOutcome outcome =
      fs.ShellFileOperationUtf8(FO_COPY_CODE, BuildSourceList({source}), target, flags);
  return outcome.succeeded && !outcome.anyOperationsAborted;
}

bool RenameFiles(IFileSystem& fs, const std::string& source, const std::string& target,
                 bool confirm, bool renameOnCollision) {
  return ShellFileOp(fs, FO_RENAME_CODE, {source}, target, confirm, false, renameOnCollision);
}
