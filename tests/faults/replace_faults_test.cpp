// Fault injection for every converter writer that replaces a file (the
// import's destination, also when it is the original itself, and the game
// program the ditty fix patches). Each run happens in a child process that
// meets one fault in the middle of writing: the disk filling up (a file size
// limit, with SIGXFSZ ignored so that writes fail with EFBIG), a read-only
// folder (as an unprivileged user, since root writes anyway), or being
// killed between writing and renaming. Afterwards the file to be replaced is
// byte-identical and no temporary is left behind.
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "converter/console/tonepak.h"
#include "converter/import_test_support.h"
#include "importer/core/song_template.h"
#include "importer/core/song_writer.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using namespace import_test;

namespace {

// Set in a child only: the replacement whose rename kills the process.
std::string killAtRenameTo;

}  // namespace

// Every rename of the converter passes here; the real one is the C
// library's.
extern "C" int rename(const char* from, const char* to) {
  if (!killAtRenameTo.empty() && std::string(to).ends_with(killAtRenameTo)) raise(SIGKILL);
  using RenameFunction = int (*)(const char*, const char*);
  static RenameFunction real = reinterpret_cast<RenameFunction>(dlsym(RTLD_NEXT, "rename"));
  return real(from, to);
}

namespace {

enum class Fault { None, DiskFull, ReadOnlyFolder, KilledBeforeRename };

constexpr rlim_t kFileSizeLimit = 4096;

struct ChildRun {
  bool killed = false;
  int status = -1;
  std::string output;
};

// Runs writer in a child process in folder, meeting fault; target is the
// file name a KilledBeforeRename run dies renaming over. writer returns the
// exit status.
ChildRun RunWithFault(Fault fault, const fs::path& folder, const std::function<int()>& writer,
                      const std::string& target) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    dup2(pipeEnds[1], 1);
    if (chdir(folder.c_str()) != 0) _exit(99);
    if (fault == Fault::DiskFull) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{kFileSizeLimit, kFileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    } else if (fault == Fault::ReadOnlyFolder) {
      chmod(".", 0555);
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(98);
    } else if (fault == Fault::KilledBeforeRename) {
      killAtRenameTo = target;
    }
    const int status = writer();
    std::fflush(stdout);
    _exit(status);
  }
  close(pipeEnds[1]);
  ChildRun run;
  char chunk[4096];
  for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) run.output.append(chunk, static_cast<size_t>(got));
  close(pipeEnds[0]);
  int wait = 0;
  waitpid(child, &wait, 0);
  chmod(folder.c_str(), 0755);
  run.killed = WIFSIGNALED(wait) && WTERMSIG(wait) == SIGKILL;
  run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
  return run;
}

std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.find(".tmp") != std::string::npos || name.ends_with("~")) names.push_back(name);
  }
  return names;
}

std::function<int()> Converter(std::vector<std::string> arguments) {
  return [arguments]() mutable {
    std::vector<std::string> texts{"tonepak"};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    return RunTonepak(static_cast<int>(texts.size()), argv.data());
  };
}

// One writer under every fault: `replaced` (inside folder) keeps its bytes,
// the run fails with status 1 (or dies where it is killed), and no
// temporary stays. A killed run leaves its temporary for the next run of the
// same command, which replaces the file and leaves none.
void ExpectEveryFaultLeavesTheFile(const fs::path& folder, const std::function<int()>& writer,
                                   const std::string& replaced, const std::string& failureMessage) {
  const Bytes before = ReadFileBytes(folder / replaced);
  for (Fault fault : {Fault::DiskFull, Fault::ReadOnlyFolder, Fault::KilledBeforeRename}) {
    SCOPED_TRACE(fault == Fault::DiskFull ? "disk full" : fault == Fault::ReadOnlyFolder ? "read-only" : "killed");
    ChildRun run = RunWithFault(fault, folder, writer, replaced);
    EXPECT_EQ(ReadFileBytes(folder / replaced), before);
    if (fault == Fault::KilledBeforeRename) {
      EXPECT_TRUE(run.killed);
      ChildRun again = RunWithFault(Fault::None, folder, writer, replaced);
      EXPECT_EQ(again.status, 0) << again.output;
      EXPECT_NE(ReadFileBytes(folder / replaced), before);
      WriteFileBytes(folder / replaced, before);
    } else {
      EXPECT_EQ(run.status, 1);
      if (fault == Fault::DiskFull) {
        EXPECT_NE(run.output.find(failureMessage), std::string::npos) << run.output;
      }
    }
    EXPECT_EQ(Temporaries(folder), std::vector<std::string>{});
  }
}

