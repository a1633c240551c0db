// piporapad-cli: the song core without windows, for scripts and tests.
#include "app/cli/byte_files.h"
#include "app/cli/cli_command.h"
#include "app/cli/command_line.h"
#include "app/cli/standard_streams.h"

#include "app/cli/score_library_loader.h"
#include "platform/memory/huge_page_heap.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>
#include <memory>

int main(int argc, char **argv) {
  using namespace pipora::cli;
  // One run reads, converts and writes one song, stage after stage: what a stage frees is
  // kept for the next instead of going back to the system and being faulted in again.
  pipora::GrowHeapInHugePages({.pad = 64 << 20, .keepFreed = 256 << 20, .ownBlocks = 32 << 20});
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
