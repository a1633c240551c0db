#include "formats/midi/smf_reader.h"

#include "formats/midi/event_log.h"
#include "platform/text/cp932.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <unordered_map>

namespace pipora {
namespace {

constexpr std::uint8_t kHeaderType[] = {'M', 'T', 'h', 'd'};
constexpr std::uint8_t kTrackType[] = {'M', 'T', 'r', 'k'};
// Times are 32-bit in the song; a file whose running time goes past that is refused.
constexpr std::int64_t kMaxRunningTime = std::numeric_limits<std::int32_t>::max() - kTicksPerWhole;

struct LogWords {
  QByteArray textOpen = ToCp932(std::string_view("テキストなど（"));
  QByteArray textClose = ToCp932(std::string_view("）"));
  QByteArray smpteOffset = ToCp932(std::string_view("SMPTEオフセット "));
  QByteArray timeSignature = ToCp932(std::string_view("拍子 "));
  QByteArray keySignature = ToCp932(std::string_view("調 "));
};
const LogWords &Words() {
  static const LogWords words;
  return words;
}

// "Tempo" lines show the rate as the shortest decimal of up to 15 significant digits.
std::string RateText(double quartersPerMinute) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", quartersPerMinute);
  return text;
}

std::string At(std::size_t offset) {
  return "（" + std::to_string(offset) + " バイト目）";
}

enum class Step { Continue, EndOfTrack, EndOfFile, Failed };

class SmfReader {
public:
  SmfReader(std::span<const std::uint8_t> bytes, Song &song, NoteEventSink &notes,
            const MidiImportOptions &options, SmfTempoMap *tempoMap)
      : bytes_(bytes), song_(song), notes_(notes), options_(options), tempoMap_(tempoMap) {}

  SmfRead run() {
    // About 25 bytes of log for a note event of 4 bytes; a huge file grows the log as it goes.
    if (options_.writeEventLog)
      log_.reserve(std::min<std::size_t>(bytes_.size() * 7, std::size_t{32} << 20));
    else
      log_.silence();
    if (readHeader() && requireTrack()) {
      do {
        Step step = startTrack();
        while (step == Step::Continue) {
          eventStart_ = pos_;
          step = readEvent();
        }
        if (step == Step::EndOfFile)
          noteCut();
        if (step != Step::EndOfTrack)
          break;
      } while (findTrack());
    }
    if (tempoMap_ != nullptr)
      *tempoMap_ = {std::move(tempos_), endTick_};
    SmfRead read;
    read.value = log_.take();
    read.warnings = std::move(warnings_);
    if (!error_.empty())
      read.error = Error{std::move(error_)};
    return read;
  }

private:
  bool have(std::size_t n) const { return bytes_.size() - pos_ >= n; }
  std::uint8_t next() { return bytes_[pos_++]; }
  std::uint32_t nextBig(int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
      value = value << 8 | next();
    return value;
  }

  Step fail(std::string message) {
    error_ = std::move(message);
    return Step::Failed;
  }

  // False when the header makes the file unreadable: anything that does not start with a
  // complete "MThd" chunk is not a Standard MIDI File.
  bool readHeader() {
    if (!have(8) || !std::equal(kHeaderType, kHeaderType + 4, bytes_.begin())) {
      fail("標準MIDIファイルではありません（先頭に MThd がありません）");
      return false;
    }
    pos_ = 4;
    const std::uint32_t length = nextBig(4);
    if (length < 6 || !have(6)) {
      fail("ヘッダーが途中で切れています" + At(4));
      return false;
    }
    log_ << "Header ";
    log_.endLine();
    if (!have(2))
      return true;
    const std::uint32_t format = nextBig(2);
    if (format <= 1) {
      log_ << (format == 0 ? "Format0 " : "Format1 ");
      log_.endLine();
    }
    if (!have(2))
      return true;
    log_ << "NumOfTrack" << static_cast<int>(nextBig(2)) << ' ';
    log_.endLine();
    if (!have(2))
      return true;
    const std::size_t at = pos_;
    const std::uint32_t division = nextBig(2);
    log_ << "TimeBase" << static_cast<int>(division) << ' ';
    log_.endLine();
    if (division >= 0x8000) {
      fail("時間単位 " + std::to_string(division) + " は扱えません（32768 以上）" + At(at));
      return false;
    }
    division_ = static_cast<std::int32_t>(division);
    pos_ = 8 + std::min<std::size_t>(length, bytes_.size() - 8);
    return true;
  }

