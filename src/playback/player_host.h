#pragma once
// What the player needs from the windows. The player never calls a view directly: the
// editor implements this over its windows; the command-line tool and the tests use
// HeadlessPlayerHost.
#include "model/song.h"
#include "playback/midi_output.h"

#include <array>
#include <optional>
#include <string>

namespace pipora {

class PlayerHost : public LevelMeters {
public:
  // The property window's bar of a part: a volume control 0..8 while idle, a level
  // meter 0..100 while playing.
  virtual double barValue(int part) const = 0;
  virtual void setBarValue(int part, int value) = 0;
  virtual int barMaximum(int part) const = 0;
  virtual void setBarMaximum(int part, int maximum) = 0;

  int meterMaximum(int part) const override { return barMaximum(part); }
  void setMeterValue(int part, int value) override { setBarValue(part, value); }

  // The program number (tone) of a part.
  virtual int program(int part) const = 0;
  // The selected tempo button; none keeps the previous tempo.
  virtual std::optional<TempoChoice> selectedTempo() const { return std::nullopt; }
  // The property window's title text, copied into the song when play starts.
  virtual std::optional<std::string> titleText() const { return std::nullopt; }
  // Brings the note lists up to date when the score editor holds the newer copy.
  virtual void prepareNoteLists() {}

  // Playing: disable the File, Edit, View and Help menus, the play items and the property
  // window's controls, disable the panel's play button and enable its stop button.
  // Idle: the reverse.
  virtual void setPlayingLocks(bool playing) { (void)playing; }
  virtual void showPosition(const std::string &text) { (void)text; }

  // Score editor's play-position line. begin: erase the editing cursor and the selection
  // (selection length 0), switch to invert drawing. move: erase the line at markerTick,
  // draw it at tick or scroll a page; returns the marker tick to keep (-1000 after a page
  // scroll). restart: scroll back to the start. end: erase the line at markerTick and
  // return to normal drawing.
  virtual void beginPlayLine() {}
  virtual int movePlayLine(int markerTick, int tick) {
    (void)markerTick;
    return tick;
  }
  virtual void restartPlayLine() {}
  virtual void endPlayLine(int markerTick) { (void)markerTick; }

  // Settings.
  virtual bool isTick() const { return false; }
  virtual bool isPreview() const { return true; }

  // Measure play's part: currentPart when the source editor's list has the focus, the
  // score editor's current part when the score editor is active, else 0.
  virtual int measurePlayPart() const = 0;
  // The element selected in the source editor's list in currentPart (the stopped position).
  virtual int selectedSourceElement() const = 0;
};

// A host without windows: bars live in memory, volumes and tones come from the song.
class HeadlessPlayerHost : public PlayerHost {
public:
  explicit HeadlessPlayerHost(Song &song);

  double barValue(int part) const override;
  void setBarValue(int part, int value) override;
  int barMaximum(int part) const override;
  void setBarMaximum(int part, int maximum) override;
  int program(int part) const override;
  int measurePlayPart() const override { return song_.currentPart; }
  int selectedSourceElement() const override;
  bool isTick() const override { return isTick_; }
  bool isPreview() const override { return isPreview_; }
  void showPosition(const std::string &text) override { position_ = text; }

  void setIsTick(bool on) { isTick_ = on; }
  void setIsPreview(bool on) { isPreview_ = on; }
  const std::string &position() const { return position_; }

protected:
  Song &song_;

private:
  std::array<int, kUserParts + 1> value_{};
  std::array<int, kUserParts + 1> maximum_{};
  bool isTick_ = false;
  bool isPreview_ = true;
  std::string position_;
};

} // namespace pipora
