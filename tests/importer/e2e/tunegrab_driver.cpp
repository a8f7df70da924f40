// Drives tunegrab.exe from outside the way the song manager does, and
// compares WAV files for the end-to-end checks.
//
//   tunegrab_driver convert <tunegrab.exe> <input> <folder> <ok|fail> <song.asf> <export folder> <tonepak.exe> [reason]
//     Starts the importer, types the input file and the folder into its
//     two edit boxes with WM_CHAR, sends convert and then close (the
//     window contract of common/importer_window.h), and checks: the
//     importer ended; the folder holds exactly the files it held before
//     plus, when ok, the song; the reason text is empty
//     after a success and, after a failure, holds the given words; then
//     exports the song with tonepak.exe into the export folder as 000.wav.
//   tunegrab_driver compare <reference.wav> <export.wav> [<source.wav> [start|end|both]]
//     Duration difference and SNR after gain and delay alignment; with the
//     source the input was made from, its first and last 100 ms against
//     the export's and the reference's (both edges held to it unless one
//     is named).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/importer_window.h"
#include "importer/win32/resource.h"

namespace {

bool Fail(const char* what) {
  std::printf("FAIL: %s\n", what);
  return false;
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

struct FindData {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* data = reinterpret_cast<FindData*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  if (pid == data->pid && std::string(title) == importer_window::Title) {
    data->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WindowOf(DWORD pid) {
  for (int i = 0; i < 200; ++i) {
    FindData data{pid, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&data));
    if (data.found) return data.found;
    Sleep(50);
  }
  return nullptr;
}

void Type(HWND edit, const std::string& text) {
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_CLEAR, 0, 0);
  for (unsigned char c : text) SendMessageA(edit, WM_CHAR, c, 0x110001);
}

bool RunHidden(const std::string& commandLine, DWORD limitMs, HANDLE* keep = nullptr, DWORD* pid = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return false;
  CloseHandle(info.hThread);
  if (keep) {
    *keep = info.hProcess;
    *pid = info.dwProcessId;
    WaitForInputIdle(info.hProcess, limitMs);
    return true;
  }
  bool ended = WaitForSingleObject(info.hProcess, limitMs) == WAIT_OBJECT_0;
  CloseHandle(info.hProcess);
  return ended;
}

int Convert(char** argv) {
  const std::string importer = argv[2], input = argv[3], folder = argv[4], song = argv[6], exportFolder = argv[7],
                    tonepak = argv[8];
  const bool expectOk = std::string(argv[5]) == "ok";
  const std::string expectedReason = argv[9] ? argv[9] : "";
  const std::set<std::string> before = FilesIn(folder);

  HANDLE process = nullptr;
  DWORD pid = 0;
  if (!RunHidden("\"" + importer + "\"", 10000, &process, &pid)) return Fail("tunegrab.exe does not start"), 1;
  HWND window = WindowOf(pid);
  bool ok = window != nullptr || Fail("no importer window");
  if (window) {
    Type(GetDlgItem(window, importer_window::InputEdit), input);
    Type(GetDlgItem(window, importer_window::FolderEdit), folder);
    BringWindowToTop(window);
    DWORD_PTR answer = 0;
    DWORD start = GetTickCount();
    if (!SendMessageTimeoutA(window, WM_COMMAND, importer_window::ConvertCommand,
                            reinterpret_cast<LPARAM>(GetDlgItem(window, importer_window::ConvertCommand)),
                            SMTO_NORMAL, 300000, &answer))
      ok = Fail("convert did not return");
    std::printf("convert: %.2f s\n", (GetTickCount() - start) / 1000.0);
    char status[512] = {};
    GetWindowTextA(GetDlgItem(window, IDC_STATUS), status, sizeof status);
    std::printf("status: %s\n", status);
    char reason[512] = {};
    SendMessageA(GetDlgItem(window, importer_window::ReasonText), WM_GETTEXT, sizeof reason, reinterpret_cast<LPARAM>(reason));
    std::printf("reason: %s\n", reason);
    if (!GetDlgItem(window, importer_window::ReasonText)) ok = Fail("no reason control");
    if (expectOk && reason[0]) ok = Fail("a reason after a success");
    if (!expectOk && !reason[0]) ok = Fail("no reason after a failure");
    if (!expectOk && !expectedReason.empty() && std::string(reason).find(expectedReason) == std::string::npos)
      ok = Fail("the reason does not say what was expected");
    // The song must be complete when the command returns: look before closing.
    std::set<std::string> after = FilesIn(folder);
    std::set<std::string> expected = before;
    if (expectOk) expected.insert(song);
    if (after != expected) {
      for (const auto& name : after) std::printf("  in folder: %s\n", name.c_str());
      ok = Fail(expectOk ? "the folder does not hold exactly the new song" : "a failed conversion left a file");
    }
    SendMessageTimeoutA(window, WM_COMMAND, importer_window::CloseCommand,
                        reinterpret_cast<LPARAM>(GetDlgItem(window, importer_window::CloseCommand)), SMTO_NORMAL, 10000,
                        &answer);
  }
  if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process, 1);
    ok = Fail("tunegrab.exe still runs after the close command");
  }
  CloseHandle(process);

