// piporapad-cli: the song core without windows, for scripts and tests.
#include "app/cli/byte_files.h"
#include "app/cli/cli_command.h"
#include "app/cli/command_line.h"
#include "app/cli/standard_streams.h"

#include "app/cli/score_library_loader.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>
#include <malloc.h>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The heap grows once by a large pad, asked to be backed by huge pages: a big song touches
// tens of megabytes, which would otherwise be faulted in four kilobytes at a time.
void GrowHeapInHugePages() {
  constexpr std::uintptr_t kHugePage = 2 << 20;
  constexpr int kPad = 64 << 20;
  mallopt(M_TOP_PAD, kPad);
  void *probe = malloc(1 << 20); // more than the heap has left: it grows by the pad
  const auto begin = reinterpret_cast<std::uintptr_t>(probe);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  free(probe);
  // Only when the probe really lies at the top of the program's heap (an instrumented
  // allocator keeps its own).
  if (probe == nullptr || begin >= end || end - begin > kPad + (4 << 20))
    return;
  const std::uintptr_t aligned = (begin + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned < end)
    madvise(reinterpret_cast<void *>(aligned), end - aligned, MADV_HUGEPAGE);
}

} // namespace

int main(int argc, char **argv) {
  using namespace pipora::cli;
  // One run reads, converts and writes one song, stage after stage: what a stage frees is
  // kept for the next instead of going back to the system and being faulted in again.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  GrowHeapInHugePages();
  // Parsed before Qt sees the line: file names stay the bytes the system gave.
  const ParsedLine line = ParseCommandLine(argc, argv);
  switch (line.kind) {
  case ParsedLine::Kind::UsageError:
    PrintErr(UsageErrorText(line));
    return kExitBadInput;
  case ParsedLine::Kind::Help:
    PrintOut(HelpText(line.command));
    return FinishStandardOutput() ? kExitOk : kExitWriteFailed;
  case ParsedLine::Kind::Version:
    PrintOut(VersionText());
    return FinishStandardOutput() ? kExitOk : kExitWriteFailed;
  case ParsedLine::Kind::Run:
    break;
  }
  if (!line.home.isEmpty())
    qputenv("PIPORAPAD_HOME", AbsolutePath(line.home));
  std::unique_ptr<QCoreApplication> app;
  if (line.command->drawsPages) {
    // Fonts need the score library's GUI application (without windows or a display).
    const pipora::Result<const pipora::ScorePageLibrary *> pages = LoadScorePageLibrary();
    if (!pages) {
      PrintErr("piporapad-cli: " + pages.error() + "\n");
      return kExitWriteFailed;
    }
    app.reset((*pages)->createApplication(argc, argv));
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  const int code = line.command->run(line.invocation);
  // Output lost on a full disk or a closed pipe is a failed write, whatever the command did.
  return FinishStandardOutput() ? code : std::max(code, kExitWriteFailed);
}
