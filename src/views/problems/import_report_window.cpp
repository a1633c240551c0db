#include "views/problems/import_report_window.h"

#include "model/source_line.h"
#include "model/vocabulary.h"
#include "views/help/manual.h"
#include "views/problems/report_table_view.h"
#include "views/problems/report_tables.h"
#include "views/problems/rows_text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <tuple>

namespace pipora {
namespace {

constexpr double kPixelsPerTick = 0.05; // a 4/4 measure is 96 pixels wide
constexpr int kStripHeight = 64;
constexpr int kLabelWidth = 40;
const QColor kOriginalColour(90, 150, 230);
const QColor kFittedColour(230, 120, 30);
const QColor kMovedColour(40, 170, 80);

} // namespace

ImportReportWindow::ImportReportWindow(QWidget *parent) : QDialog(parent) {
  setObjectName("ImportReportWindow");
  InstallHelpKey(this);
  setWindowTitle(QStringLiteral("MIDIファイルの読み込み結果"));
  resize(900, 560);
  summary_ = new QLabel(this);
  summary_->setObjectName("importSummary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setWordWrap(true);

  changes_ = new ImportChangesModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(changes_);
  sorted_->setSortRole(Qt::UserRole);
  list_ = MakeReportTableView(QStringLiteral("importChanges"), this);
  list_->setModel(sorted_);
  auto *copy = new QAction(QStringLiteral("コピー(&C)"), list_);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  list_->addAction(copy);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(copy, &QAction::triggered, this, &ImportReportWindow::copySelection);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &ImportReportWindow::followSelection);

  connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this,
          &ImportReportWindow::followScroll);

  strips_ = new PianoRollStrips(this);
  stripArea_ = new QScrollArea(this);
  stripArea_->setWidget(strips_);
  stripArea_->setWidgetResizable(false);
  // The part names stay at the left edge: the strips draw them where the view starts.
  connect(stripArea_->horizontalScrollBar(), &QScrollBar::valueChanged, strips_,
          qOverload<>(&QWidget::update));
  auto *legend = new QLabel(
      QStringLiteral("<span style='color:%1'>■</span> MIDIファイルの音符　"
                     "<span style='color:%3'>■</span> 別のパートへ移した音符　"
                     "<span style='color:%2'>□</span> SMDの音符 (読み込んで合わせたあと)")
          .arg(kOriginalColour.name(), kFittedColour.name(), kMovedColour.name()),
      this);
  legend->setObjectName("pianoRollLegend");
  auto *roll = new QWidget(this);
  auto *rollLayout = new QVBoxLayout(roll);
  rollLayout->setContentsMargins(0, 0, 0, 0);
  rollLayout->addWidget(legend);
  rollLayout->addWidget(stripArea_, 1);

