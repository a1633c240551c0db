#include "formats/musicxml/musicxml_reader.h"

#include "formats/musicxml/play_order.h"
#include "model/vocabulary.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <map>

namespace pipora {
namespace {

// A score whose repeats play more measures than this is cut there, so that a damaged file
// cannot ask for endless music.
constexpr int kMaxPlayedMeasures = 200000;
constexpr int kMaxRepeatTimes = 16;

struct RawNote {
  int voice = 0;
  int key = 0;
  std::int64_t on = 0; // ticks from the measure's start
  std::int64_t off = 0;
  bool tieStart = false;
  bool tieStop = false;
};

struct RawTempo {
  std::int64_t at = 0; // ticks from the measure's start
  double rate = 0;
};

struct RawMeasure {
  std::int64_t length = 0;   // ticks its music reaches
  std::int64_t expected = 0; // ticks its time signature gives
  MeasureBarlines bars;
  std::vector<int> endingStart; // the numbers of a volta starting here
  std::vector<RawNote> notes;
  std::vector<RawTempo> tempos;
};

struct PartState {
  MusicXmlPart part;
  std::vector<RawMeasure> measures;
  std::int64_t divisions = 1;
  int transpose = 0; // semitones from written to sounding pitch
  std::int64_t measureTicks = kTicksPerWhole;
  bool clefSet = false;
  std::map<QString, int> voices;
};

// Where the reading stands within one measure, in the measure's divisions; a change of
// divisions inside a measure starts counting again from the ticks reached.
struct MeasureClock {
  std::int64_t divisions = 1;
  std::int64_t baseTicks = 0;
  std::int64_t pos = 0;
  std::int64_t lastStart = 0; // the previous note's start, for the notes of its chord
  std::int64_t maxTicks = 0;

  std::int64_t ticks(std::int64_t units) const {
    const std::int64_t scaled = units * kTicksPerQuarter;
    const std::int64_t half = divisions / 2;
    const std::int64_t t =
        baseTicks + (scaled >= 0 ? (scaled + half) / divisions : -((-scaled + half) / divisions));
    return std::max<std::int64_t>(t, 0);
  }
  void reach(std::int64_t units) { maxTicks = std::max(maxTicks, ticks(units)); }
  void setDivisions(std::int64_t d) {
    baseTicks = ticks(pos);
    lastStart -= pos;
    pos = 0;
    divisions = d;
  }
};

int StepSemitones(QStringView step) {
  static constexpr std::array<int, 7> kFromA{9, 11, 0, 2, 4, 5, 7};
  if (step.size() != 1 || step[0] < u'A' || step[0] > u'G')
    return -1;
  return kFromA[static_cast<std::size_t>(step[0].unicode() - u'A')];
}

// Whole notes of a note type ("quarter" 1/4), 0 for an unknown one.
double TypeWholes(QStringView type) {
  static const std::array<std::pair<const char16_t *, double>, 13> kTypes{{
      {u"maxima", 8},
      {u"long", 4},
      {u"breve", 2},
      {u"whole", 1},
      {u"half", 0.5},
      {u"quarter", 0.25},
      {u"eighth", 0.125},
      {u"16th", 1.0 / 16},
      {u"32nd", 1.0 / 32},
      {u"64th", 1.0 / 64},
      {u"128th", 1.0 / 128},
      {u"256th", 1.0 / 256},
      {u"512th", 1.0 / 512},
  }};
  for (const auto &[name, wholes] : kTypes)
    if (type == QStringView(name))
      return wholes;
  return 0;
}

// "1", "1, 2", "1-3": the passes a volta is played on.
std::vector<int> EndingNumbers(const QString &text) {
  std::vector<int> numbers;
  const QStringList pieces = QString(text).replace(u' ', u',').split(u',', Qt::SkipEmptyParts);
  for (const QString &piece : pieces) {
    const QStringList range = piece.split(u'-');
    bool okFrom = false, okTo = false;
    const int from = range.front().trimmed().toInt(&okFrom);
    const int to = range.back().trimmed().toInt(&okTo);
    if (okFrom && okTo && from >= 1 && to >= from && to - from < kMaxRepeatTimes)
      for (int n = from; n <= to; ++n)
        numbers.push_back(n);
  }
  return numbers;
}

// The leading number of a text such as "120" or "c. 96".
double LeadingNumber(const QString &text) {
  qsizetype i = 0;
  while (i < text.size() && !text[i].isDigit())
    ++i;
  qsizetype j = i;
  while (j < text.size() && (text[j].isDigit() || text[j] == u'.'))
    ++j;
  return text.mid(i, j - i).toDouble();
}

class Reader {
public:
  explicit Reader(const QByteArray &xml) : xml_(xml) {}

