#include "playback/player.h"

#include "model/position_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pipora {

namespace {

// Passes run back to back while they make progress (skipping late elements, the
// restart); this bounds a pathological run so the interface always gets control back.
constexpr int kMaxPassesPerWake = 1 << 20;

std::uint32_t SoloMask(int part) {
  return std::uint32_t{1} << std::clamp(part, 1, kUserParts);
}

} // namespace

Player::Player(const Song &song, MidiOutput &midi, PlayerHost &host, MsClock clock,
               std::unique_ptr<WakeTimer> playTimer, std::unique_ptr<WakeTimer> previewTimer)
    : song_(song), midi_(midi), host_(host), bars_(host), clock_(std::move(clock)),
      playTimer_(std::move(playTimer)), previewTimer_(std::move(previewTimer)),
      msPerTick_(song.msPerTick > 0 ? song.msPerTick : MsPerTick(song.tempo)) {
  midi_.setLevelMeters(&bars_);
  playTimer_->setHandler([this] { onPlayWake(); });
  previewTimer_->setHandler([this] { onPreviewTimer(); });
}

Player::~Player() {
  playTimer_->cancel();
  previewTimer_->cancel();
  midi_.setLevelMeters(nullptr);
}

int Player::Bars::meterMaximum(int part) const {
  return part >= 1 && part <= kUserParts ? maximum_[static_cast<std::size_t>(part)] : 0;
}

void Player::Bars::setMeterValue(int part, int value) {
  if (part >= 1 && part <= kUserParts)
    host_.showBar(part, value, maximum_[static_cast<std::size_t>(part)]);
}

void Player::Bars::show(int part, int value, int maximum) {
  maximum_[static_cast<std::size_t>(part)] = maximum;
  host_.showBar(part, value, maximum);
}

int Player::volumeOf(int part) const {
  return std::clamp(song_.part(part).volume, 0, Bars::kIdleMaximum);
}

int Player::programOf(int part) const {
  return std::clamp(song_.part(part).tone, 0, 127);
}

void Player::prepare() {
  if (prepare_)
    prepare_();
}

void Player::setPlaying(bool playing) {
  if (playingChanged_)
    playingChanged_(playing);
}

void Player::startPlayAll(std::uint32_t mask) {
  prepare();
  startPrepared(mask);
}

void Player::startPrepared(std::uint32_t mask) {
  if (song_.msPerTick > 0)
    msPerTick_ = song_.msPerTick;
  playing_ = false;
  midi_.MidiOpen();
  midi_.MidiReset();
  playParts(mask);
}

void Player::playAll() {
  startTick_.reset();
  startPlayAll(kAllPartsMask);
}

void Player::playSolo() {
  startTick_.reset();
  startPlayAll(SoloMask(song_.currentPart));
}

void Player::playMeasure(int part) {
  prepare();
  if (part < 1 || part > kUserParts)
    part = 1;
  const Part &p = song_.part(part);
  const int c = std::clamp(p.cursor, 0, p.count);
  const std::int32_t from = p.notes[static_cast<std::size_t>(c)].start - song_.measureTicks();
  int start = 0;
  for (int o = c; o >= 0; --o) {
    if (p.notes[static_cast<std::size_t>(o)].start <= from) {
      start = o == c ? 0 : o;
      break;
    }
  }
  startTick_ = p.notes[static_cast<std::size_t>(start)].start;
  // The note lists are current already: preparing them again would copy the score
  // editor's cursor over the one just moved back.
  startPrepared(kAllPartsMask);
}

void Player::stop() {
  stopSong();
  midi_.MidiReset();
  midi_.MidiClose();
  startTick_.reset();
}

void Player::playParts(std::uint32_t playMask) {
  // A preview still sounding would otherwise reset and close the device mid-play.
  cancelPreview();
  playTimer_->cancel();
  run_ = std::make_unique<PlayRun>(song_, playMask, msPerTick_);
  run_->setLoop(loop_);

  for (int n = 1; n <= kUserParts; ++n) {
    if (run_->partHasNotes(n)) {
      playing_ = true;
      midi_.MidiProgramChange(n, programOf(n));
    }
  }
  if (!playing_) {
    run_.reset();
    return;
  }

  setPlaying(true);
  markerTick_ = -10000;
  host_.beginPlayLine();

  for (int n = 1; n <= kUserParts; ++n) {
    const int volume = volumeOf(n);
    midi_.MidiExpression(n, ExpressionFromVolume(volume));
    midi_.setVolumeCache(n, volume);
    bars_.show(n, 0, Bars::kPlayingMaximum);
  }

  playing_ = true;
  const double t0 = clock_();
  const Part &current = song_.part(std::clamp(song_.currentPart, 1, kUserParts));
  const int cursor = std::clamp(current.cursor, 0, current.count);
  const std::int32_t cursorTick =
      std::exchange(startTick_, std::nullopt)
          .value_or(current.notes[static_cast<std::size_t>(cursor)].start);
  run_->start(RoundHalfEven(t0 - cursorTick * msPerTick_));
  lastDisplayStep_ = static_cast<long long>(std::floor(t0 / kDisplayStepMs));
  onPlayWake();
}

