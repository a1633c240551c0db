#pragma once
// Reads MusicXML text into a MusicXmlScore with a streaming reader (no tree of a large file is
// built): score-partwise, or score-timewise read measure by measure into the same parts.
#include "formats/musicxml/musicxml_score.h"
#include "model/result.h"

#include <QByteArray>

namespace pipora {

// The score, or why it is refused: text that is not well-formed XML, or XML that is not a
// MusicXML score, with the line and column where the reading stopped.
Result<MusicXmlScore> ReadMusicXml(const QByteArray &xml);

// True when the text's first element (after the XML declaration, comments and the document
// type) is, or is declared to be, a MusicXML score.
bool LooksLikeMusicXml(const QByteArray &bytes);

} // namespace pipora