  Result<MusicXmlScore> run() {
    if (!xml_.readNextStartElement())
      return failure("MusicXML の楽譜がありません");
    const QStringView root = xml_.name();
    const bool partwise = root == u"score-partwise";
    if (!partwise && root != u"score-timewise")
      return failure("MusicXML の楽譜ではありません（最初の要素が " +
                     root.toString().toStdString() + "）");
    readBody(partwise);
    if (xml_.hasError())
      return failure("XML として読めません（" + xml_.errorString().toStdString() + "）");
    if (std::none_of(parts_.begin(), parts_.end(),
                     [](const PartState &p) { return !p.measures.empty(); }))
      return failure("MusicXML の楽譜に小節がありません");
    assemble();
    return std::move(score_);
  }

private:
  bool is(const char16_t *name) const { return xml_.name() == QStringView(name); }
  QString text() { return xml_.readElementText(QXmlStreamReader::SkipChildElements).trimmed(); }
  double number() { return text().toDouble(); }
  QString attribute(const char16_t *name) const {
    return xml_.attributes().value(QString::fromUtf16(name)).toString();
  }

  Error failure(const std::string &what) const {
    return Error{std::to_string(xml_.lineNumber()) + "行目、" +
                 std::to_string(xml_.columnNumber()) + "列目: " + what};
  }

  PartState &part(const QString &id) {
    const auto [at, added] = partIndex_.try_emplace(id, parts_.size());
    if (added) {
      parts_.emplace_back();
      parts_.back().part.id = id.toStdString();
    }
    return parts_[at->second];
  }

  void readBody(bool partwise) {
    while (xml_.readNextStartElement()) {
      if (is(u"work")) {
        while (xml_.readNextStartElement())
          if (is(u"work-title"))
            workTitle_ = text();
          else
            xml_.skipCurrentElement();
      } else if (is(u"movement-title")) {
        movementTitle_ = text();
      } else if (is(u"credit")) {
        readCredit();
      } else if (is(u"part-list")) {
        readPartList();
      } else if (partwise && is(u"part")) {
        PartState &p = part(attribute(u"id"));
        while (xml_.readNextStartElement())
          if (is(u"measure"))
            readMeasure(p);
          else
            xml_.skipCurrentElement();
      } else if (!partwise && is(u"measure")) {
        while (xml_.readNextStartElement())
          if (is(u"part"))
            readMeasure(part(attribute(u"id")));
          else
            xml_.skipCurrentElement();
      } else {
        xml_.skipCurrentElement();
      }
    }
  }

  void readCredit() {
    bool titled = false;
    QString words;
    double size = 0;
    while (xml_.readNextStartElement()) {
      if (is(u"credit-type")) {
        titled = titled || text() == u"title";
      } else if (is(u"credit-words") && words.isEmpty()) {
        size = attribute(u"font-size").toDouble();
        words = text();
      } else {
        xml_.skipCurrentElement();
      }
    }
    if (words.isEmpty())
      return;
    if (titled && creditTitle_.isEmpty())
      creditTitle_ = words;
    if (size > largestCreditSize_) {
      largestCreditSize_ = size;
      largestCredit_ = words;
    }
  }

