// Program changes of an imported MIDI file become the parts' tones and are sent when the song
// is next played, the same way as tones chosen by hand.
#include "player_rig.h"
#include "session/midi_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pipora {
namespace {

using testing::AddNotes;
using testing::PlayerRig;

double Half() {
  return 0.5;
}

// The program sent on `channel` before its first note-on, or -1.
int ProgramBeforeFirstNote(const RecordingMidiBackend &recorder, int channel) {
  int program = -1;
  for (const RecordedMidiEvent &e : recorder.messages()) {
    if (e.channel() != channel)
      continue;
    if (e.isNoteOn())
      return program;
    if ((e.status() & 0xF0) == 0xC0)
      program = e.data1();
  }
  return -1;
}

TEST(ImportedTones, ReachTheOutputWhenPlayed) {
  QTemporaryDir dir;
  const QString path = dir.filePath("tones.mid");
  {
    Song source;
    source.part(1).tone = 40;
    source.part(3).tone = 73;
    AddNotes(source, 1, {{60, "4"}});
    AddNotes(source, 3, {{64, "4"}});
    ASSERT_TRUE(ExportMidiFile(source, path, Half, false).ok());
  }

  PlayerRig rig;
  MidiImportOptions options;
  options.writeEventLog = false;
  ASSERT_TRUE(ImportMidiFile(rig.song, path, options).ok());
  EXPECT_EQ(rig.song.part(1).tone, 40);
  EXPECT_EQ(rig.song.part(3).tone, 73);

  rig.player->playAll();
  rig.runUntil(rig.now + 100);
  EXPECT_EQ(ProgramBeforeFirstNote(*rig.recorder, 1), 40);
  EXPECT_EQ(ProgramBeforeFirstNote(*rig.recorder, 3), 73);
  rig.player->stop();
}

} // namespace
} // namespace pipora
