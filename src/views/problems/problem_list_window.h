#pragma once
// The list of everything an SMD save would refuse, in every part: part, position as the
// source editor shows it, note and the save check's own message. It follows the song while
// it is shown; activating a row asks the frame to put both editors on that note.
#include "model/song.h"

#include <QDockWidget>

class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace pipora {

class ProblemListWindow : public QDockWidget {
  Q_OBJECT
public:
  explicit ProblemListWindow(const Song &song, QWidget *parent = nullptr);

  // Lists the song's problems now.
  void refresh();
  int rowCount() const;
  // Activates row `row` as a double click or Enter would.
  void activateRow(int row);

signals:
  void problemActivated(int part, int element);

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void onItemActivated(QTreeWidgetItem *item);

  const Song &song_;
  QTreeWidget *list_ = nullptr;
  // Edits reach the song from several windows; while shown, the list looks again now and
  // then. The check takes a few milliseconds even for a very long song.
  QTimer *followTimer_ = nullptr;
  std::size_t shownFingerprint_ = 0;
};

} // namespace pipora