  void readPartList() {
    while (xml_.readNextStartElement()) {
      if (!is(u"score-part")) {
        xml_.skipCurrentElement();
        continue;
      }
      PartState &p = part(attribute(u"id"));
      while (xml_.readNextStartElement()) {
        if (is(u"part-name")) {
          p.part.name = text().toStdString();
        } else if (is(u"midi-instrument")) {
          while (xml_.readNextStartElement()) {
            if (is(u"midi-program") && p.part.program < 0)
              p.part.program = std::clamp(static_cast<int>(number()) - 1, 0, 127);
            else if (is(u"midi-channel") && p.part.channel == 0)
              p.part.channel = std::clamp(static_cast<int>(number()), 0, 16);
            else
              xml_.skipCurrentElement();
          }
        } else {
          xml_.skipCurrentElement();
        }
      }
    }
  }

  void readMeasure(PartState &p) {
    RawMeasure m;
    MeasureClock clock;
    clock.divisions = p.divisions;
    while (xml_.readNextStartElement()) {
      if (is(u"note")) {
        readNote(p, m, clock);
      } else if (is(u"backup") || is(u"forward")) {
        const bool back = is(u"backup");
        std::int64_t units = 0;
        while (xml_.readNextStartElement())
          if (is(u"duration"))
            units = std::llround(number());
          else
            xml_.skipCurrentElement();
        clock.pos += back ? -units : units;
        clock.reach(clock.pos);
      } else if (is(u"attributes")) {
        readAttributes(p, clock);
      } else if (is(u"direction")) {
        readDirection(m, clock.ticks(clock.pos));
      } else if (is(u"sound")) {
        if (const double rate = attribute(u"tempo").toDouble(); rate > 0)
          m.tempos.push_back({clock.ticks(clock.pos), rate});
        xml_.skipCurrentElement();
      } else if (is(u"barline")) {
        readBarline(m);
      } else {
        xml_.skipCurrentElement();
      }
    }
    p.divisions = clock.divisions;
    m.length = clock.maxTicks;
    m.expected = p.measureTicks;
    p.measures.push_back(std::move(m));
  }

  void readAttributes(PartState &p, MeasureClock &clock) {
    while (xml_.readNextStartElement()) {
      if (is(u"divisions")) {
        if (const std::int64_t d = std::llround(number()); d > 0)
          clock.setDivisions(d);
      } else if (is(u"key")) {
        KeySignature key;
        bool hasFifths = false;
        while (xml_.readNextStartElement()) {
          if (is(u"fifths")) {
            key.fifths = std::clamp(static_cast<int>(number()), -7, 7);
            hasFifths = true;
          } else if (is(u"mode")) {
            key.minor = text() == u"minor";
          } else {
            xml_.skipCurrentElement();
          }
        }
        if (hasFifths && !score_.key)
          score_.key = key;
      } else if (is(u"time")) {
        readTime(p);
      } else if (is(u"clef")) {
        const QString staff = attribute(u"number");
        QString sign;
        while (xml_.readNextStartElement())
          if (is(u"sign"))
            sign = text();
          else
            xml_.skipCurrentElement();
        if (!p.clefSet && (staff.isEmpty() || staff == u"1")) {
          p.clefSet = true;
          p.part.clef = sign == u"G" ? Clef::Treble : sign == u"F" ? Clef::Bass : Clef::Automatic;
        }
      } else if (is(u"transpose")) {
        int chromatic = 0, octaves = 0;
        while (xml_.readNextStartElement()) {
          if (is(u"chromatic"))
            chromatic = static_cast<int>(number());
          else if (is(u"octave-change"))
            octaves = static_cast<int>(number());
          else
            xml_.skipCurrentElement();
        }
        p.transpose = std::clamp(chromatic + 12 * octaves, -48, 48);
      } else {
        xml_.skipCurrentElement();
      }
    }
  }

