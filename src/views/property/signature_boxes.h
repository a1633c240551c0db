#pragma once
// The property window's time signature and key, beside the tempo: they show what the score
// is written in and change it. The time signature is no part of the SMD text; the key is
// kept with the file beside its tones, so choosing one marks the song unsaved.
#include <QWidget>

#include <utility>
#include <vector>

class QComboBox;

namespace pipora {

struct AppContext;

class SignatureBoxes : public QWidget {
  Q_OBJECT
public:
  SignatureBoxes(AppContext &ctx, QWidget *parent);

  // The boxes show the song's time signature and key.
  void refresh();

  QComboBox *timeBox() const { return timeBox_; }
  QComboBox *keyBox() const { return keyBox_; }

private:
  void chooseTime(int index);
  void chooseKey(int index);

  AppContext &ctx_;
  QComboBox *timeBox_ = nullptr;
  QComboBox *keyBox_ = nullptr;
  // The time box's items: beats per measure and ticks per beat.
  std::vector<std::pair<int, int>> times_;
  bool refreshing_ = false;
};

} // namespace pipora
