#include "formats/musicxml/musicxml_writer.h"

#include "model/vocabulary.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <map>
#include <numeric>
#include <vector>

namespace pipora {
namespace {

// One notated note or rest within a measure.
struct Piece {
  std::int64_t ticks = 0;
  int key = 0; // 0: a rest
  bool tieStart = false;
  bool tieStop = false;
  bool triplet = false;
  bool tupletStart = false;
  bool tupletStop = false;
  bool wholeMeasure = false;
};

struct NoteValue {
  int ticks;
  const char *type;
  bool dotted;
  bool triplet;
};

// The values a piece is written in, longest first; a triplet value is two thirds of its type.
constexpr std::array<NoteValue, 15> kValues{{
    {1920, "whole", false, false},
    {1440, "half", true, false},
    {960, "half", false, false},
    {720, "quarter", true, false},
    {640, "half", false, true},
    {480, "quarter", false, false},
    {360, "eighth", true, false},
    {320, "quarter", false, true},
    {240, "eighth", false, false},
    {180, "16th", true, false},
    {160, "eighth", false, true},
    {120, "16th", false, false},
    {80, "16th", false, true},
    {60, "32nd", false, false},
    {40, "32nd", false, true},
}};

// Values adding up to `ticks`: triplet values for a triplet, plain and dotted ones otherwise;
// a remainder no value holds lengthens the last one (its type then only approximates).
std::vector<std::int64_t> SplitTicks(std::int64_t ticks, bool triplet) {
  std::vector<std::int64_t> out;
  std::int64_t left = ticks;
  for (const NoteValue &v : kValues) {
    if (v.triplet != triplet && !(triplet && v.ticks < 40))
      continue;
    while (left >= v.ticks) {
      out.push_back(v.ticks);
      left -= v.ticks;
    }
  }
  if (left > 0) {
    if (out.empty())
      out.push_back(left);
    else
      out.back() += left;
  }
  return out;
}

const NoteValue *ValueOf(std::int64_t ticks, bool triplet) {
  for (const NoteValue &v : kValues)
    if (v.ticks == ticks && v.triplet == triplet)
      return &v;
  for (const NoteValue &v : kValues) // an odd remainder: the nearest shorter value
    if (v.ticks <= ticks && v.triplet == triplet)
      return &v;
  return &kValues.back();
}

struct Spelling {
  int step = 0; // 0 = C .. 6 = B
  int alter = 0;
};

// Sharps in sharp keys and C, flats in flat keys.
Spelling SpellingOf(int key, int fifths) {
  static constexpr std::array<Spelling, 12> kSharps{{{0, 0},
                                                     {0, 1},
                                                     {1, 0},
                                                     {1, 1},
                                                     {2, 0},
                                                     {3, 0},
                                                     {3, 1},
                                                     {4, 0},
                                                     {4, 1},
                                                     {5, 0},
                                                     {5, 1},
                                                     {6, 0}}};
  static constexpr std::array<Spelling, 12> kFlats{{{0, 0},
                                                    {1, -1},
                                                    {1, 0},
                                                    {2, -1},
                                                    {2, 0},
                                                    {3, 0},
                                                    {4, -1},
                                                    {4, 0},
                                                    {5, -1},
                                                    {5, 0},
                                                    {6, -1},
                                                    {6, 0}}};
  const auto pc = static_cast<std::size_t>(PitchClassOf(key));
  return fifths < 0 ? kFlats[pc] : kSharps[pc];
}

// The alteration the key signature gives a step.
int SignatureAlter(int fifths, int step) {
  static constexpr std::array<int, 7> kSharpOrder{3, 0, 4, 1, 5, 2, 6}; // F C G D A E B
  for (int i = 0; i < std::abs(fifths); ++i)
    if (kSharpOrder[static_cast<std::size_t>(fifths > 0 ? i : 6 - i)] == step)
      return fifths > 0 ? 1 : -1;
  return 0;
}

struct Element {
  std::int64_t start = 0;
  std::int64_t ticks = 0;
  int key = 0;
  bool tied = false;
  bool triplet = false;
};

std::vector<Element> ElementsOf(const Part &part) {
  std::vector<Element> out;
  for (std::int32_t i = 0; i < part.count; ++i) {
    const NoteEntry &e = part.notes[static_cast<std::size_t>(i)];
    const int ticks = LengthTicks(e.length.text());
    if (ticks <= 0)
      continue;
    out.push_back(
        {e.start, ticks, e.noteNumber, IsTied(e.length.text()), IsTriplet(e.length.text())});
  }
  return out;
}

bool HasNotes(const Part &part) {
  for (std::int32_t i = 0; i < part.count; ++i)
    if (part.notes[static_cast<std::size_t>(i)].noteNumber > 0)
      return true;
  return false;
}

// The part's pieces, measure by measure: elements cut at the bar lines, the tuplet brackets
// around each group of triplets, rests filling every measure up to `measureCount`.
std::vector<std::vector<Piece>> MeasuresOf(const std::vector<Element> &elements,
                                           std::int64_t origin, std::int64_t pickup,
                                           std::int64_t measureTicks, std::size_t measureCount) {
  const auto measureStart = [&](std::size_t m) {
    return m == 0 ? origin
                  : origin + pickup +
                        static_cast<std::int64_t>(m - (pickup > 0 ? 1 : 0)) * measureTicks;
  };
  std::vector<std::vector<Piece>> measures(measureCount);
  // Brackets: a group closes when its triplets add up to three of its first, or before a
  // plain note.
  std::vector<std::pair<bool, bool>> brackets(elements.size());
  std::int64_t open = -1, sum = 0, target = 0;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (!elements[i].triplet) {
      if (open >= 0)
        brackets[i - 1].second = true;
      open = -1;
      continue;
    }
    if (open < 0) {
      open = static_cast<std::int64_t>(i);
      sum = 0;
      target = 3 * elements[i].ticks;
      brackets[i].first = true;
    }
    sum += elements[i].ticks;
    if (sum >= target) {
      brackets[i].second = true;
      open = -1;
    }
  }
  if (open >= 0 && !elements.empty())
    brackets.back().second = true;

