#include "views/recovery_offer.h"

#include "views/file_failure.h"

#include <QStringList>

namespace pipora {

QString RecoveryQuestion(const AbandonedSong &song) {
  QStringList lines;
  lines << QStringLiteral("前回異常終了したときの編集内容が残っています。復元しますか？")
        << QString();
  lines << QStringLiteral("タイトル：") +
               (song.title.isEmpty() ? QStringLiteral("（なし）") : song.title);
  lines << QStringLiteral("ファイル名：") +
               (song.fileName.isEmpty() ? QStringLiteral("（未保存の新しい曲）") : song.fileName);
  lines << QStringLiteral("最終変更：") +
               song.changed.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
  lines << QString()
        << QStringLiteral("「いいえ」で破棄します。「キャンセル」で次回の起動時まで残します。");
  return lines.join('\n');
}

bool OfferRecovery(AppContext &ctx, Prompts &prompts, QWidget *parent, RecoveryAnswer answer) {
  if (answer == RecoveryAnswer::Ask && !prompts.canAsk())
    answer = RecoveryAnswer::Keep;
  if (answer == RecoveryAnswer::Keep)
    return false;
  std::vector<AbandonedSong> songs = ClaimAbandonedSongs(ctx.session.programDirectory());
  bool recovered = false;
  bool stopAsking = false;
  for (AbandonedSong &song : songs) {
    // One song at a time: after one came back (or the user put the offer off) the rest
    // wait for the next start.
    if (recovered || stopAsking) {
      ReleaseAbandonedSong(song);
      continue;
    }
    Answer reply = Answer::Yes;
    if (answer == RecoveryAnswer::Discard)
      reply = Answer::No;
    else if (answer == RecoveryAnswer::Ask)
      reply = prompts.question(parent, RecoveryQuestion(song), true);
    switch (reply) {
    case Answer::Cancel:
      stopAsking = true;
      ReleaseAbandonedSong(song);
      break;
    case Answer::No:
      DiscardAbandonedSong(song);
      break;
    case Answer::Yes:
      if (const Status brought = ctx.session.recover(song); !brought) {
        ShowFileFailure(prompts, parent, song.songFile, brought.failure(), FileAccess::Read);
        ReleaseAbandonedSong(song); // kept: the user may still rescue it by hand
        break;
      }
      DiscardAbandonedSong(song);
      recovered = true;
      break;
    }
  }
  return recovered;
}

} // namespace pipora
