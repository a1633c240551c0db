#pragma once
// pipora.tnf: the names of the 128 General MIDI programs, one line each (line n names
// program n), Shift-JIS. The program directory's copy is read each time the options dialog
// opens; the installed copy is read-only and is copied there when it is missing.
#include <QByteArray>
#include <QString>

#include <array>

namespace pipora {

inline constexpr int kToneCount = 128;

struct ToneNames {
  std::array<QString, kToneCount> names;
  // How many lines of the file gave a name; the rest show their program number.
  int namedLines = 0;
};

// ProgramFile("pipora.tnf").
QString ToneNamesFilePath();
// Names from the file's bytes. A missing line, an empty one or one holding control
// characters shows the program number instead.
ToneNames ParseToneNames(const QByteArray &bytes);
// Reads the file; a missing or unreadable file gives the program numbers.
ToneNames LoadToneNames(const QString &path);
// Copies the installed list into the program directory when it is not there. False when
// it is missing and could not be copied.
bool EnsureToneNamesFile(const QString &installedPath, const QString &programPath);

} // namespace pipora