  std::size_t m = 0;
  std::int64_t end = origin;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const Element &e = elements[i];
    const bool tiedIn = i > 0 && elements[i - 1].tied && elements[i - 1].key == e.key && e.key > 0;
    const bool tiedOut =
        e.tied && i + 1 < elements.size() && elements[i + 1].key == e.key && e.key > 0;
    std::int64_t at = e.start;
    const std::int64_t stop = e.start + e.ticks;
    std::vector<std::pair<std::size_t, std::size_t>> placed; // measure, index there
    while (at < stop) {
      while (m + 1 < measureCount && measureStart(m + 1) <= at)
        ++m;
      const std::int64_t barEnd = m + 1 < measureCount ? measureStart(m + 1) : stop;
      const std::int64_t piece = std::min(stop, barEnd) - at;
      for (std::int64_t ticks : SplitTicks(piece, e.triplet)) {
        Piece p;
        p.ticks = ticks;
        p.key = e.key;
        p.triplet = e.triplet;
        placed.emplace_back(m, measures[m].size());
        measures[m].push_back(p);
      }
      at += piece;
    }
    end = std::max(end, stop);
    // Ties within the element and to the notes of the same key around it; the bracket
    // opens on its first piece and closes on its last.
    for (std::size_t k = 0; k < placed.size(); ++k) {
      Piece &p = measures[placed[k].first][placed[k].second];
      if (p.key > 0) {
        p.tieStop = k > 0 || tiedIn;
        p.tieStart = k + 1 < placed.size() || tiedOut;
      }
      p.tupletStart = k == 0 && brackets[i].first;
      p.tupletStop = k + 1 == placed.size() && brackets[i].second;
    }
  }
  // Rests up to the end of the last measure.
  while (m < measureCount) {
    const std::int64_t barEnd = measureStart(m + 1);
    if (end < barEnd) {
      const bool whole = end == measureStart(m) && (m > 0 || pickup == 0);
      if (whole) {
        Piece rest;
        rest.ticks = barEnd - end;
        rest.wholeMeasure = true;
        measures[m].push_back(rest);
      } else {
        for (std::int64_t ticks : SplitTicks(barEnd - end, false)) {
          Piece rest;
          rest.ticks = ticks;
          measures[m].push_back(rest);
        }
      }
      end = barEnd;
    }
    ++m;
  }
  return measures;
}

class Writer {
public:
  Writer(const Song &song, const MusicXmlLayout &layout) : song_(song), layout_(layout) {}

