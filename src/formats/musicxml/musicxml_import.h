#pragma once
// A MusicXML score into a new song through the fitting of the MIDI import: every voice of a
// part sounds as a channel of its own while channels last (else every part does), so that
// chords and overlapping voices are shared out, snapped, cut and reported as for a MIDI file.
#include "formats/midi/import_report.h"
#include "formats/midi/midi_import.h"
#include "formats/midi/smf_reader.h"
#include "formats/musicxml/musicxml_score.h"
#include "model/result.h"
#include "model/song.h"

#include <QByteArray>
#include <array>

namespace pipora {

// The channel (1..16, never 10, which plays drums) each part's voices sound on: by part, then
// by voice; 0 for a part left out because the channels ran out. Parts of one voice each keep
// the MIDI channels the score gives them when those are all different.
std::vector<std::vector<int>> ChannelsForVoices(const MusicXmlScore &score);

// The score's notes fitted into a new song (ImportNotes), with title, tempo and tones; `kept` as
// for ImportSmf. The report's error says that the song outgrew what a song holds.
Report<Song> ImportMusicXmlScore(const MusicXmlScore &score, const MidiImportOptions &options,
                                 const Song &kept = Song(), SmfTempoMap *tempos = nullptr,
                                 LengthScale *readAt = nullptr);

// The score's time signature, pickup, key and clefs on the imported song, whose lengths are
// `scale` times the score's (×2 and ×½ by the speed chosen). Start ticks and, when the song has
// them, the score lists follow.
void ApplyScoreLayout(Song &song, const MusicXmlScore &score, LengthScale scale);

} // namespace pipora