  void readTime(PartState &p) {
    int beats = 0, beatType = 0;
    while (xml_.readNextStartElement()) {
      if (is(u"beats") && beats == 0) {
        for (const QString &n : text().split(u'+'))
          beats += n.trimmed().toInt();
      } else if (is(u"beat-type") && beatType == 0) {
        beatType = static_cast<int>(number());
      } else {
        xml_.skipCurrentElement();
      }
    }
    if (beats <= 0 || beats > 64 || beatType <= 0 || kTicksPerWhole % beatType != 0)
      return;
    p.measureTicks = beats * (kTicksPerWhole / beatType);
    if (!timeSet_) {
      timeSet_ = true;
      score_.beats = beats;
      score_.beatType = beatType;
    }
  }

  void readNote(PartState &p, RawMeasure &m, MeasureClock &clock) {
    bool chord = false, grace = false, rest = false, cue = false, unpitched = false;
    int step = -1, octave = 4, dots = 0;
    double alter = 0, wholes = 0;
    std::int64_t units = -1, actual = 1, normal = 1;
    QString voice = QStringLiteral("1");
    bool tieStart = false, tieStop = false;
    const auto tie = [&](const QString &type) {
      tieStart = tieStart || type == u"start";
      tieStop = tieStop || type == u"stop";
    };
    while (xml_.readNextStartElement()) {
      if (is(u"chord")) {
        chord = true;
        xml_.skipCurrentElement();
      } else if (is(u"grace")) {
        grace = true;
        xml_.skipCurrentElement();
      } else if (is(u"cue")) {
        cue = true;
        xml_.skipCurrentElement();
      } else if (is(u"rest")) {
        rest = true;
        xml_.skipCurrentElement();
      } else if (is(u"unpitched")) {
        unpitched = true;
        xml_.skipCurrentElement();
      } else if (is(u"pitch")) {
        while (xml_.readNextStartElement()) {
          if (is(u"step"))
            step = StepSemitones(text());
          else if (is(u"alter"))
            alter = number();
          else if (is(u"octave"))
            octave = static_cast<int>(number());
          else
            xml_.skipCurrentElement();
        }
      } else if (is(u"duration")) {
        units = std::llround(number());
      } else if (is(u"voice")) {
        voice = text();
      } else if (is(u"tie")) {
        tie(attribute(u"type"));
        xml_.skipCurrentElement();
      } else if (is(u"type")) {
        wholes = TypeWholes(text());
      } else if (is(u"dot")) {
        ++dots;
        xml_.skipCurrentElement();
      } else if (is(u"time-modification")) {
        while (xml_.readNextStartElement()) {
          if (is(u"actual-notes"))
            actual = std::max<std::int64_t>(std::llround(number()), 1);
          else if (is(u"normal-notes"))
            normal = std::max<std::int64_t>(std::llround(number()), 1);
          else
            xml_.skipCurrentElement();
        }
      } else if (is(u"notations")) {
        while (xml_.readNextStartElement()) {
          if (is(u"tied"))
            tie(attribute(u"type"));
          xml_.skipCurrentElement();
        }
      } else {
        xml_.skipCurrentElement();
      }
    }
    if (grace) { // an ornament played in another note's time
      ++score_.graceNotes;
      return;
    }
    if (units < 0) { // no duration: the written type says it, or a whole-measure rest
      const double dotted = 2.0 - std::pow(0.5, dots);
      const double w =
          wholes > 0 ? wholes * dotted * static_cast<double>(normal) / static_cast<double>(actual)
                     : static_cast<double>(p.measureTicks) / kTicksPerWhole;
      units = std::llround(w * 4.0 * static_cast<double>(clock.divisions));
    }
    const std::int64_t start = chord ? clock.lastStart : clock.pos;
    if (!chord) {
      clock.lastStart = clock.pos;
      clock.pos += units;
    }
    clock.reach(start + units);
    if (rest || cue || units <= 0)
      return;
    if (unpitched || step < 0) {
      ++score_.unpitchedNotes;
      return;
    }
    const int key = (octave + 1) * 12 + step + static_cast<int>(std::lround(alter)) + p.transpose;
    if (key < 0 || key > 127)
      return;
    const auto [at, added] = p.voices.try_emplace(voice, static_cast<int>(p.voices.size()));
    m.notes.push_back(
        {at->second, key, clock.ticks(start), clock.ticks(start + units), tieStart, tieStop});
  }

