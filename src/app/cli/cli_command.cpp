#include "app/cli/cli_command.h"

#include "formats/smd/smd_writer.h"
#include "model/new_song.h"
#include "session/failure_text.h"
#include "session/smd_files.h"

#include <QFileInfo>
#include <cstdio>

namespace pipora::cli {
namespace {

std::vector<Command> &Table() {
  static std::vector<Command> table;
  return table;
}

struct Format {
  std::string extension;
  SongLoader loader;
  SongSaver saver;
};

std::vector<Format> &Formats() {
  static std::vector<Format> formats;
  return formats;
}

const Format *FormatOf(const QString &path) {
  const std::string ext = QFileInfo(path).suffix().toLower().toStdString();
  for (const Format &f : Formats())
    if (f.extension == ext)
      return &f;
  return nullptr;
}

Status LoadSmd(Song &song, const QString &path) {
  Result<OpenOutcome> opened = OpenSmdFile(song, path);
  if (!opened)
    return Error{FileFailureText(path, opened.failure(), FileAccess::Read), {}};
  return Ok{};
}

Status SaveSmd(Song &song, const QString &path, bool &refused) {
  const SmdEncoding encoding = EncodeSmd(song);
  refused = !encoding.ok();
  if (refused)
    return Error{"part " + std::to_string(encoding.failure->part) + " element " +
                     std::to_string(encoding.failure->element) + ": " + encoding.failure->message,
                 {}};
  if (Status saved = SaveSmdFile(song, path, encoding.text, false); !saved)
    return Error{FileFailureText(path, saved.failure(), FileAccess::Write), {}};
  return Ok{};
}

} // namespace

Registrar::Registrar(const Command &command) {
  Table().push_back(command);
}

const std::vector<Command> &Commands() {
  return Table();
}

const Command *FindCommand(std::string_view name) {
  for (const Command &c : Table())
    if (c.name == name)
      return &c;
  return nullptr;
}

FormatRegistrar::FormatRegistrar(std::string_view extension, SongLoader loader, SongSaver saver) {
  Formats().push_back({std::string(extension), loader, saver});
}

Status LoadSong(Song &song, const QString &path) {
  NewSong(song);
  const Format *f = FormatOf(path);
  return f && f->loader ? f->loader(song, path) : LoadSmd(song, path);
}

Status SaveSong(Song &song, const QString &path, bool &refused) {
  refused = false;
  const Format *f = FormatOf(path);
  return f && f->saver ? f->saver(song, path, refused) : SaveSmd(song, path, refused);
}

void PrintOut(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void PrintErr(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace pipora::cli