  QByteArray run() {
    std::vector<int> parts;
    for (int n = 1; n <= kUserParts; ++n)
      if (HasNotes(song_.part(n)))
        parts.push_back(n);
    const std::int64_t measureTicks = std::max(song_.measureTicks(), 1);
    const std::int64_t origin = song_.part(1).notes.empty()
                                    ? 0
                                    : std::min<std::int64_t>(song_.part(1).notes.front().start, 0);
    const std::int64_t pickup = -origin % measureTicks;
    std::int64_t end = 0;
    std::vector<std::vector<Element>> elements;
    for (int n : parts) {
      elements.push_back(ElementsOf(song_.part(n)));
      if (!elements.back().empty())
        end = std::max(end, elements.back().back().start + elements.back().back().ticks);
    }
    const std::int64_t afterPickup = std::max<std::int64_t>(end - origin - pickup, 0);
    const std::size_t measureCount = std::max<std::size_t>(
        1, (pickup > 0 ? 1 : 0) +
               static_cast<std::size_t>((afterPickup + measureTicks - 1) / measureTicks));
    std::vector<std::vector<std::vector<Piece>>> measures;
    std::int64_t unit = kTicksPerQuarter;
    for (const std::vector<Element> &e : elements) {
      measures.push_back(MeasuresOf(e, origin, pickup, measureTicks, measureCount));
      for (const auto &measure : measures.back())
        for (const Piece &p : measure)
          unit = std::gcd(unit, p.ticks);
    }
    unit_ = std::max<std::int64_t>(unit, 1);

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml_ = &xml;
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument(QStringLiteral("1.0"), false);
    xml.writeDTD(QStringLiteral(
        "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
        "\"http://www.musicxml.org/dtds/partwise.dtd\">"));
    xml.writeStartElement(QStringLiteral("score-partwise"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("4.0"));
    if (!song_.title.empty()) {
      xml.writeStartElement(QStringLiteral("work"));
      xml.writeTextElement(QStringLiteral("work-title"), QString::fromStdString(song_.title));
      xml.writeEndElement();
    }
    xml.writeStartElement(QStringLiteral("identification"));
    xml.writeStartElement(QStringLiteral("encoding"));
    xml.writeTextElement(QStringLiteral("software"), QStringLiteral("PiporaPad"));
    xml.writeEndElement();
    xml.writeEndElement();
    writePartList(parts);
    for (std::size_t i = 0; i < parts.size(); ++i)
      writePart(parts[i], i == 0, measures[i], pickup > 0, measureTicks);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
  }

private:
  static QString Id(int part) { return QStringLiteral("P%1").arg(part); }

  void text(const char *name, const QString &value) {
    xml_->writeTextElement(QLatin1StringView(name), value);
  }
  void text(const char *name, std::int64_t value) { text(name, QString::number(value)); }

  void writePartList(const std::vector<int> &parts) {
    xml_->writeStartElement(QStringLiteral("part-list"));
    for (int n : parts) {
      const std::string &name = layout_.names[static_cast<std::size_t>(n)];
      const QString shown =
          name.empty() ? QStringLiteral("CH %1").arg(n) : QString::fromStdString(name);
      xml_->writeStartElement(QStringLiteral("score-part"));
      xml_->writeAttribute(QStringLiteral("id"), Id(n));
      text("part-name", shown);
      xml_->writeStartElement(QStringLiteral("score-instrument"));
      xml_->writeAttribute(QStringLiteral("id"), Id(n) + QStringLiteral("-I1"));
      text("instrument-name", shown);
      xml_->writeEndElement();
      xml_->writeStartElement(QStringLiteral("midi-instrument"));
      xml_->writeAttribute(QStringLiteral("id"), Id(n) + QStringLiteral("-I1"));
      if (n != 10) // the drums' channel would make other programs play the part as drums
        text("midi-channel", n);
      text("midi-program", std::clamp(song_.part(n).tone, 0, 127) + 1);
      xml_->writeEndElement();
      xml_->writeEndElement();
    }
    xml_->writeEndElement();
  }

  void writeAttributes(int part, std::int64_t measureTicks) {
    xml_->writeStartElement(QStringLiteral("attributes"));
    text("divisions", kTicksPerQuarter / unit_);
    xml_->writeStartElement(QStringLiteral("key"));
    text("fifths", layout_.key.fifths);
    text("mode", layout_.key.minor ? QStringLiteral("minor") : QStringLiteral("major"));
    xml_->writeEndElement();
    xml_->writeStartElement(QStringLiteral("time"));
    const int beatType = kTicksPerWhole / std::max<int>(song_.ticksPerBeat, 1);
    text("beats", measureTicks / std::max<int>(song_.ticksPerBeat, 1));
    text("beat-type", beatType);
    xml_->writeEndElement();
    const bool bass = layout_.clefs[static_cast<std::size_t>(part)] == Clef::Bass;
    xml_->writeStartElement(QStringLiteral("clef"));
    text("sign", bass ? QStringLiteral("F") : QStringLiteral("G"));
    text("line", bass ? 4 : 2);
    xml_->writeEndElement();
    xml_->writeEndElement();
  }

  void writeTempo() {
    const QString rate = QString::number(BeatsPerMinute(song_.tempo), 'g', 4);
    xml_->writeStartElement(QStringLiteral("direction"));
    xml_->writeAttribute(QStringLiteral("placement"), QStringLiteral("above"));
    xml_->writeStartElement(QStringLiteral("direction-type"));
    xml_->writeStartElement(QStringLiteral("metronome"));
    text("beat-unit", QStringLiteral("quarter"));
    text("per-minute", rate);
    xml_->writeEndElement();
    xml_->writeEndElement();
    xml_->writeEmptyElement(QStringLiteral("sound"));
    xml_->writeAttribute(QStringLiteral("tempo"), rate);
    xml_->writeEndElement();
  }

  void writePart(int part, bool first, const std::vector<std::vector<Piece>> &measures, bool pickup,
                 std::int64_t measureTicks) {
    xml_->writeStartElement(QStringLiteral("part"));
    xml_->writeAttribute(QStringLiteral("id"), Id(part));
    for (std::size_t m = 0; m < measures.size(); ++m) {
      xml_->writeStartElement(QStringLiteral("measure"));
      xml_->writeAttribute(QStringLiteral("number"),
                           QString::number(static_cast<qsizetype>(m) + (pickup ? 0 : 1)));
      if (pickup && m == 0)
        xml_->writeAttribute(QStringLiteral("implicit"), QStringLiteral("yes"));
      if (m == 0) {
        writeAttributes(part, measureTicks);
        if (first)
          writeTempo();
      }
      std::map<std::pair<int, int>, int> alters; // (step, octave) -> alteration in force
      for (const Piece &p : measures[m])
        writeNote(p, alters);
      xml_->writeEndElement();
    }
    xml_->writeEndElement();
  }

  void writeNote(const Piece &p, std::map<std::pair<int, int>, int> &alters) {
    static constexpr std::array<const char *, 7> kSteps{"C", "D", "E", "F", "G", "A", "B"};
    xml_->writeStartElement(QStringLiteral("note"));
    Spelling spelling;
    int octave = 0;
    if (p.key > 0) {
      spelling = SpellingOf(p.key, layout_.key.fifths);
      octave = p.key / 12 - 1;
      xml_->writeStartElement(QStringLiteral("pitch"));
      text("step", QString::fromLatin1(kSteps[static_cast<std::size_t>(spelling.step)]));
      if (spelling.alter != 0)
        text("alter", spelling.alter);
      text("octave", octave);
      xml_->writeEndElement();
    } else {
      xml_->writeEmptyElement(QStringLiteral("rest"));
      if (p.wholeMeasure)
        xml_->writeAttribute(QStringLiteral("measure"), QStringLiteral("yes"));
    }
    text("duration", p.ticks / unit_);
    for (const auto &[on, type] : {std::pair{p.tieStop, "stop"}, std::pair{p.tieStart, "start"}})
      if (on) {
        xml_->writeEmptyElement(QStringLiteral("tie"));
        xml_->writeAttribute(QStringLiteral("type"), QLatin1StringView(type));
      }
    text("voice", 1);
    const NoteValue *value = ValueOf(p.ticks, p.triplet);
    if (!p.wholeMeasure) {
      text("type", QString::fromLatin1(value->type));
      if (value->dotted)
        xml_->writeEmptyElement(QStringLiteral("dot"));
    }
    if (p.key > 0) {
      const std::pair<int, int> place{spelling.step, octave};
      const auto known = alters.find(place);
      const int inForce =
          known != alters.end() ? known->second : SignatureAlter(layout_.key.fifths, spelling.step);
      if (inForce != spelling.alter && !p.tieStop)
        text("accidental", spelling.alter > 0   ? QStringLiteral("sharp")
                           : spelling.alter < 0 ? QStringLiteral("flat")
                                                : QStringLiteral("natural"));
      alters[place] = spelling.alter;
    }
    if (p.triplet && !p.wholeMeasure) {
      xml_->writeStartElement(QStringLiteral("time-modification"));
      text("actual-notes", 3);
      text("normal-notes", 2);
      xml_->writeEndElement();
    }
    if (p.tieStart || p.tieStop || p.tupletStart || p.tupletStop) {
      xml_->writeStartElement(QStringLiteral("notations"));
      for (const auto &[on, type] : {std::pair{p.tieStop, "stop"}, std::pair{p.tieStart, "start"}})
        if (on) {
          xml_->writeEmptyElement(QStringLiteral("tied"));
          xml_->writeAttribute(QStringLiteral("type"), QLatin1StringView(type));
        }
      for (const auto &[on, type] :
           {std::pair{p.tupletStart, "start"}, std::pair{p.tupletStop, "stop"}})
        if (on) {
          xml_->writeEmptyElement(QStringLiteral("tuplet"));
          xml_->writeAttribute(QStringLiteral("type"), QLatin1StringView(type));
          if (std::string_view(type) == "start")
            xml_->writeAttribute(QStringLiteral("bracket"), QStringLiteral("yes"));
        }
      xml_->writeEndElement();
    }
    xml_->writeEndElement();
  }

  const Song &song_;
  const MusicXmlLayout &layout_;
  QXmlStreamWriter *xml_ = nullptr;
  std::int64_t unit_ = 1;
};

} // namespace

QByteArray EncodeMusicXml(const Song &song, const MusicXmlLayout &layout) {
  return Writer(song, layout).run();
}

} // namespace pipora
