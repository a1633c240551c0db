#pragma once
// What only the windows know of a play: the property window's bars (volume while idle, level
// meter while playing), the position text and the score editor's play-position line. The
// player reads tempo, title, volumes and tones from the song and its settings from
// PlayerSettings; the editor's session passes this on to its windows (the line to the score
// editor's PlayLineView), the command-line tool and the tests use HeadlessPlayerHost.
#include "model/song.h"

#include <array>
#include <string>

namespace pipora {

// The score editor's side of the play-position line (see PlayerHost for the meaning).
class PlayLineView {
public:
  virtual ~PlayLineView() = default;
  virtual void beginPlayLine() = 0;
  virtual int movePlayLine(int markerTick, int tick) = 0;
  virtual void restartPlayLine() = 0;
  virtual void endPlayLine(int markerTick) = 0;
};

class PlayerHost {
public:
  // The bar of a part shows `value` of `maximum`: the volume of 8 while idle, the level of
  // 100 while playing.
  virtual void showBar(int part, int value, int maximum) = 0;
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

protected:
  // Never deleted through this interface.
  ~PlayerHost() = default;
};

// A host without windows: the bars live in memory, starting at the song's volumes.
class HeadlessPlayerHost : public PlayerHost {
public:
  explicit HeadlessPlayerHost(const Song &song);
  virtual ~HeadlessPlayerHost() = default;

  void showBar(int part, int value, int maximum) override;
  void showPosition(const std::string &text) override { position_ = text; }

  int barValue(int part) const;
  int barMaximum(int part) const;
  const std::string &position() const { return position_; }

private:
  std::array<int, kUserParts + 1> value_{};
  std::array<int, kUserParts + 1> maximum_{};
  std::string position_;
};

} // namespace pipora
