#pragma once
// The player's view of the windows: the property window's bars and the position text (the
// score editor's play-position line is PlayLine's, reached by the session directly); beside
// it, what the windows tell the player (the menus locked while playing, the title and tempo
// committed before a play, the settings and the source editor's selection). The frame makes
// it once its windows exist.
#include "playback/player.h"
#include "playback/player_host.h"
#include "views/app_context.h"

#include <QMetaObject>

namespace pipora {

class PropertyWindow;
class SourceEditorWindow;

class PlayerWindowHost final : public PlayerHost {
public:
  // Takes the player's handlers (preparing a play, its options, the playing locks) and the
  // measure play menu item; the destructor gives them back.
  PlayerWindowHost(AppContext &ctx, PropertyWindow &props, SourceEditorWindow &source);
  ~PlayerWindowHost();
  PlayerWindowHost(const PlayerWindowHost &) = delete;
  PlayerWindowHost &operator=(const PlayerWindowHost &) = delete;

  void showBar(int part, int value, int maximum) override;
  void showPosition(const std::string &text) override;

  // Measure play's part: currentPart when the source editor's list has the focus, the
  // score editor's current part when the score editor is active, else 0.
  int measurePlayPart() const;
  // The settings and the source list's selection as the player asks for them.
  PlayerOptions options() const;

private:
  bool scoreActive() const;
  // The note lists, the title and the tempo go into the song before a play reads it.
  void prepareToPlay();
  // Playing: the File, Edit, View and Help menus, the play items and the property window's
  // controls are disabled; idle: enabled again.
  void setPlayingLocks(bool playing);

  AppContext &ctx_;
  PropertyWindow &props_;
  SourceEditorWindow &source_;
  QMetaObject::Connection playingLocks_;
  QMetaObject::Connection measurePlay_;
};

} // namespace pipora