  void readDirection(RawMeasure &m, std::int64_t at) {
    double sound = 0, metronome = 0;
    while (xml_.readNextStartElement()) {
      if (is(u"direction-type")) {
        while (xml_.readNextStartElement()) {
          if (is(u"metronome") && metronome == 0)
            metronome = readMetronome();
          else
            xml_.skipCurrentElement();
        }
      } else if (is(u"sound")) {
        sound = attribute(u"tempo").toDouble();
        xml_.skipCurrentElement();
      } else {
        xml_.skipCurrentElement();
      }
    }
    // The sound's tempo is what plays; a metronome mark alone is taken at its word.
    if (const double rate = sound > 0 ? sound : metronome; rate > 0)
      m.tempos.push_back({at, rate});
  }

  // Quarters per minute of a mark such as "dotted quarter = 60", 0 for another kind.
  double readMetronome() {
    double unit = 0, perMinute = 0;
    int dots = 0;
    while (xml_.readNextStartElement()) {
      if (is(u"beat-unit") && unit == 0)
        unit = TypeWholes(text()) * 4;
      else if (is(u"beat-unit-dot") && perMinute == 0) {
        ++dots;
        xml_.skipCurrentElement();
      } else if (is(u"per-minute"))
        perMinute = LeadingNumber(text());
      else
        xml_.skipCurrentElement();
    }
    return unit * (2.0 - std::pow(0.5, dots)) * perMinute;
  }

  void readBarline(RawMeasure &m) {
    while (xml_.readNextStartElement()) {
      if (is(u"repeat")) {
        if (attribute(u"direction") == u"forward") {
          m.bars.repeatForward = true;
        } else {
          m.bars.repeatBackward = true;
          if (const int times = attribute(u"times").toInt(); times > 0)
            m.bars.times = std::min(times, kMaxRepeatTimes);
        }
        xml_.skipCurrentElement();
      } else if (is(u"ending")) {
        const QString type = attribute(u"type");
        if (type == u"start")
          m.endingStart = EndingNumbers(attribute(u"number"));
        else
          m.bars.endingEnds = true;
        xml_.skipCurrentElement();
      } else {
        xml_.skipCurrentElement();
      }
    }
  }

