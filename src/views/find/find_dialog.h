#pragma once
// The find dialog: which note to look for (pitch, length or both), in which direction and in
// which parts. Modeless, made once and hidden between uses; what was typed and chosen stays
// for the next time. The search itself is run by whoever listens to searchRequested().
#include "editing/find_notes.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pipora {

class FindDialog : public QDialog {
  Q_OBJECT
public:
  explicit FindDialog(QWidget *parent = nullptr);

  FindCriteria criteria() const;
  // The editor the dialog was opened from: its lists are the ones searched.
  FindTarget target() const { return target_; }
  void setTarget(FindTarget target) { target_ = target; }
  // Find next moves forward unless the user chose backward; it ticks "進む" then.
  void chooseForwardUnlessBackward();

  QCheckBox *noteCheck() const { return noteCheck_; }
  QLineEdit *noteText() const { return noteText_; }
  QCheckBox *lengthCheck() const { return lengthCheck_; }
  QLineEdit *lengthText() const { return lengthText_; }
  QRadioButton *backwardOption() const { return backward_; }
  QRadioButton *forwardOption() const { return forward_; }
  QRadioButton *fromTopOption() const { return fromTop_; }
  QRadioButton *allPartsOption() const { return allParts_; }
  QRadioButton *currentPartOption() const { return currentPart_; }
  QPushButton *searchButton() const { return search_; }
  QPushButton *cancelButton() const { return cancel_; }

signals:
  // The search button (or Enter) was pressed.
  void searchRequested();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void followText(QLineEdit *text, QCheckBox *check);

  FindTarget target_ = FindTarget::Score;
  QCheckBox *noteCheck_;
  QLineEdit *noteText_;
  QCheckBox *lengthCheck_;
  QLineEdit *lengthText_;
  QRadioButton *backward_;
  QRadioButton *forward_;
  QRadioButton *fromTop_;
  QRadioButton *allParts_;
  QRadioButton *currentPart_;
  QPushButton *search_;
  QPushButton *cancel_;
};

} // namespace pipora
