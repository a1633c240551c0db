#include "views/find/find_dialog.h"

#include "views/help/manual.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pipora {
namespace {

template <typename Widget> Widget *Named(Widget *w, const char *name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

} // namespace

FindDialog::FindDialog(QWidget *parent)
    : QDialog(parent), noteCheck_(Named(new QCheckBox(QStringLiteral("音名(&N)")), "NoteCheck")),
      noteText_(Named(new QLineEdit, "NoteText")),
      lengthCheck_(Named(new QCheckBox(QStringLiteral("長さ(&L)")), "LenCheck")),
      lengthText_(Named(new QLineEdit, "LenText")),
      backward_(Named(new QRadioButton(QStringLiteral("戻る(&B)")), "UpCheck")),
      forward_(Named(new QRadioButton(QStringLiteral("進む(&F)")), "DownCheck")),
      fromTop_(Named(new QRadioButton(QStringLiteral("最初から(&T)")), "TopCheck")),
      allParts_(Named(new QRadioButton(QStringLiteral("全てのパート(&A)")), "AllCheck")),
      currentPart_(Named(new QRadioButton(QStringLiteral("現在のパート(&C)")), "CurrentCheck")),
      search_(Named(new QPushButton(QStringLiteral("検索")), "searchButton")),
      cancel_(Named(new QPushButton(QStringLiteral("キャンセル")), "cancelButton")) {
  setObjectName(QStringLiteral("FindDialog"));
  InstallHelpKey(this);
  setWindowTitle(QStringLiteral("検索 - PiporaPad"));
  setModal(false);

  auto *notes = Named(new QGroupBox(QStringLiteral("検索する音符")), "NoteFrame");
  auto *noteGrid = new QGridLayout(notes);
  noteGrid->addWidget(noteCheck_, 0, 0);
  noteGrid->addWidget(noteText_, 0, 1);
  noteGrid->addWidget(lengthCheck_, 1, 0);
  noteGrid->addWidget(lengthText_, 1, 1);

  auto *direction = Named(new QGroupBox(QStringLiteral("検索方向")), "DirectionFrame");
  auto *directionRow = new QHBoxLayout(direction);
  for (QRadioButton *b : {backward_, forward_, fromTop_})
    directionRow->addWidget(b);
  forward_->setChecked(true);

  auto *scope = Named(new QGroupBox(QStringLiteral("検索範囲")), "ScopeFrame");
  auto *scopeRow = new QHBoxLayout(scope);
  for (QRadioButton *b : {allParts_, currentPart_})
    scopeRow->addWidget(b);
  allParts_->setChecked(true);

  auto *buttons = new QVBoxLayout;
  buttons->addWidget(search_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  search_->setDefault(true);

  auto *frames = new QVBoxLayout;
  frames->addWidget(notes);
  frames->addWidget(direction);
  frames->addWidget(scope);
  auto *layout = new QHBoxLayout(this);
  layout->addLayout(frames);
  layout->addLayout(buttons);

  connect(noteText_, &QLineEdit::textChanged, this, [this] { followText(noteText_, noteCheck_); });
  connect(lengthText_, &QLineEdit::textChanged, this,
          [this] { followText(lengthText_, lengthCheck_); });
  connect(noteCheck_, &QCheckBox::clicked, this,
          [this] { noteText_->setFocus(Qt::OtherFocusReason); });
  connect(lengthCheck_, &QCheckBox::clicked, this, [this] {
    if (isVisible())
      lengthText_->setFocus(Qt::OtherFocusReason);
  });
  connect(search_, &QPushButton::clicked, this, &FindDialog::searchRequested);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::hide);
  noteText_->installEventFilter(this);
  lengthText_->installEventFilter(this);
}

void FindDialog::followText(QLineEdit *text, QCheckBox *check) {
  check->setChecked(!text->text().isEmpty());
}

bool FindDialog::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusIn && (watched == noteText_ || watched == lengthText_)) {
    // After the click that gave the focus has placed the caret, the whole text is selected.
    auto *text = static_cast<QLineEdit *>(watched);
    QTimer::singleShot(0, text, [text] { text->selectAll(); });
  }
  return QDialog::eventFilter(watched, event);
}

FindCriteria FindDialog::criteria() const {
  FindCriteria c;
  c.usePitch = noteCheck_->isChecked();
  c.pitchText = noteText_->text().toStdString();
  c.useLength = lengthCheck_->isChecked();
  c.lengthText = lengthText_->text().toStdString();
  c.direction = backward_->isChecked()  ? FindDirection::Backward
                : fromTop_->isChecked() ? FindDirection::FromTop
                                        : FindDirection::Forward;
  c.scope = currentPart_->isChecked() ? FindScope::CurrentPart : FindScope::AllParts;
  return c;
}

void FindDialog::chooseForwardUnlessBackward() {
  if (!backward_->isChecked())
    forward_->setChecked(true);
}

} // namespace pipora