  if (ok && expectOk) {
    // The converter writes an ".asf" song's WAV beside it; a ".str" copy is
    // exported into the export folder instead.
    const std::string copy = exportFolder + "\\song.str";
    if (!CopyFileA((folder + "\\" + song).c_str(), copy.c_str(), FALSE)) return Fail("cannot copy the song"), 1;
    if (!RunHidden("\"" + tonepak + "\" \"" + copy + "\" \"" + exportFolder + "\"", 60000) ||
        GetFileAttributesA((exportFolder + "\\000.wav").c_str()) == INVALID_FILE_ATTRIBUTES)
      return Fail("tonepak.exe does not export the new song"), 1;
  }
  return ok ? 0 : 1;
}

struct Wav {
  int rate = 0, channels = 0;
  std::vector<double> mono;  // channel average
};

bool ReadWav(const char* path, Wav& wav) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::vector<unsigned char> b;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) b.insert(b.end(), buffer, buffer + n);
  std::fclose(f);
  auto u32 = [&](size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<unsigned>(b[at + 3]) << 24; };
  for (size_t at = 12; at + 8 <= b.size();) {
    unsigned size = u32(at + 4);
    if (std::string(b.begin() + at, b.begin() + at + 4) == "fmt ") {
      wav.channels = b[at + 10];
      wav.rate = static_cast<int>(u32(at + 12));
    } else if (std::string(b.begin() + at, b.begin() + at + 4) == "data" && wav.channels > 0) {
      size_t end = std::min<size_t>(b.size(), at + 8 + static_cast<size_t>(size));
      for (size_t i = at + 8; i + 2 * wav.channels <= end; i += 2 * wav.channels) {
        double sum = 0;
        for (int c = 0; c < wav.channels; ++c) sum += static_cast<short>(b[i + 2 * c] | b[i + 2 * c + 1] << 8);
        wav.mono.push_back(sum / wav.channels);
      }
      return true;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

// Gain that best maps out (delayed by lag) onto ref over the middle, and
// the SNR of ref against it over [from, to).
struct Fit {
  int lag = 0;
  double gain = 0;
};

double Snr(const Wav& ref, const Wav& out, const Fit& fit, size_t from, size_t to) {
  double xx = 0, noise = 0;
  for (size_t i = from; i < to; ++i) {
    const long j = static_cast<long>(i) + fit.lag;
    const double y = j >= 0 && static_cast<size_t>(j) < out.mono.size() ? out.mono[static_cast<size_t>(j)] : 0.0;
    const double e = ref.mono[i] - fit.gain * y;
    xx += ref.mono[i] * ref.mono[i], noise += e * e;
  }
  return noise > 0 ? 10 * std::log10(xx / noise) : 200;
}

Fit Align(const Wav& ref, const Wav& out, int maxLag) {
  // The lag of out behind ref, searched over the first seconds.
  const size_t window = std::min<size_t>({ref.mono.size(), out.mono.size(), static_cast<size_t>(ref.rate * 4)});
  Fit fit;
  double best = -1e300;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double sum = 0;
    for (size_t i = maxLag; i + maxLag < window; ++i) sum += ref.mono[i] * out.mono[static_cast<size_t>(static_cast<long>(i) + lag)];
    if (sum > best) best = sum, fit.lag = lag;
  }
  double xy = 0, yy = 0;
  const size_t n = std::min(ref.mono.size(), out.mono.size());
  for (size_t i = maxLag; i + maxLag < n; ++i) {
    const double y = out.mono[static_cast<size_t>(static_cast<long>(i) + fit.lag)];
    xy += ref.mono[i] * y, yy += y * y;
  }
  fit.gain = yy > 0 ? xy / yy : 0;
  return fit;
}

// The first and last 100 ms of the source against out, and against the
// reference decode (the yardstick): out's edges may fall short of the
// yardstick's by the coding's own noise, not by a wrong start or end.
bool CompareEdges(const Wav& source, const Wav& out, const Wav& ref, bool checkStart, bool checkEnd) {
  const size_t edge = static_cast<size_t>(source.rate / 10);
  if (source.rate != out.rate || source.mono.size() < 4 * edge) return Fail("cannot read the source WAV");
  const Fit ours = Align(source, out, 200), yardstick = Align(source, ref, 200);
  const size_t n = source.mono.size();
  const double ourStart = Snr(source, out, ours, 0, edge), ourEnd = Snr(source, out, ours, n - edge, n);
  const double refStart = Snr(source, ref, yardstick, 0, edge), refEnd = Snr(source, ref, yardstick, n - edge, n);
  std::printf("first 100 ms: SNR %.1f dB (reference decode %.1f dB); last 100 ms: %.1f dB (%.1f dB)\n", ourStart, refStart,
              ourEnd, refEnd);
  // The song's coding alone keeps these signals near 30-40 dB.
  const double allowed = 8.0;
  bool ok = !checkStart || ourStart >= std::min(refStart, 30.0) - allowed || Fail("the song's first 100 ms differ from the source");
  ok = (!checkEnd || ourEnd >= std::min(refEnd, 30.0) - allowed || Fail("the song's last 100 ms differ from the source")) && ok;
  return ok;
}

int Compare(int argc, char** argv) {
  Wav ref, out, source;
  if (!ReadWav(argv[2], ref) || !ReadWav(argv[3], out) || ref.rate != out.rate) return Fail("cannot read both WAVs"), 1;
  const double durationDiffMs = (static_cast<double>(out.mono.size()) - static_cast<double>(ref.mono.size())) * 1000.0 / ref.rate;
  const int maxLag = 2000;
  const Fit fit = Align(ref, out, maxLag);
  const size_t n = std::min(ref.mono.size(), out.mono.size());
  const double snr = n > 2 * maxLag ? Snr(ref, out, fit, maxLag, n - maxLag) : 0;
  std::printf("duration difference %.1f ms, delay %d samples, SNR %.1f dB\n", durationDiffMs, fit.lag, snr);
  bool ok = std::fabs(durationDiffMs) <= 10.0 || Fail("durations differ by more than 10 ms");
  ok = (snr >= 30.0 || Fail("SNR below 30 dB")) && ok;
  if (argc >= 5) {
    const std::string edges = argc == 6 ? argv[5] : "both";
    ok = (ReadWav(argv[4], source) ? CompareEdges(source, out, ref, edges != "end", edges != "start")
                                   : Fail("cannot read the source WAV")) && ok;
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 9 || argc == 10) && std::string(argv[1]) == "convert") return Convert(argv);
  if (argc >= 4 && argc <= 6 && std::string(argv[1]) == "compare") return Compare(argc, argv);
  std::printf("usage: tunegrab_driver convert ... | compare <reference.wav> <export.wav> [<source.wav> [start|end|both]]\n");
  return 2;
}