  // A file that ends before its first track holds no song at all.
  bool requireTrack() {
    if (findTrack())
      return true;
    fail("トラックがありません（MTrk が見つかりません）");
    return false;
  }

  // Skips to just after the next "MTrk"; false when there is none.
  bool findTrack() {
    const auto rest = bytes_.subspan(pos_);
    const auto found = std::search(rest.begin(), rest.end(), kTrackType, kTrackType + 4);
    if (found == rest.end())
      return false;
    pos_ += static_cast<std::size_t>(found - rest.begin()) + 4;
    return true;
  }

  // A file that ends in its first track's header, or right after it though the track says it
  // holds more, is a file cut short before any of its song: refused, not read as an empty song.
  Step startTrack() {
    ++track_;
    eventStart_ = pos_;
    if (!have(4))
      return track_ == 1 ? fail("トラックのヘッダーが途中で切れています" + At(pos_))
                         : Step::EndOfFile;
    const std::uint32_t length = nextBig(4);
    if (track_ == 1 && length > 0 && !have(1))
      return fail("トラックのヘッダーの後でファイルが切れています" + At(pos_));
    trackEnd_ = pos_ + length;
    log_ << "Track Size" << static_cast<std::int64_t>(length) << ' ';
    log_.endLine();
    runningTime_ = 0;
    fileTicks_ = 0;
    notes_.StartTrack();
    return Step::Continue;
  }

  // The file ended before the track's end event: when bytes the track announced are missing,
  // or the last event is incomplete, the song read is shorter than the file was, and the
  // reader says so rather than passing it off as the whole song.
  void noteCut() {
    const bool insideEvent = eventStart_ < bytes_.size();
    if (!insideEvent && trackEnd_ <= bytes_.size())
      return;
    warnings_.push_back("ファイルがトラック " + std::to_string(track_) + " の途中で切れています。" +
                        std::to_string(eventStart_) + " バイト目より後は読み込まれていません");
  }

  Step readVarLen(std::uint32_t &value) {
    const std::size_t at = pos_;
    value = 0;
    for (int i = 0; i < 4; ++i) {
      if (!have(1))
        return Step::EndOfFile;
      const std::uint8_t b = next();
      value = value << 7 | (b & 0x7F);
      if (!(b & 0x80))
        return Step::Continue;
    }
    return fail("可変長の数値が 4 バイトを超えています" + At(at));
  }

  Step readEvent() {
    const std::size_t at = pos_;
    std::uint32_t delta = 0;
    if (const Step step = readVarLen(delta); step != Step::Continue)
      return step;
    if (delta != 0) {
      if (division_ <= 0)
        return fail("時間単位が 0 です" + At(at));
      // Under the Part's "最後の音" the rounded total runs on from event to event, and its
      // roundings add up (a rolled chord of 192 per quarter falls 5 ticks behind in six
      // steps); otherwise every time is the file's own, rounded once.
      fileTicks_ += delta;
      runningTime_ = exactTimes_ ? AdvanceRunningTime(0, fileTicks_, division_)
                                 : AdvanceRunningTime(runningTime_, delta, division_);
      endTick_ = std::max(endTick_, runningTime_);
      if (runningTime_ > kMaxRunningTime)
        return fail("曲が長すぎます" + At(at));
    }
    if (!have(1))
      return Step::EndOfFile;
    std::uint8_t status = bytes_[pos_];
    if (status < 0x80) {
      // Running status only follows a channel message; elsewhere a data byte is skipped.
      if (lastStatus_ < 0x80 || lastStatus_ >= 0xF0) {
        ++pos_;
        return Step::Continue;
      }
      status = lastStatus_;
    } else {
      ++pos_;
    }
    if (status < 0xF0)
      return channelMessage(status);
    lastStatus_ = status;
    if (status == 0xFF)
      return metaEvent();
    if (status == 0xF0)
      return skipSystemExclusive();
    if (status == 0xF7)
      return skipEscape();
    return Step::Continue; // system common and real-time bytes carry nothing for us
  }

