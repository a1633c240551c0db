#include "views/score/score_display_menu.h"

#include "engraving/key_signature.h"
#include "views/app_context.h"

#include <QActionGroup>
#include <QMenu>

#include <optional>

namespace pipora {
namespace {

void Choose(AppContext &ctx, const ScoreDisplay &display) {
  if (display.clefs == ctx.song.display.clefs && display.key == ctx.song.display.key)
    return;
  // No history step (a snapshot is the SMD text, which holds no display), but unsaved: the
  // choice is kept with the file when it is saved.
  ctx.changeMarks([&display](Song &song) { song.display = display; });
  ctx.session.setDirty(true);
  ctx.session.reportSongChange();
}

QAction *AddChoice(QMenu &menu, QActionGroup &group, const QString &caption, bool checked) {
  QAction *a = menu.addAction(caption);
  a->setCheckable(true);
  a->setChecked(checked);
  group.addAction(a);
  return a;
}

void AddClefItems(QMenu &menu, AppContext &ctx, int part) {
  QMenu *clefs = menu.addMenu(QStringLiteral("パート %1 の音部記号(&C)").arg(part));
  clefs->setObjectName(QStringLiteral("ClefMenu"));
  auto *group = new QActionGroup(clefs);
  const Clef current = ctx.song.display.clefs[static_cast<std::size_t>(part)];
  const std::pair<Clef, const char *> choices[] = {
      {Clef::Automatic, "自動"}, {Clef::Treble, "ト音記号"}, {Clef::Bass, "ヘ音記号"}};
  for (const auto &[clef, caption] : choices) {
    QAction *a = AddChoice(*clefs, *group, QString::fromUtf8(caption), clef == current);
    QObject::connect(a, &QAction::triggered, &menu, [&ctx, part, clef = clef] {
      ScoreDisplay display = ctx.song.display;
      display.clefs[static_cast<std::size_t>(part)] = clef;
      Choose(ctx, display);
    });
  }
}

void AddKeyItems(QMenu &menu, AppContext &ctx) {
  QMenu *keys = menu.addMenu(QStringLiteral("調号(&K)"));
  keys->setObjectName(QStringLiteral("KeyMenu"));
  auto *group = new QActionGroup(keys);
  const std::optional<KeySignature> current = ctx.song.display.key;
  auto add = [&](std::optional<KeySignature> key, const QString &caption) {
    QAction *a = AddChoice(*keys, *group, caption, key == current);
    QObject::connect(a, &QAction::triggered, &menu, [&ctx, key] {
      ScoreDisplay display = ctx.song.display;
      display.key = key;
      Choose(ctx, display);
    });
  };
  for (const auto &[key, caption] : KeyChoices(ctx.song)) {
    if (key && key->fifths == -7)
      keys->addSeparator(); // before the majors, then before the minors
    add(key, caption);
  }
}

} // namespace

std::vector<KeyChoice> KeyChoices(const Song &song) {
  std::vector<KeyChoice> choices;
  choices.emplace_back(
      std::nullopt,
      QStringLiteral("自動（%1）").arg(QString::fromStdString(KeyName(InferKey(song)))));
  for (const bool minor : {false, true})
    for (int fifths = -7; fifths <= 7; ++fifths) {
      const KeySignature key{fifths, minor};
      const QString sign = fifths == 0  ? QStringLiteral("♮")
                           : fifths > 0 ? QStringLiteral("♯%1").arg(fifths)
                                        : QStringLiteral("♭%1").arg(-fifths);
      choices.emplace_back(key, QString::fromStdString(KeyName(key)) + QStringLiteral("（") + sign +
                                    QStringLiteral("）"));
    }
  return choices;
}

void AddScoreDisplayItems(QMenu &menu, AppContext &ctx, int part) {
  if (part >= 1 && part <= kUserParts)
    AddClefItems(menu, ctx, part);
  AddKeyItems(menu, ctx);
}

} // namespace pipora
