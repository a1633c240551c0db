#pragma once
// At start-up: the unsaved songs of editors that ended without saving (crashed, killed, or
// ended by a signal) are offered one at a time, newest first. Yes brings the song back as
// this editor's unsaved song and removes the old folder; No removes the folder; Cancel
// keeps it and every later one for the next start. A running editor's folder is never seen.
#include "session/abandoned_songs.h"
#include "views/app_context.h"
#include "views/prompts.h"

#include <QString>

class QWidget;

namespace pipora {

// How the offer is answered: by the user, or, for runs nobody watches, in advance.
enum class RecoveryAnswer {
  Ask,     // a question per song; like Keep when nobody can answer
  Accept,  // the newest song comes back, the others stay for later
  Discard, // every abandoned song is removed
  Keep,    // nothing is offered and nothing removed
};

// The question for one song: "前回異常終了したときの編集内容が残っています。復元しますか？"
// followed by its title, its file name (or that it had none) and the time of its last change.
QString RecoveryQuestion(const AbandonedSong &song);

// Offers the abandoned songs; returns whether one was brought back.
bool OfferRecovery(AppContext &ctx, Prompts &prompts, QWidget *parent, RecoveryAnswer answer);

} // namespace pipora
