#pragma once
// What fitting a MIDI file to SMD parts did, after an import: a summary line, the list of
// changes (sortable, copyable as tab-separated text) and a piano-roll strip per part with
// the file's notes in one colour (the voices moved to another part in a second) and the
// notes the song now holds drawn over them. Selecting
// a row scrolls the strips to its note.
#include "formats/midi/import_report.h"
#include "model/song.h"

#include <QDialog>

class QLabel;
class QScrollArea;
class QSortFilterProxyModel;
class QTableView;

namespace pipora {

class ImportChangesModel;
class PianoRollStrips;

class ImportReportWindow : public QDialog {
  Q_OBJECT
public:
  explicit ImportReportWindow(QWidget *parent = nullptr);

  // Shows `report` of the import that produced `song`.
  void setReport(const ImportReport &report, const Song &song);

  // The list shows the changes through a sorting proxy: its rows are the proxy's.
  QTableView *list() const { return list_; }
  QLabel *summary() const { return summary_; }
  PianoRollStrips *strips() const { return strips_; }
  QScrollArea *stripArea() const { return stripArea_; }
  // The selected rows (all rows without a selection) as tab-separated lines, with a header.
  QString selectedText() const;
  // Puts selectedText() on the clipboard.
  void copySelection() const;

private:
  void followSelection();
  // Scrolling the list scrolls the strips to the note of its top row.
  void followScroll();
  void showTick(std::int64_t tick);
  std::int64_t tickOfRow(const QModelIndex &index) const;

  QLabel *summary_ = nullptr;
  ImportChangesModel *changes_ = nullptr;
  QSortFilterProxyModel *sorted_ = nullptr;
  QTableView *list_ = nullptr;
  QScrollArea *stripArea_ = nullptr;
  PianoRollStrips *strips_ = nullptr;
};

// The strips themselves: one per part that has notes, ticks across, keys up.
class PianoRollStrips : public QWidget {
  Q_OBJECT
public:
  explicit PianoRollStrips(QWidget *parent = nullptr);
  void setNotes(const ImportReport &report, const Song &song);
  // Horizontal position of a tick in pixels.
  int xOf(std::int64_t tick) const;
  int partCount() const { return static_cast<int>(parts_.size()); }
  // A line across the strips at the tick of the row the list shows (-1: none).
  void setMarker(std::int64_t tick);
  std::int64_t marker() const { return marker_; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  struct Bar {
    std::int64_t on, off;
    int key;
    bool moved = false; // a voice moved here from its channel's part
  };
  struct Strip {
    int part = 0;
    int low = 127, high = 0;
    std::vector<Bar> original; // by start
    std::vector<Bar> fitted;   // by start
    std::int64_t longest = 0;  // the longest bar, to find what reaches into the view
  };
  // Draws the bars of `bars` that cross ticks `from` to `to`.
  template <typename DrawBar>
  void drawVisible(const std::vector<Bar> &bars, std::int64_t longest, std::int64_t from,
                   std::int64_t to, DrawBar draw) const;
  std::int64_t tickAt(int x) const;
  std::vector<Strip> parts_;
  std::int64_t end_ = 0;
  std::int64_t marker_ = -1;
};

} // namespace pipora
