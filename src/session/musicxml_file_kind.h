#pragma once
// Whether a file the editor is handed (a drop, the command line, a recent file, the Open
// dialog) is a MusicXML score, to be imported rather than opened as SMD.
#include <QString>

namespace pipora {

// By its first bytes (MusicXML text or a zip archive), else by its name (".musicxml",
// ".mxl", ".xml"). A file that cannot be read goes by its name.
bool IsMusicXmlFile(const QString &path);

} // namespace pipora
