#pragma once
// Standard output and standard error of piporapad-cli: bytes as they are (UTF-8 text, or a
// song file for an output named "-"), and a failure to write standard output remembered
// so that the tool can say so and exit 3 instead of reporting success.
#include "model/result.h"

#include <QByteArray>
#include <string_view>

namespace pipora::cli {

void PrintOut(std::string_view text);
void PrintErr(std::string_view text);

// Writes bytes to standard output and flushes them; the error names the system's reason.
Status WriteStandardOutput(const QByteArray &bytes);

// Reads standard input to its end, refusing more than `maxBytes`.
Result<QByteArray> ReadStandardInput(qint64 maxBytes);

// Flushes standard output at exit. False (after printing why on standard error) when any
// earlier write to it or this flush failed.
bool FinishStandardOutput();

} // namespace pipora::cli
