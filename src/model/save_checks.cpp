#include "model/save_checks.h"

#include "model/vocabulary.h"

#include <algorithm>

namespace pipora {
namespace {

// Half, quarter, eighth or sixteenth base with an optional "3" and "_", and nothing else:
// a typed text, read without a table search.
bool KnownShape(std::string_view code) {
  std::size_t i = 0;
  if (code.size() >= 2 && code[0] == '1' && code[1] == '6')
    i = 2;
  else if (!code.empty() && (code[0] == '2' || code[0] == '4' || code[0] == '8'))
    i = 1;
  else
    return false;
  if (i < code.size() && code[i] == '3')
    ++i;
  if (i < code.size() && code[i] == '_')
    ++i;
  return i == code.size();
}

NoteLength WithoutTie(NoteLength length) {
  length.setTied(false);
  return length;
}

class PartChecker {
public:
  PartChecker(const Part &part, int number, std::vector<SaveProblem> &out, std::size_t limit)
      : part_(part), number_(number), out_(out), limit_(limit) {}

  void run() {
    const int count = std::min<int>(part_.count, static_cast<int>(part_.notes.size()) - 1);
    for (int i = 0; i <= count && out_.size() < limit_;) {
      if (i >= kMaxSmdPartNotes && i < count) {
        add(kMaxSmdPartNotes, -1, SaveProblemKind::PartTooLong);
        return;
      }
      const NoteEntry &e = at(i);
      if (IsTriplet(e.length)) {
        group(i, count);
        i += 3;
      } else {
        if (!e.isEndMarker() && !SingleNoteSavable(e.noteNumber, e.length))
          add(i, -1, SaveProblemKind::NoteNotSavable);
        ++i;
      }
    }
  }

private:
  const NoteEntry &at(int i) const { return part_.notes[static_cast<std::size_t>(i)]; }

  void add(int element, int groupStart, SaveProblemKind kind) {
    const NoteEntry &e = at(element);
    out_.push_back({number_, element, groupStart, e.start, e.noteNumber, kind});
  }

  // The writer drops a tie on the group's first note, then wants the second and third
  // lengths equal to the first; a tied second note therefore fails.
  void group(int p, int count) {
    const NoteLength first = WithoutTie(at(p).length);
    for (int k = 1; k <= 2; ++k) {
      if (p + k > count || at(p + k).length != first) {
        add(std::min(p + k, count), p, SaveProblemKind::TripletNotComplete);
        return;
      }
    }
    const TripletSpan span =
        SpanOfTriplet(at(p).noteNumber, at(p + 1).noteNumber, at(p + 2).noteNumber);
    if (span.fits()) {
      for (int k = 0; k < 3; ++k) {
        const int n = at(p + k).noteNumber;
        if (n < 0 || !IsKnownLength(first)) {
          add(p + k, p, SaveProblemKind::NoteNotSavable);
          return;
        }
      }
      return;
    }
    for (int k = 0; k < 3; ++k) {
      if (!NoteEncodable(at(p + k).noteNumber, k == 0 ? first : at(p + k).length)) {
        add(p + k, p, SaveProblemKind::NoteNotSavable);
        return;
      }
    }
    add(p, p, SaveProblemKind::TripletTooWide);
  }

  const Part &part_;
  int number_;
  std::vector<SaveProblem> &out_;
  std::size_t limit_;
};

// The tie of a triplet group's first note and, once the second note has passed the length
// check, the second's, up to the element `stop` (a refused save keeps the ties up to the note
// it stopped at).
void DropTripletTiesBefore(Part &part, const SaveProblem &stop) {
  const auto untie = [&](int i) { part.notes[static_cast<std::size_t>(i)].length.setTied(false); };
  for (int i = 0; i <= stop.element;) {
    if (!IsTriplet(part.notes[static_cast<std::size_t>(i)].length)) {
      ++i;
      continue;
    }
    untie(i);
    if (i == stop.groupStart) {
      if (!(stop.kind == SaveProblemKind::TripletNotComplete && stop.element == i + 1))
        untie(i + 1);
      return;
    }
    untie(i + 1);
    i += 3;
  }
}

} // namespace

std::string_view SaveProblem::message() const {
  switch (kind) {
  case SaveProblemKind::NoteNotSavable:
    return kCannotHandleNote;
  case SaveProblemKind::TripletNotComplete:
    return kTripletNotComplete;
  case SaveProblemKind::TripletTooWide:
    return kTripletTooWide;
  case SaveProblemKind::PartTooLong:
    return kPartTooLong;
  }
  return kCannotHandleNote;
}

std::string_view SaveProblem::listMessage() const {
  constexpr std::string_view kSaveFailed = "保存に失敗しました。";
  std::string_view text = message();
  if (text.ends_with(kSaveFailed))
    text.remove_suffix(kSaveFailed.size());
  return text;
}

std::vector<int> ProblemElements(const Part &part, const SaveProblem &problem) {
  const bool wholeGroup =
      problem.groupStart >= 0 && problem.kind != SaveProblemKind::NoteNotSavable;
  const int first = wholeGroup ? problem.groupStart : problem.element;
  const int last = problem.kind == SaveProblemKind::TripletTooWide ? first + 2 : problem.element;
  std::vector<int> elements;
  for (int i = first; i <= last && i <= part.count && i < static_cast<int>(part.notes.size()); ++i)
    if (!part.notes[static_cast<std::size_t>(i)].isEndMarker())
      elements.push_back(i);
  return elements;
}

bool IsSmdLength(std::string_view code) {
  return KnownShape(code);
}

void FindPartSaveProblems(const Part &part, int partNumber, std::vector<SaveProblem> &out,
                          std::size_t limit) {
  if (part.count <= 0 || part.notes.empty())
    return;
  PartChecker(part, partNumber, out, limit).run();
}

std::vector<SaveProblem> FindSaveProblems(const Song &song, std::size_t limit) {
  std::vector<SaveProblem> problems;
  for (int n = 1; n <= kUserParts && problems.size() < limit; ++n)
    FindPartSaveProblems(song.part(n), n, problems, limit);
  return problems;
}

void DropTripletTies(Song &song) {
  for (int n = 1; n <= kUserParts; ++n) {
    Part &part = song.part(n);
    if (part.count <= 0)
      continue;
    std::vector<SaveProblem> problems;
    FindPartSaveProblems(part, n, problems, 1);
    if (!problems.empty()) {
      DropTripletTiesBefore(part, problems.front());
      return;
    }
    SaveProblem end;
    end.element = part.count;
    DropTripletTiesBefore(part, end);
  }
}

} // namespace pipora