void Player::onPlayWake() {
  if (!playing_ || !run_)
    return;
  PassOutcome outcome;
  for (int i = 0; i < kMaxPassesPerWake; ++i) {
    outcome = run_->pass(clock_, midi_);
    if (outcome.restarted)
      host_.restartPlayLine();
    if (outcome.ended) {
      stopSong();
      if (finished_)
        finished_();
      return;
    }
    if (!playing_)
      break;
    // The clock moves while a pass runs: a part stepped early in the pass may have
    // fallen due since.
    if (!outcome.changed && run_->nextDue(outcome.now) > clock_())
      break;
  }
  if (!playing_)
    return;
  const double now = outcome.now;
  host_.showPosition(runningPositionText(now));
  updatePlayLine(now);
  armPlayTimer(now);
}

void Player::updatePlayLine(double now) {
  // The line moves at most once per 30 ms step of the clock, and only when the tick changed.
  const auto step = static_cast<long long>(std::floor(now / kDisplayStepMs));
  if (step == lastDisplayStep_)
    return;
  lastDisplayStep_ = step;
  const double elapsed = now - run_->startOffset();
  if (static_cast<int>(std::floor(elapsed / msPerTick_)) == markerTick_)
    return;
  markerTick_ = host_.movePlayLine(markerTick_, RunningTick(elapsed, msPerTick_));
}

void Player::armPlayTimer(double now) {
  const double nextStep = (std::floor(now / kDisplayStepMs) + 1) * kDisplayStepMs;
  playTimer_->wakeAt(std::min(run_->nextDue(now), nextStep));
}

std::string Player::runningPositionText(double now) const {
  if (!run_)
    return stoppedPositionText();
  const double elapsed = now - run_->startOffset();
  if (options().isTick)
    return MeasureText(RunningTick(elapsed, msPerTick_), song_.ticksPerBeat, song_.beatsPerMeasure);
  return TimeText(RunningCentiseconds(elapsed, run_->firstElementTick(), msPerTick_));
}

std::string Player::stoppedPositionText() const {
  const Part &p = song_.part(std::clamp(song_.currentPart, 1, kUserParts));
  const PlayerOptions shown = options();
  const int element = shown.selectedElement >= 0 ? shown.selectedElement : p.cursor;
  const int selected = std::clamp(element, 0, p.count);
  const std::int32_t tick = p.notes[static_cast<std::size_t>(selected)].start;
  if (shown.isTick)
    return MeasureText(tick, song_.ticksPerBeat, song_.beatsPerMeasure);
  return TimeText(StoppedCentiseconds(tick, msPerTick_));
}

void Player::stopSong() {
  const bool wasRunning = run_ != nullptr;
  playing_ = false;
  playTimer_->cancel();
  midi_.MidiReset();
  run_.reset();
  if (!wasRunning)
    return;
  setPlaying(false);
  host_.showPosition(stoppedPositionText());
  host_.endPlayLine(markerTick_);
  for (int n = 1; n <= kUserParts; ++n)
    bars_.show(n, midi_.volumeCache(n), Bars::kIdleMaximum);
}

int Player::previewKey(int part) const {
  return part >= 1 && part <= kUserParts ? previewKeys_[static_cast<std::size_t>(part)] : 0;
}

void Player::previewNote(int part, int key) {
  if (!options().isPreview || part < 1 || part > kUserParts)
    return;
  // While playing the device belongs to the play run; the preview's end would reset and close it.
  if (playing_)
    return;
  const auto a = static_cast<std::size_t>(part);
  const int volume = volumeOf(part);
  midi_.setVolumeCache(part, volume);
  if (previewKeys_[a] > 0) {
    midi_.MidiNoteOff(part, previewKeys_[a]);
  } else {
    midi_.MidiOpen();
    midi_.MidiReset();
    midi_.MidiProgramChange(part, programOf(part));
    midi_.MidiExpression(part, ExpressionFromVolume(volume));
  }
  midi_.MidiNoteOn(part, key);
  // The level meter update of the note-on must not change the volume.
  bars_.show(part, volume, Bars::kIdleMaximum);
  previewKeys_[a] = key;
  previewTimer_->cancel();
  previewTimer_->wakeAt(clock_() + kPreviewMs);
}

void Player::onPreviewTimer() {
  endPreview();
}

void Player::endPreview() {
  previewTimer_->cancel();
  for (int n = 1; n <= kUserParts; ++n) {
    int &key = previewKeys_[static_cast<std::size_t>(n)];
    if (key > 0) {
      midi_.MidiNoteOff(n, key);
      key = 0;
      midi_.MidiReset();
      midi_.MidiClose();
    }
  }
}

void Player::cancelPreview() {
  previewTimer_->cancel();
  for (int n = 1; n <= kUserParts; ++n) {
    int &key = previewKeys_[static_cast<std::size_t>(n)];
    if (key > 0)
      midi_.MidiNoteOff(n, key);
    key = 0;
  }
}

} // namespace pipora
