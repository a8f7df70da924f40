#include "manager/core/ImporterSession.h"

#include "common/base/text_encoding.h"

std::string ImporterCommandLine(const std::string& program) { return "\"" + program + "\""; }

bool IsNewFile(const FileStamp& before, const FileStamp& after) {
  return after.exists && !(before == after);
}

ImporterSession::~ImporterSession() {
  if (process_) Close();
}

void ImporterSession::End() {
  if (!process_) return;
  if (!process_->WaitForExit(0)) {
    process_->Terminate();
    process_->WaitForExit(ImporterExitBound);
  }
  process_.reset();
  window_ = 0;
}

intptr_t ImporterSession::FindWindowBounded() {
  // The importer creates its window at start-up; on a busy machine that may
  // come some time after it first waits for input. Look again after each
  // pause, until the bound, and stop early when the process has ended.
  const uint64_t deadline = importer_.NowMs() + ImporterWindowBound;
  for (;;) {
    intptr_t window = process_->FindOwnWindow(ImporterWindowTitle);
    if (window) return window;
    if (importer_.NowMs() >= deadline) return 0;
    if (process_->WaitForExit(ImporterLookPause)) return 0;
  }
}

ImporterStart ImporterSession::Open(const std::string& program) {
  End();
  ImporterStart started = importer_.Start(program, ImporterCommandLine(program), process_);
  if (started != ImporterStart::Started || !process_) {
    process_.reset();
    return started == ImporterStart::ProgramMissing ? ImporterStart::ProgramMissing
                                                    : ImporterStart::Failed;
  }
  process_->WaitForInputIdle(ImporterIdleBound);
  window_ = FindWindowBounded();
  if (!window_) {
    End();
    return ImporterStart::Failed;
  }
  return ImporterStart::Started;
}

bool ImporterSession::Send(intptr_t target, uint32_t message, uintptr_t wParam, intptr_t lParam,
                           uint32_t ms) {
  if (!process_) return false;
  if (process_->SendMessageBounded(target, message, wParam, lParam, ms)) return true;
  End();
  return false;
}

bool ImporterSession::Type(int editId, const std::string& text) {
  intptr_t edit = process_->GetDlgItem(window_, editId);
  if (!edit) return false;
  if (!Send(edit, EM_SETSEL_MESSAGE, 0, -1, ImporterReplyBound)) return false;
  if (!Send(edit, WM_CLEAR_MESSAGE, 0, 0, ImporterReplyBound)) return false;
  // UTF-16, one code unit a character message: the path arrives whole
  // whatever the system's code page can spell.
  for (char16_t unit : kickora::Utf16FromUtf8(text)) {
    if (!Send(edit, WM_CHAR_MESSAGE, unit, TypedCharFlags, ImporterReplyBound)) return false;
  }
  return true;
}

bool ImporterSession::Convert(const std::string& inputFile, const std::string& folder) {
  if (!process_) return false;
  intptr_t convert = process_->GetDlgItem(window_, ImporterConvertCommand);
  // An importer without the controls it promises is not driven at all.
  if (!convert || !Type(ImporterInputEdit, inputFile) || !Type(ImporterFolderEdit, folder)) {
    End();
    return false;
  }
  process_->BringWindowToTop(window_);
  return Send(window_, WM_COMMAND_MESSAGE, ImporterConvertCommand, convert, ImporterConvertBound);
}

std::string ImporterSession::Reason() {
  if (!process_) return "";
  intptr_t control = process_->GetDlgItem(window_, ImporterReasonText);
  std::string text;
  if (!control) return "";
  if (!process_->GetTextBounded(control, ImporterReasonMaxLength, ImporterReplyBound, text)) {
    End();
    return "";
  }
  // One line: line breaks and other control characters become blanks,
  // and runs of blanks one.
  std::string line;
  for (char c : text.substr(0, ImporterReasonMaxLength)) {
    const bool blank = static_cast<unsigned char>(c) < 0x20 || c == ' ';
    if (blank) {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

void ImporterSession::Close() {
  if (!process_) return;
  intptr_t close = process_->GetDlgItem(window_, ImporterCloseCommand);
  if (close && process_->SendMessageBounded(window_, WM_COMMAND_MESSAGE, ImporterCloseCommand,
                                            close, ImporterReplyBound)) {
    process_->WaitForExit(ImporterExitBound);
  }
  End();
}
