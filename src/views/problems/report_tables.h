#pragma once
// The two report lists as Qt table models: the changes an import made and the problems an
// SMD save would refuse. Cells are made when a view asks for them, so that a list of a
// hundred thousand rows costs its records and nothing more. Qt::UserRole gives what a column
// sorts by (numbers as numbers).
#include "formats/midi/import_report.h"
#include "model/save_checks.h"
#include "model/song.h"

#include <QAbstractTableModel>

#include <vector>

namespace pipora {

// "パート", "要素", "位置", "キー", "内容".
class ImportChangesModel : public QAbstractTableModel {
  Q_OBJECT
public:
  using QAbstractTableModel::QAbstractTableModel;
  void setChanges(std::vector<ImportChange> changes, int ticksPerBeat, int beatsPerMeasure);
  const ImportChange &change(int row) const { return changes_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

private:
  std::vector<ImportChange> changes_;
  int ticksPerBeat_ = kTicksPerQuarter;
  int beatsPerMeasure_ = 4;
};

// "パート", "位置", "音符", "内容", of the song as it is: a row whose notes have gone since
// the last look shows them empty until the list looks again.
class SaveProblemsModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit SaveProblemsModel(const Song &song, QObject *parent = nullptr)
      : QAbstractTableModel(parent), song_(song) {}
  void setProblems(std::vector<SaveProblem> problems);
  const SaveProblem &problem(int row) const { return problems_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

private:
  const Song &song_;
  std::vector<SaveProblem> problems_;
};

} // namespace pipora
