#include "playback/play_run.h"

#include "model/vocabulary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pipora {

PlayRun::PlayRun(const Song &song, std::uint32_t playMask, double msPerTick)
    : mask_(playMask), msPerTick_(msPerTick) {
  for (int n = 1; n <= kUserParts; ++n) {
    const Part &p = song.part(n);
    Track &track = tracks_[static_cast<std::size_t>(n)];
    const std::size_t size = std::min(p.notes.size(), static_cast<std::size_t>(p.count) + 1);
    for (std::size_t i = 0; i < size; ++i) {
      const NoteEntry &e = p.notes[i];
      track.elements.push_back({e.start, e.prevGateEnd, e.noteNumber, IsTied(e.length)});
    }
    // A part always ends in an element the steps can wait on.
    if (track.elements.empty())
      track.elements.push_back({});
    songEnd_ = std::max(songEnd_, track.elements.back().start);
  }
}

int PlayRun::count(int part) const {
  return static_cast<int>(tracks_[static_cast<std::size_t>(part)].elements.size()) - 1;
}

const PlayElement &PlayRun::element(int part, int i) const {
  return tracks_[static_cast<std::size_t>(part)].elements[static_cast<std::size_t>(i)];
}

int PlayRun::firstElementTick() const {
  return element(1, 0).start;
}

bool PlayRun::tiedToPrevious(int part, int i) const {
  // A tie holds the sounding note only when the pitch repeats.
  return i > 0 && element(part, i - 1).tiesForward &&
         element(part, i - 1).note == element(part, i).note;
}

void PlayRun::partStep(int part, double now, MidiOutput &midi) {
  const auto p = static_cast<std::size_t>(part);
  const int i = next_[p];
  const PlayElement &e = element(part, i);
  const bool tied = tiedToPrevious(part, i);

  // The release runs first: a gate ends 20 ticks before the next start, so the
  // note-off always precedes the next note-on of the same part.
  if (!released_[p] && due(e.prevGateEnd, now)) {
    if (!tied && !finished_[p] && i > 0) {
      midi.MidiNoteOff(part, element(part, i - 1).note);
      released_[p] = true;
      if (i == count(part))
        finished_[p] = true;
    }
  }

  if (due(e.start, now)) {
    if (!tied) {
      const bool late = dueTime(e.start) + kLatenessMs < now;
      if (finished_[p] || late) {
        // Each skipped element delays the rest of the run by a millisecond.
        if (i < count(part))
          ++startOffset_;
      } else {
        midi.MidiNoteOn(part, e.note);
        released_[p] = false;
      }
    }
    if (i < count(part))
      next_[p] = i + 1;
  }
}

PassOutcome PlayRun::pass(const MsClock &clock, MidiOutput &midi) {
  const auto before = std::make_tuple(next_, released_, finished_, startOffset_);
  PassOutcome outcome;
  outcome.now = clock();
  for (int n = 1; n <= kUserParts; ++n) {
    if (!inMask(n))
      continue;
    outcome.now = clock();
    partStep(n, outcome.now, midi);
  }

  if (dueTime(songEnd_) < outcome.now) {
    // Every part's last note is released, whatever the mask.
    for (int n = 1; n <= kUserParts; ++n) {
      const auto p = static_cast<std::size_t>(n);
      if (count(n) > 0)
        midi.MidiNoteOff(n, element(n, count(n) - 1).note);
      next_[p] = 0;
      finished_[p] = false;
    }
    if (loop_) {
      startOffset_ = RoundHalfEven(outcome.now - firstElementTick() * msPerTick_);
      outcome.restarted = true;
    } else {
      outcome.ended = true;
    }
  }
  outcome.changed = outcome.restarted || outcome.ended ||
                    before != std::make_tuple(next_, released_, finished_, startOffset_);
  return outcome;
}

double PlayRun::nextDue(double now) const {
  // Releases and starts before the EndMarker always change the run when they fall due, so
  // they count even if already due (the clock may pass them while a pass is running).
  // The EndMarker's own start can be due without anything left to do: only a future one
  // counts.
  double best = std::numeric_limits<double>::infinity();
  for (int n = 1; n <= kUserParts; ++n) {
    if (!inMask(n))
      continue;
    const auto p = static_cast<std::size_t>(n);
    const int i = next_[p];
    const PlayElement &e = element(n, i);
    const bool tied = tiedToPrevious(n, i);
    if (!released_[p] && !tied && !finished_[p] && i > 0)
      best = std::min(best, dueTime(e.prevGateEnd));
    if (i < count(n))
      best = std::min(best, dueTime(e.start));
    else if (count(n) > 0 && !finished_[p] && !tied && dueTime(e.start) > now)
      best = std::min(best, dueTime(e.start));
  }
  // The end test is strict: the run ends just after the last tick's time.
  return std::min(best, dueTime(songEnd_) + 1e-3);
}

} // namespace pipora
