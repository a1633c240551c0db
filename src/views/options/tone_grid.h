#pragma once
// The 128 tone names in a grid of 8 columns, program n at row n / 8 and column n % 8; the
// selected part's tone is shown in the highlight colours. Pressing a name and letting go
// are reported with the mouse button, for the audition.
#include "settings/tone_names.h"

#include <QWidget>

#include <array>

class QLabel;

namespace pipora {

class ToneGrid : public QWidget {
  Q_OBJECT
public:
  explicit ToneGrid(QWidget *parent = nullptr);

  void setNames(const ToneNames &names);
  void setHighlighted(int program);
  int highlighted() const { return highlighted_; }
  QLabel *label(int program) const { return labels_[static_cast<std::size_t>(program)]; }

  // Room for the widest name in every column; less cuts the names short.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

signals:
  void tonePressed(int program, Qt::MouseButton button);
  void toneReleased(int program, Qt::MouseButton button);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  void fitNames();

  std::array<QString, kToneCount> names_;
  int preferredLabelWidth_ = 60;
  std::array<QLabel *, kToneCount> labels_{};
  int highlighted_ = -1;
};

} // namespace pipora
