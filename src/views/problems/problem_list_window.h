#pragma once
// The list of everything an SMD save would refuse, in every part: part, position as the
// source editor shows it, note and the save check's own message. It follows the song while
// it is shown; activating a row asks the frame to put both editors on that note. A row's
// context menu fits that one problem for SMD or copies the selected rows.
#include "model/song.h"

#include <QDockWidget>

class QAction;
class QMenu;
class QModelIndex;
class QTimer;
class QTableView;

namespace pipora {

class SaveProblemsModel;

class ProblemListWindow : public QDockWidget {
  Q_OBJECT
public:
  explicit ProblemListWindow(const Song &song, QWidget *parent = nullptr);

  // Lists the song's problems now.
  void refresh();
  int rowCount() const;
  // Activates row `row` as a double click or Enter would.
  void activateRow(int row);
  // Makes row `row` the current one (and the only one selected).
  void selectRow(int row);
  int currentRow() const;

  // The context menu of the rows: "SMDに合わせる" for the current row, "コピー".
  QMenu *rowMenu() const { return rowMenu_; }
  QAction *fitAction() const { return fitAction_; }
  QAction *copyAction() const { return copyAction_; }
  // The selected rows (all rows without a selection) as tab-separated lines, with a header.
  QString selectedText() const;
  void copySelection() const;

signals:
  void problemActivated(int part, int element);
  // The context menu's fitting, for the problem of the current row.
  void fitRequested(int part, int element);

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void onRowActivated(const QModelIndex &index);
  void onContextMenu(const QPoint &pos);
  void onFitCurrent();

  const Song &song_;
  SaveProblemsModel *problems_ = nullptr;
  QTableView *list_ = nullptr;
  QMenu *rowMenu_ = nullptr;
  QAction *fitAction_ = nullptr;
  QAction *copyAction_ = nullptr;
  // Edits reach the song from several windows; while shown, the list looks again now and
  // then. The check takes a few milliseconds even for a very long song.
  QTimer *followTimer_ = nullptr;
  std::size_t shownFingerprint_ = 0;
};

} // namespace pipora