  void logPosition() {
    const std::int64_t t = runningTime_;
    log_ << (t / kTicksPerWhole + 1) << ':' << ((t / kTicksPerQuarter) % 4 + 1) << ':'
         << (t % kTicksPerQuarter) << ':';
  }

  Step channelMessage(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    const int channel = (status & 0x0F) + 1;
    const std::size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (!have(dataBytes))
      return Step::EndOfFile;
    lastStatus_ = status;
    // Data bytes are seven bits; a damaged file may set the eighth, which no key or
    // velocity has.
    const std::uint8_t first = next() & 0x7F;
    const std::uint8_t second = dataBytes == 2 ? next() & 0x7F : 0;
    switch (kind) {
    case 0x80:
      if (options_.writeEventLog) {
        log_ << "NoteOff CH" << channel << ' ' << int{first} << ' ' << int{second} << ' ';
        log_.endLine();
      }
      notes_.ImportNoteEvent(channel, first, 0, runningTime_);
      break;
    case 0x90:
      notes_.ImportNoteEvent(channel, first, second, runningTime_);
      if (options_.writeEventLog) {
        logPosition();
        log_ << "NoteOn CH" << channel << ' ' << int{first} << ' ' << int{second} << ' ';
        log_.endLine();
      }
      break;
    case 0xC0: {
      const int program = first & 0x7F;
      song_.part(channel).tone = program;
      if (options_.onProgramChange)
        options_.onProgramChange(channel, program);
      logPosition();
      log_ << "ProgramChange CH" << channel << ' ' << program << ' ';
      log_.endLine();
      break;
    }
    case 0xB0:
      notes_.ImportController(channel, first, second, runningTime_);
      break;
    default:
      break; // pressure and pitch bend are not kept
    }
    if (notes_.full())
      return fail("音符が多すぎます" + At(pos_));
    return Step::Continue;
  }

  Step skipSystemExclusive() {
    const auto rest = bytes_.subspan(pos_);
    const auto end = std::find(rest.begin(), rest.end(), std::uint8_t{0xF7});
    if (end == rest.end()) {
      pos_ = bytes_.size();
      return Step::EndOfFile;
    }
    pos_ += static_cast<std::size_t>(end - rest.begin()) + 1;
    return Step::Continue;
  }

  Step skipEscape() {
    std::uint32_t length = 0;
    if (const Step step = readVarLen(length); step != Step::Continue)
      return step;
    if (!have(length))
      return Step::EndOfFile;
    pos_ += length;
    return Step::Continue;
  }

