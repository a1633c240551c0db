#include "views/problems/report_tables.h"

#include "model/source_line.h"
#include "model/vocabulary.h"

#include <QStringList>

#include <array>

namespace pipora {
namespace {

QVariant Header(const std::array<const char *, 5> &names, int count, int section,
                Qt::Orientation orientation, int role) {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= count)
    return {};
  return QString::fromUtf8(names[static_cast<std::size_t>(section)]);
}

QString PartName(int part) {
  return QStringLiteral("CH") + QString::number(part);
}

QString NoteText(const NoteEntry &e) {
  const QString pitch = e.noteNumber == 0 ? QStringLiteral("R")
                                          : QString::fromStdString(PitchNameOf(e.noteNumber)) +
                                                QString::number(SourceOctave(e.noteNumber));
  return pitch + " " + QString::fromUtf8(std::string_view(e.length));
}

} // namespace

void ImportChangesModel::setChanges(std::vector<ImportChange> changes, int ticksPerBeat,
                                    int beatsPerMeasure) {
  beginResetModel();
  changes_ = std::move(changes);
  ticksPerBeat_ = ticksPerBeat;
  beatsPerMeasure_ = beatsPerMeasure;
  endResetModel();
}

int ImportChangesModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(changes_.size());
}

int ImportChangesModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : 5;
}

QVariant ImportChangesModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() ||
      (role != Qt::DisplayRole && role != Qt::UserRole))
    return {};
  const ImportChange &c = change(index.row());
  const bool display = role == Qt::DisplayRole;
  switch (index.column()) {
  case 0:
    return display ? QVariant(PartName(c.part)) : QVariant(c.part);
  case 1:
    // A dropped note has no element of its own.
    if (display)
      return c.element < 0 ? QStringLiteral("—") : QString::number(c.element);
    return c.element;
  case 2:
    if (display)
      return QString::fromStdString(
          SourceLocation(static_cast<std::int32_t>(c.tick), ticksPerBeat_, beatsPerMeasure_));
    return static_cast<qlonglong>(c.tick);
  case 3:
    return display ? QVariant(QString::number(c.key)) : QVariant(c.key);
  default:
    return QString::fromStdString(ImportChangeText(c));
  }
}

QVariant ImportChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return Header({"パート", "要素", "位置", "キー", "内容"}, 5, section, orientation, role);
}

void SaveProblemsModel::setProblems(std::vector<SaveProblem> problems) {
  beginResetModel();
  problems_ = std::move(problems);
  endResetModel();
}

int SaveProblemsModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(problems_.size());
}

int SaveProblemsModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : 4;
}

QVariant SaveProblemsModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() ||
      (role != Qt::DisplayRole && role != Qt::UserRole))
    return {};
  const SaveProblem &p = problem(index.row());
  switch (index.column()) {
  case 0:
    return role == Qt::DisplayRole ? QVariant(PartName(p.part)) : QVariant(p.part);
  case 1:
    if (role == Qt::UserRole)
      return p.tick;
    return QString::fromStdString(
        SourceLocation(p.tick, song_.ticksPerBeat, song_.beatsPerMeasure));
  case 2: {
    const Part &part = song_.part(p.part);
    QStringList notes;
    for (int element : ProblemElements(part, p))
      notes << NoteText(part.notes[static_cast<std::size_t>(element)]);
    return notes.join(QStringLiteral("  "));
  }
  default: {
    const std::string_view what = p.listMessage();
    return QString::fromUtf8(what.data(), static_cast<qsizetype>(what.size()));
  }
  }
}

QVariant SaveProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return Header({"パート", "位置", "音符", "内容", ""}, 4, section, orientation, role);
}

} // namespace pipora
