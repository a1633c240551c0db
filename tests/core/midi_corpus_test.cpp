// Real music nobody here wrote (tests/data/midi-corpus): every file imports, fits, saves as
// SMD and reads back note for note; the fitted song differs from the imported one only where
// the fitting says so. The figures (drift, changes, triplet groups kept) are printed.
#include "editing/fit_for_smd.h"
#include "fit_check.h"
#include "formats/smd/smd_reader.h"
#include "formats/smd/smd_writer.h"
#include "midi_round_trip.h"
#include "model/save_checks.h"
#include "model/vocabulary.h"
#include "session/midi_files.h"
#include "session/smd_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace pipora {
namespace {

QString CorpusDir() {
  return QStringLiteral(PIPORAPAD_SOURCE_DIR) + "/tests/data/midi-corpus";
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  QDirIterator it(CorpusDir(), {"*.mid"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext())
    files.push_back(QDir(CorpusDir()).relativeFilePath(it.next()).toStdString());
  std::sort(files.begin(), files.end());
  return files;
}

// Whole triplet groups as the save check walks them, in the user's parts.
int TripletGroups(const Song &song) {
  int groups = 0;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    for (int i = 0; i < p.count;) {
      const NoteLength length = p.notes[static_cast<std::size_t>(i)].length;
      if (!IsTriplet(length)) {
        ++i;
        continue;
      }
      bool whole = i + 2 < p.count;
      for (int k = 1; k <= 2 && whole; ++k) {
        std::string_view a = p.notes[static_cast<std::size_t>(i)].length;
        std::string_view b = p.notes[static_cast<std::size_t>(i + k)].length;
        if (a.ends_with('_'))
          a.remove_suffix(1);
        if (b.ends_with('_'))
          b.remove_suffix(1);
        whole = a == b;
      }
      groups += whole;
      i += whole ? 3 : 1;
    }
  }
  return groups;
}

int TripletNotes(const Song &song) {
  int notes = 0;
  for (int n = 1; n <= kUserParts; ++n)
    for (int i = 0; i < song.part(n).count; ++i)
      notes += IsTriplet(song.part(n).notes[static_cast<std::size_t>(i)].length);
  return notes;
}

// The parts that hold elements, in order, as (number, length) with rests untied: the form
// an SMD file keeps (empty parts are skipped, rests carry no tie).
std::vector<std::vector<std::pair<int, std::string>>> AsSaved(const Song &song) {
  std::vector<std::vector<std::pair<int, std::string>>> parts;
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    if (p.count <= 0)
      continue;
    auto &notes = parts.emplace_back();
    for (int i = 0; i < p.count; ++i) {
      const NoteEntry &e = p.notes[static_cast<std::size_t>(i)];
      std::string length(e.length);
      if (e.noteNumber == 0 && IsTied(length))
        length.pop_back();
      notes.emplace_back(e.noteNumber, length);
    }
  }
  return parts;
}

struct Figures {
  int notes = 0;
  int problemsBefore = 0;
  int changes = 0;
  int groupsImported = 0;
  int groupsKept = 0;
  int tripletNotes = 0;
  std::int64_t driftTotal = 0;
  std::int64_t driftMax = 0;
  std::size_t snapped = 0, folded = 0, cut = 0, chords = 0, split = 0, dropped = 0;
};

Figures ImportFitAndSave(const std::string &file, const QString &outDir) {
  Figures f;
  Song imported;
  ImportReport report;
  MidiImportOptions options;
  options.report = &report;
  options.writeEventLog = false;
  const Result<MidiImportReport> read =
      ImportMidiFile(imported, CorpusDir() + "/" + QString::fromStdString(file), options);
  EXPECT_TRUE(read.ok()) << read.error();
  if (!read.ok())
    return f;
  EXPECT_TRUE(read->complete()) << (read->complete() ? "" : read->error->message);

  f.problemsBefore = static_cast<int>(FindSaveProblems(imported).size());
  f.groupsImported = TripletGroups(imported);
  f.tripletNotes = TripletNotes(imported);
  for (int n = 1; n <= kUserParts; ++n) {
    const PartDrift &d = report.drift[static_cast<std::size_t>(n)];
    f.notes += d.notes;
    f.driftTotal += d.totalAbs;
    f.driftMax = std::max(f.driftMax, d.maxAbs);
  }
  f.snapped = report.count(ImportChangeKind::Snapped);
  f.folded = report.count(ImportChangeKind::Folded);
  f.cut = report.count(ImportChangeKind::CutByOverlap);
  f.chords = report.count(ImportChangeKind::DroppedChord);
  f.split = report.count(ImportChangeKind::SplitTied);
  f.dropped = report.count(ImportChangeKind::DroppedShort);

  const FitResult fitted = FitForSmd(imported);
  f.changes = static_cast<int>(fitted.changes.size());
  f.groupsKept = TripletGroups(fitted.song);
  EXPECT_TRUE(FindSaveProblems(fitted.song).empty());
  EXPECT_EQ(testing::UnreportedDifference(imported, fitted), "");
  // Fitting keeps time: every note start within half a sixteenth, every part's end in place
  // (on its nearest sixteenth).
  for (int n = 1; n <= kUserParts; ++n) {
    EXPECT_LE(fitted.moves[static_cast<std::size_t>(n)], 60) << "part " << n;
    const Part &a = imported.part(n);
    const Part &b = fitted.song.part(n);
    if (a.count > 0) {
      EXPECT_EQ(b.notes[static_cast<std::size_t>(b.count)].start,
                (a.notes[static_cast<std::size_t>(a.count)].start + 60) / 120 * 120)
          << "part " << n;
    }
  }

  Song toSave = fitted.song;
  const QString smd = outDir + "/" + QString::fromStdString(file).replace('/', '_') + ".smd";
  const Status saved = SaveSmdFile(toSave, smd, false);
  EXPECT_TRUE(saved.ok()) << saved.error();
  Song back;
  const auto opened = OpenSmdFile(back, smd);
  EXPECT_TRUE(opened.ok()) << (opened.ok() ? "" : opened.error());
  EXPECT_EQ(AsSaved(back), AsSaved(fitted.song));
  return f;
}

class MidiCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(MidiCorpus, ImportsFitsSavesAndReadsBack) {
  QTemporaryDir dir;
  const Figures f = ImportFitAndSave(GetParam(), dir.path());
  std::printf("%-40s %5d notes, %4d problems -> %4d changes, drift total %6lld max %4lld, "
              "whole triplet groups %3d after import, %3d after fitting\n",
              GetParam().c_str(), f.notes, f.problemsBefore, f.changes,
              static_cast<long long>(f.driftTotal), static_cast<long long>(f.driftMax),
              f.groupsImported, f.groupsKept);
}

// What a real file imports as, its export reads back as, with triplet recognition on and off.
TEST_P(MidiCorpus, ExportReadsBackAsImported) {
  QFile file(CorpusDir() + "/" + QString::fromStdString(GetParam()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  for (const bool triplets : {true, false}) {
    const Song first = testing::ImportBytes(testing::BytesOf(bytes), triplets);
    const Song second =
        testing::ImportBytes(testing::BytesOf(testing::ExportBytes(first)), triplets);
    EXPECT_EQ(
        testing::FirstDifference(testing::SoundingNotes(first), testing::SoundingNotes(second)), "")
        << (triplets ? "with triplets" : "without triplets");
  }
}

INSTANTIATE_TEST_SUITE_P(Files, MidiCorpus, ::testing::ValuesIn(CorpusFiles()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                           std::string name;
                           for (const char c : info.param.substr(0, info.param.size() - 4))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(MidiCorpusTotals, AllFilesTogether) {
  const std::vector<std::string> files = CorpusFiles();
  ASSERT_EQ(files.size(), 40u);
  QTemporaryDir dir;
  Figures total;
  int unsavable = 0;
  for (const std::string &file : files) {
    const Figures f = ImportFitAndSave(file, dir.path());
    unsavable += f.problemsBefore > 0;
    total.notes += f.notes;
    total.changes += f.changes;
    total.groupsImported += f.groupsImported;
    total.groupsKept += f.groupsKept;
    total.tripletNotes += f.tripletNotes;
    total.driftTotal += f.driftTotal;
    total.driftMax = std::max(total.driftMax, f.driftMax);
    total.snapped += f.snapped;
    total.folded += f.folded;
    total.cut += f.cut;
    total.chords += f.chords;
    total.split += f.split;
    total.dropped += f.dropped;
  }
  std::printf("%zu files imported, fitted, saved and read back; %d could not be saved before "
              "fitting\n%d notes written: %zu snapped, %zu folded, %zu cut by overlap, %zu chord "
              "notes dropped, %zu split into tied pieces, %zu dropped as too short\n"
              "drift total %lld ticks (mean %.1f per note), max %lld\n"
              "%d fitting changes; triplet groups: %d whole after import (of %d triplet "
              "notes), %d kept after fitting\n",
              files.size(), unsavable, total.notes, total.snapped, total.folded, total.cut,
              total.chords, total.split, total.dropped, static_cast<long long>(total.driftTotal),
              total.notes ? static_cast<double>(total.driftTotal) / total.notes : 0.0,
              static_cast<long long>(total.driftMax), total.changes, total.groupsImported,
              total.tripletNotes, total.groupsKept);
  // Fitting keeps every whole group; it may add groups completed with rests.
  EXPECT_GE(total.groupsKept, total.groupsImported);
}

} // namespace
} // namespace pipora