  auto *split = new QSplitter(Qt::Vertical, this);
  split->addWidget(list_);
  split->addWidget(roll);
  split->setSizes({300, 260});
  auto *close = new QPushButton(QStringLiteral("閉じる"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(split, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
}

void ImportReportWindow::setReport(const ImportReport &report, const Song &song) {
  summary_->setText(QString::fromStdString(ImportReportSummary(report)));
  list_->setSortingEnabled(false);
  changes_->setChanges(ListedImportChanges(report), song.ticksPerBeat, song.beatsPerMeasure);
  // By part and position until the user sorts: no column sorts until then (turning sorting
  // on would sort by the header's indicator, the parts backwards).
  list_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  list_->setSortingEnabled(true);
  strips_->setNotes(report, song);
}

QString ImportReportWindow::selectedText() const {
  return RowsAsText(*list_);
}

void ImportReportWindow::copySelection() const {
  QApplication::clipboard()->setText(selectedText());
}

std::int64_t ImportReportWindow::tickOfRow(const QModelIndex &index) const {
  return sorted_->index(index.row(), 2).data(Qt::UserRole).toLongLong();
}

void ImportReportWindow::followSelection() {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  if (!rows.isEmpty())
    showTick(tickOfRow(rows.front()));
}

void ImportReportWindow::followScroll() {
  // A selected row still in view keeps the strips (keys that move the selection scroll too).
  const QRect view = list_->viewport()->rect();
  for (const QModelIndex &row : list_->selectionModel()->selectedRows()) {
    if (list_->visualRect(row).intersects(view)) {
      showTick(tickOfRow(row));
      return;
    }
  }
  if (const QModelIndex top = list_->indexAt(QPoint(0, 0)); top.isValid())
    showTick(tickOfRow(top));
}

void ImportReportWindow::showTick(std::int64_t tick) {
  strips_->setMarker(tick);
  const int x = strips_->xOf(tick);
  stripArea_->horizontalScrollBar()->setValue(std::max(0, x - stripArea_->viewport()->width() / 3));
}

PianoRollStrips::PianoRollStrips(QWidget *parent) : QWidget(parent) {
  setObjectName("pianoRoll");
}

void PianoRollStrips::setNotes(const ImportReport &report, const Song &song) {
  parts_.clear();
  end_ = 0;
  std::array<int, kUserParts + 1> stripOf{};
  stripOf.fill(-1);
  const auto strip = [&](int part) -> Strip & {
    if (stripOf[static_cast<std::size_t>(part)] < 0) {
      stripOf[static_cast<std::size_t>(part)] = static_cast<int>(parts_.size());
      parts_.push_back({});
      parts_.back().part = part;
    }
    return parts_[static_cast<std::size_t>(stripOf[static_cast<std::size_t>(part)])];
  };
  // The voices moved to a free part, by where they went.
  std::vector<std::tuple<int, std::int64_t, int>> moved;
  for (const ImportChange &c : report.changes)
    if (c.kind == ImportChangeKind::MovedToPart)
      moved.emplace_back(static_cast<int>(c.amount), c.tick, c.key);
  std::sort(moved.begin(), moved.end());
  for (const OriginalNote &n : report.original) {
    if (n.part < 1 || n.part > kUserParts)
      continue;
    Strip &s = strip(n.part);
    s.original.push_back({n.on, n.off, n.key,
                          !moved.empty() && std::binary_search(moved.begin(), moved.end(),
                                                               std::tuple(n.part, n.on, n.key))});
    end_ = std::max(end_, n.off);
  }
  for (int p = 1; p <= kUserParts; ++p) {
    const Part &part = song.part(p);
    for (int i = 0; i < part.count; ++i) {
      const NoteEntry &e = part.notes[static_cast<std::size_t>(i)];
      if (e.noteNumber <= 0)
        continue;
      const std::int64_t on = e.start - part.startTick;
      const std::int64_t off = part.notes[static_cast<std::size_t>(i + 1)].start - part.startTick;
      // Tied pieces of one pitch read as one note.
      Strip &s = strip(p);
      if (i > 0 && !s.fitted.empty() && s.fitted.back().key == e.noteNumber &&
          s.fitted.back().off == on && IsTied(part.notes[static_cast<std::size_t>(i - 1)].length))
        s.fitted.back().off = off;
      else
        s.fitted.push_back({on, off, e.noteNumber});
      end_ = std::max(end_, off);
    }
  }
  std::sort(parts_.begin(), parts_.end(),
            [](const Strip &a, const Strip &b) { return a.part < b.part; });
  const auto byStart = [](const Bar &a, const Bar &b) { return a.on < b.on; };
  for (Strip &s : parts_) {
    // Mostly in order already (a part's notes, one track's file order).
    for (auto *bars : {&s.original, &s.fitted})
      if (!std::is_sorted(bars->begin(), bars->end(), byStart))
        std::stable_sort(bars->begin(), bars->end(), byStart);
    for (const auto *bars : {&s.original, &s.fitted})
      for (const Bar &b : *bars) {
        s.low = std::min(s.low, b.key);
        s.high = std::max(s.high, b.key);
        s.longest = std::max(s.longest, b.off - b.on);
      }
    if (s.low > s.high)
      s.low = s.high = 60;
  }
  resize(kLabelWidth + xOf(end_) + 20, std::max<int>(1, partCount()) * kStripHeight);
  update();
}

void PianoRollStrips::setMarker(std::int64_t tick) {
  marker_ = tick;
  update();
}

int PianoRollStrips::xOf(std::int64_t tick) const {
  return kLabelWidth + static_cast<int>(static_cast<double>(tick) * kPixelsPerTick);
}

std::int64_t PianoRollStrips::tickAt(int x) const {
  return static_cast<std::int64_t>(static_cast<double>(x - kLabelWidth) / kPixelsPerTick);
}

template <typename DrawBar>
void PianoRollStrips::drawVisible(const std::vector<Bar> &bars, std::int64_t longest,
                                  std::int64_t from, std::int64_t to, DrawBar draw) const {
  // Bars are by start: the first that may reach into the view starts a longest bar before it.
  auto it = std::lower_bound(bars.begin(), bars.end(), from - longest,
                             [](const Bar &b, std::int64_t tick) { return b.on < tick; });
  for (; it != bars.end() && it->on <= to; ++it)
    if (it->off >= from)
      draw(*it);
}

void PianoRollStrips::paintEvent(QPaintEvent *event) {
  // Only what the scroll area shows is drawn: a long song is a very wide widget.
  const QRect area = event->rect();
  QPainter p(this);
  p.fillRect(area, Qt::white);
  const std::int64_t from = std::max<std::int64_t>(0, tickAt(area.left()) - 1);
  const std::int64_t to = tickAt(area.right()) + 1;
  const int firstStrip = std::max(0, area.top() / kStripHeight);
  const int lastStrip = std::min(partCount() - 1, area.bottom() / kStripHeight);
  for (int k = firstStrip; k <= lastStrip; ++k) {
    const Strip &s = parts_[static_cast<std::size_t>(k)];
    const int top = k * kStripHeight;
    p.setPen(QColor(200, 200, 200));
    p.drawLine(area.left(), top + kStripHeight - 1, area.right(), top + kStripHeight - 1);
    for (std::int64_t m = from / kTicksPerWhole; m * kTicksPerWhole <= to; ++m)
      p.drawLine(xOf(m * kTicksPerWhole), top, xOf(m * kTicksPerWhole), top + kStripHeight - 2);
    const int span = std::max(s.high - s.low, 12);
    const double keyHeight = (kStripHeight - 8.0) / (span + 1);
    const auto y = [&](int key) { return top + 4 + static_cast<int>((s.high - key) * keyHeight); };
    const int h = std::max(2, static_cast<int>(keyHeight));
    drawVisible(s.original, s.longest, from, to, [&](const Bar &b) {
      p.fillRect(QRect(xOf(b.on), y(b.key), std::max(1, xOf(b.off) - xOf(b.on)), h),
                 b.moved ? kMovedColour : kOriginalColour);
    });
    // A one-pixel outline: wider or fractional pens take Qt's slow stroking path.
    p.setPen(kFittedColour);
    p.setBrush(Qt::NoBrush);
    drawVisible(s.fitted, s.longest, from, to, [&](const Bar &b) {
      p.drawRect(QRect(xOf(b.on), y(b.key), std::max(1, xOf(b.off) - xOf(b.on) - 1), h));
    });
  }
  if (marker_ >= 0) {
    p.setPen(QPen(QColor(200, 30, 30), 1));
    p.drawLine(xOf(marker_), area.top(), xOf(marker_), area.bottom());
  }
  // Part names over the left edge of what the scroll area shows.
  const int left = visibleRegion().boundingRect().left();
  for (int k = firstStrip; k <= lastStrip; ++k) {
    const QRect label(left, k * kStripHeight, kLabelWidth, kStripHeight - 1);
    p.fillRect(label, QColor(245, 245, 245));
    p.setPen(Qt::black);
    p.drawText(label.adjusted(3, 0, 0, 0), Qt::AlignVCenter,
               QStringLiteral("CH%1").arg(parts_[static_cast<std::size_t>(k)].part));
  }
}

} // namespace pipora