class ReplacedFiles : public ::testing::Test {
 protected:
  ScopedWorkDir dir;
  // Long enough that the coded sound passes the file size limit.
  Bytes wave = WaveFile(1, 22050, Music(30000, 1, 22050));
};

TEST_F(ReplacedFiles, StreamImportKeepsAnExistingDestinationAndTheOriginal) {
  PtList list;
  list.channels = 1;
  WriteFileBytes("song.wav", wave);
  WriteFileBytes("original.asf", SchlOriginal(list, {300, 300, 300}));
  WriteFileBytes("new.asf", Bytes(100, 0x5A));
  ExpectEveryFaultLeavesTheFile(dir.path(), Converter({"-import", "song.wav", "new.asf", "original.asf"}), "new.asf",
                                "write error (disk full?)");
  ExpectEveryFaultLeavesTheFile(dir.path(), Converter({"-import", "song.wav", "original.asf", "original.asf"}),
                                "original.asf", "write error (disk full?)");
}

TEST_F(ReplacedFiles, BankImportKeepsTheBankItReplaces) {
  WriteFileBytes("song.wav", wave);
  WriteFileBytes("sounds.bnk", Bank({BankHeader({BankList(1, 22050, 300, kBankDataStart)}),
                                     BankHeader({BankList(1, 22050, 300, kBankDataStart + 256)})},
                                    Bytes(512, 0x11)));
  ExpectEveryFaultLeavesTheFile(dir.path(), Converter({"-import", "song.wav", "sounds.bnk", "sounds.bnk", "1"}), "sounds.bnk",
                                "write error (disk full?)");
}

TEST_F(ReplacedFiles, DittyFixKeepsTheGameProgram) {
  Bytes image(20000, 0x90);
  const Bytes signature = BytesOf({0xc1, 0xc0, 0x40, 0x3b, 0x94, 0x0b, 0x00, 0x00});
  std::copy(signature.begin(), signature.end(), image.begin() + 100);
  WriteFileBytes("nhl2k.icd", image);
  Bytes archive;
  AppendText(archive, "BIGF");
  AppendU32(archive, 0);
  AppendU32BE(archive, 1);
  AppendU32BE(archive, 0);
  AppendU32BE(archive, 1234);
  AppendU32BE(archive, 10);
  AppendText(archive, std::string("a.asf\0", 6));
  fs::create_directories("ditties");
  WriteFileBytes("ditties/ditties.viv", archive);
  ExpectEveryFaultLeavesTheFile(dir.path(), Converter({"-nhl2kdittyfix"}), "nhl2k.icd",
                                "couldn't open 'nhl2k.icd' for writing");
}

TEST_F(ReplacedFiles, ImporterKeepsTheSongItReplaces) {
  // The importer hands its samples to the converter in memory; the song is
  // replaced in place.
  tunegrab::Audio song;
  song.rate = 22050;
  song.channels = 2;
  for (int16_t s : Music(30000, 2, 22050)) song.samples.push_back(static_cast<float>(s) / 32768.0f);
  WriteFileBytes("anthem.asf", Bytes(1000, 0x42));
  auto writer = [&] {
    return tunegrab::WriteWithConverter(song, 1.0, tunegrab::BuiltInTemplate(), "anthem.asf").ok ? 0 : 1;
  };
  ExpectEveryFaultLeavesTheFile(dir.path(), writer, "anthem.asf", "");
}

}  // namespace