  void assemble() {
    const auto reference = std::find_if(parts_.begin(), parts_.end(),
                                        [](const PartState &p) { return !p.measures.empty(); });
    std::size_t count = 0;
    for (const PartState &p : parts_)
      count = std::max(count, p.measures.size());
    // Barlines and lengths are the same in every part of a sound score: the first part's
    // barlines and the longest music of each measure are taken.
    std::vector<MeasureBarlines> bars(count);
    std::vector<std::int64_t> lengths(count, 0);
    std::vector<int> active;
    for (std::size_t i = 0; i < count; ++i) {
      std::int64_t expected = 0;
      for (const PartState &p : parts_)
        if (i < p.measures.size()) {
          lengths[i] = std::max(lengths[i], p.measures[i].length);
          expected = std::max(expected, p.measures[i].expected);
        }
      if (i < reference->measures.size()) {
        const RawMeasure &m = reference->measures[i];
        bars[i] = m.bars;
        if (!m.endingStart.empty())
          active = m.endingStart;
        bars[i].endings = active;
        if (m.bars.endingEnds)
          active.clear();
      }
      if (lengths[i] == 0) // an empty measure still takes its time
        lengths[i] = expected;
      if (i == 0 && lengths[0] < expected)
        score_.pickup = lengths[0];
    }
    const std::vector<int> order = PlayOrder(bars, kMaxPlayedMeasures);
    score_.measuresPlayed = static_cast<int>(order.size());
    if (order.empty() || order.front() != 0)
      score_.pickup = 0;

    std::vector<std::int64_t> starts;
    starts.reserve(order.size());
    std::int64_t at = 0;
    for (int i : order) {
      starts.push_back(at);
      at += lengths[static_cast<std::size_t>(i)];
    }
    score_.endTick = at;

    for (PartState &p : parts_) {
      std::vector<RawNote> played;
      for (std::size_t k = 0; k < order.size(); ++k) {
        const auto i = static_cast<std::size_t>(order[k]);
        if (i >= p.measures.size())
          continue;
        for (RawNote n : p.measures[i].notes) {
          n.on += starts[k];
          n.off += starts[k];
          played.push_back(n);
        }
        for (const RawTempo &t : p.measures[i].tempos)
          score_.tempos.push_back({starts[k] + t.at, t.rate});
      }
      std::stable_sort(played.begin(), played.end(),
                       [](const RawNote &a, const RawNote &b) { return a.on < b.on; });
      p.part.notes = TiedTogether(played);
      std::stable_sort(p.part.notes.begin(), p.part.notes.end(),
                       [](const MusicXmlNote &a, const MusicXmlNote &b) {
                         return a.on != b.on ? a.on < b.on : a.key < b.key;
                       });
      p.part.voices = static_cast<int>(p.voices.size());
      score_.parts.push_back(std::move(p.part));
    }
    // Every part may state the tempo: each moment keeps one.
    std::stable_sort(
        score_.tempos.begin(), score_.tempos.end(),
        [](const MusicXmlTempo &a, const MusicXmlTempo &b) { return a.tick < b.tick; });
    score_.tempos.erase(std::unique(score_.tempos.begin(), score_.tempos.end(),
                                    [](const MusicXmlTempo &a, const MusicXmlTempo &b) {
                                      return a.tick == b.tick;
                                    }),
                        score_.tempos.end());
    const QString &title = !workTitle_.isEmpty()       ? workTitle_
                           : !movementTitle_.isEmpty() ? movementTitle_
                           : !creditTitle_.isEmpty()   ? creditTitle_
                                                       : largestCredit_;
    score_.title = title.simplified().toStdString();
  }

  // A note tied from one that ends where it starts, at the same key, lengthens that note.
  static std::vector<MusicXmlNote> TiedTogether(const std::vector<RawNote> &played) {
    std::vector<MusicXmlNote> notes;
    notes.reserve(played.size());
    std::map<int, std::size_t> open; // key -> the note a tie leads on from
    for (const RawNote &n : played) {
      const auto from = open.find(n.key);
      if (n.tieStop && from != open.end() && notes[from->second].off == n.on) {
        notes[from->second].off = n.off;
        if (!n.tieStart)
          open.erase(from);
        continue;
      }
      if (n.tieStart)
        open[n.key] = notes.size();
      else if (from != open.end())
        open.erase(from);
      notes.push_back({n.voice, n.key, n.on, n.off});
    }
    return notes;
  }

  QXmlStreamReader xml_;
  MusicXmlScore score_;
  std::vector<PartState> parts_;
  std::map<QString, std::size_t> partIndex_;
  bool timeSet_ = false;
  QString workTitle_, movementTitle_, creditTitle_, largestCredit_;
  double largestCreditSize_ = -1;
};

} // namespace

Result<MusicXmlScore> ReadMusicXml(const QByteArray &xml) {
  return Reader(xml).run();
}

bool LooksLikeMusicXml(const QByteArray &bytes) {
  QXmlStreamReader xml(bytes.left(4096));
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::DTD)
      return xml.dtdName() == u"score-partwise" || xml.dtdName() == u"score-timewise";
    if (token == QXmlStreamReader::StartElement)
      return xml.name() == u"score-partwise" || xml.name() == u"score-timewise";
    if (token == QXmlStreamReader::Invalid)
      return false;
  }
  return false;
}

} // namespace pipora
