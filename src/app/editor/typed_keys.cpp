#include "app/editor/typed_keys.h"

#include "views/main_window.h"
#include "views/score/score_editor_window.h"
#include "views/score/score_surface.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <memory>

namespace pipora::editor {
namespace {

constexpr int kPollMs = 20;
constexpr int kPatienceMs = 5000;

void PressKey(QWidget *target, int key, Qt::KeyboardModifiers modifiers, const QString &text) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

// Ctrl with a letter: the menu item with that shortcut, else the key itself (the score
// editor's own shortcut keys).
void PressControl(MainWindow &frame, QWidget *target, QChar letter) {
  const int key = letter.toUpper().unicode();
  const QKeySequence wanted(static_cast<int>(Qt::CTRL) | key);
  for (QAction *action : frame.findChildren<QAction *>())
    if (action->shortcut() == wanted && action->isEnabled()) {
      action->trigger();
      return;
    }
  PressKey(target, key, Qt::ControlModifier, QString());
}

void Type(MainWindow &frame, const QString &keys) {
  QWidget *target = frame.scoreEditor()->surface();
  for (qsizetype i = 0; i < keys.size(); ++i) {
    const QChar c = keys[i];
    if (c == '^' && i + 1 < keys.size()) {
      PressControl(frame, target, keys[++i]);
    } else if (c == '#') {
      PressKey(target, Qt::Key_NumberSign, Qt::ShiftModifier, QStringLiteral("#"));
    } else if (c.isLetterOrNumber() && c.unicode() < 128) {
      PressKey(target, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    } else if (c == ' ') {
      PressKey(target, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    }
  }
}

} // namespace

void TypeKeysInScoreEditor(MainWindow &frame, const QString &keys, std::function<void()> done) {
  frame.childWindows().focusActiveWindow(WindowId::ScoreEditor);
  auto *poll = new QTimer(&frame);
  auto waited = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, &frame, [&frame, keys, done, poll, waited] {
    *waited += kPollMs;
    const bool active = frame.scoreEditor()->windowActive();
    if (!active && *waited < kPatienceMs)
      return;
    poll->stop();
    poll->deleteLater();
    if (active)
      Type(frame, keys);
    done();
  });
  poll->start(kPollMs);
}

} // namespace pipora::editor