  Step metaEvent() {
    if (!have(1))
      return Step::EndOfFile;
    const std::uint8_t type = next();
    std::uint32_t length = 0;
    if (const Step step = readVarLen(length); step != Step::Continue)
      return step;
    if (!have(length))
      return Step::EndOfFile;
    const std::size_t at = pos_;
    const auto data = bytes_.subspan(pos_, length);
    pos_ += length;

    if ((type >= 0x01 && type <= 0x07) || type == 0x7F) {
      const QByteArray text(reinterpret_cast<const char *>(data.data()),
                            static_cast<qsizetype>(data.size()));
      log_ << Words().textOpen << int{type} << Words().textClose << text;
      log_.endLine();
      if (type == 0x03 && !text.isEmpty() && song_.title.empty()) {
        song_.title = Cp932ToUtf8(text);
      }
      return Step::Continue;
    }
    switch (type) {
    case 0x2F:
      log_ << "EndOfTrack " << static_cast<std::int64_t>(length);
      log_.endLine();
      return Step::EndOfTrack;
    case 0x51: {
      if (length < 3)
        return Step::Continue;
      const std::uint32_t micros = std::uint32_t{data[0]} << 16 | data[1] << 8 | data[2];
      if (micros == 0)
        return fail("テンポが 0 です" + At(at));
      const double rate = 60e6 / micros;
      log_ << "Tempo" << RateText(rate) << ' ';
      log_.endLine();
      song_.setTempo(TempoChoiceForRate(rate));
      tempos_.push_back({runningTime_, rate});
      if (options_.report != nullptr)
        options_.report->fileTempos.push_back(rate);
      return Step::Continue;
    }
    case 0x54:
      log_ << Words().smpteOffset;
      break;
    case 0x58:
      log_ << Words().timeSignature;
      // A denominator past 2^7 is no note length any file means.
      if (length >= 2 && data[1] <= 7)
        notes_.ImportTimeSignature(data[0], 1 << data[1], runningTime_);
      break;
    case 0x59:
      log_ << Words().keySignature;
      break;
    default:
      return Step::Continue; // sequence number, channel prefix and unknown types
    }
    log_.endLine();
    return Step::Continue;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  Song &song_;
  NoteEventSink &notes_;
  const MidiImportOptions &options_;
  EventLog log_;
  std::string error_;
  std::vector<std::string> warnings_;
  int track_ = 0;              // the track being read, from 1
  std::size_t trackEnd_ = 0;   // where the track says it ends
  std::size_t eventStart_ = 0; // where the event being read starts
  std::int64_t runningTime_ = 0;
  std::int64_t fileTicks_ = 0; // the track's time in the file's own ticks
  const bool exactTimes_ = options_.chords != ChordHandling::Last;
  std::int64_t endTick_ = 0;
  std::vector<SmfTempoMap::Tempo> tempos_;
  SmfTempoMap *tempoMap_ = nullptr;
  std::int32_t division_ = 0;
  std::uint8_t lastStatus_ = 0;
};

} // namespace

double LongestHeldRate(const SmfTempoMap &read) {
  std::vector<SmfTempoMap::Tempo> marks = read.tempos;
  std::stable_sort(marks.begin(), marks.end(),
                   [](const auto &a, const auto &b) { return a.tick < b.tick; });
  // Before the first tempo event the standard's 120 holds.
  if (marks.empty() || marks.front().tick > 0)
    marks.insert(marks.begin(), {0, 120.0});
  // Each rate's ticks, in the order the rates first hold; a tempo map of many thousand
  // different rates finds each one's total by a hash, not by a walk over the others.
  std::vector<std::pair<double, std::int64_t>> held; // rate, ticks
  std::unordered_map<double, std::size_t> heldIndex;
  heldIndex.reserve(marks.size());
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const std::int64_t until = i + 1 < marks.size() ? marks[i + 1].tick : read.endTick;
    const std::int64_t ticks = std::max<std::int64_t>(until - marks[i].tick, 0);
    const auto [same, added] = heldIndex.try_emplace(marks[i].rate, held.size());
    if (added)
      held.emplace_back(marks[i].rate, ticks);
    else
      held[same->second].second += ticks;
  }
  // The first of equally long ones; a file of tempo events only takes its last.
  const auto longest = std::max_element(
      held.begin(), held.end(), [](const auto &a, const auto &b) { return a.second < b.second; });
  return longest->second > 0 ? longest->first : marks.back().rate;
}

TempoChoice TempoChoiceForRate(double q) {
  if (q > 135.85)
    return TempoChoice::Fast;
  if (q > 112.95)
    return TempoChoice::Normal;
  if (q > 97.6)
    return TempoChoice::SomewhatSlow;
  return TempoChoice::Slow;
}

std::int64_t AdvanceRunningTime(std::int64_t runningTime, std::int64_t delta,
                                std::int32_t division) {
  if (division == kTicksPerQuarter) // most files: no rounding, and no division per event
    return runningTime + delta;
  const std::int64_t scaled = runningTime * division + std::int64_t{delta} * kTicksPerQuarter;
  std::int64_t quotient = scaled / division;
  const std::int64_t twiceRemainder = 2 * (scaled % division);
  if (twiceRemainder > division || (twiceRemainder == division && (quotient & 1)))
    ++quotient;
  return quotient;
}

SmfRead ReadSmf(std::span<const std::uint8_t> bytes, Song &song, NoteEventSink &notes,
                const MidiImportOptions &options, SmfTempoMap *tempos) {
  SmfRead read = SmfReader(bytes, song, notes, options, tempos).run();
  if (options.report != nullptr)
    options.report->tempo = song.tempo;
  return read;
}

} // namespace pipora
