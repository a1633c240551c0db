#pragma once
// Compressed MusicXML (.mxl): a zip archive whose META-INF/container.xml names the score.
#include "model/result.h"

#include <QByteArray>

namespace pipora {

// True when the bytes start as a zip archive does.
bool LooksLikeZip(const QByteArray &bytes);

// The score text the archive's container names as its first rootfile (without a container,
// the first .musicxml or .xml file at the archive's top that is not in META-INF).
Result<QByteArray> ReadMxlScore(const QByteArray &archive);

// An archive holding `score` as "score.musicxml", with the container naming it and the
// "mimetype" entry first and uncompressed, as the format asks.
Result<QByteArray> WriteMxl(const QByteArray &score);

} // namespace pipora
