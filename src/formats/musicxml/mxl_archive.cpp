#include "formats/musicxml/mxl_archive.h"

#include "model/file_messages.h"

#include <QXmlStreamReader>
#include <memory>
#include <zip.h>

namespace pipora {
namespace {

struct ArchiveCloser {
  void operator()(zip_t *archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

// An entry's whole text; a damaged entry, or one that unpacks past what a song file may
// hold, is refused.
Result<QByteArray> ReadEntry(zip_t *archive, zip_int64_t index) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
      (stat.valid & ZIP_STAT_SIZE) == 0)
    return Error{"MXL ファイルの中身を読めません"};
  if (stat.size > static_cast<zip_uint64_t>(kMaxSongFileBytes))
    return Error{"MXL ファイルの楽譜が大きすぎます"};
  QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
  zip_file_t *file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr)
    return Error{"MXL ファイルの中身を読めません"};
  const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
  zip_fclose(file);
  if (read != static_cast<zip_int64_t>(stat.size))
    return Error{"MXL ファイルの中身を読めません"};
  return bytes;
}

// The first rootfile's full-path in META-INF/container.xml.
QString RootfilePath(const QByteArray &container) {
  QXmlStreamReader xml(container);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"rootfile")
      return xml.attributes().value(QStringLiteral("full-path")).toString();
  return {};
}

} // namespace

bool LooksLikeZip(const QByteArray &bytes) {
  return bytes.startsWith("PK\x03\x04");
}

Result<QByteArray> ReadMxlScore(const QByteArray &bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t *source = zip_source_buffer_create(
      bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
  if (source == nullptr)
    return Error{"MXL ファイルを開けません"};
  Archive archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
  zip_error_fini(&error);
  if (!archive) {
    zip_source_free(source);
    return Error{"zip 書庫として読めません"};
  }
  QString path;
  if (const zip_int64_t at = zip_name_locate(archive.get(), "META-INF/container.xml", 0); at >= 0) {
    Result<QByteArray> container = ReadEntry(archive.get(), at);
    if (!container)
      return container.failure();
    path = RootfilePath(*container);
  }
  if (path.isEmpty()) {
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < entries && path.isEmpty(); ++i) {
      const QString name =
          QString::fromUtf8(zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0));
      if (!name.contains(u'/') && (name.endsWith(u".musicxml") || name.endsWith(u".xml")))
        path = name;
    }
  }
  if (path.isEmpty())
    return Error{"MXL ファイルに楽譜がありません"};
  const zip_int64_t at = zip_name_locate(archive.get(), path.toUtf8().constData(), 0);
  if (at < 0)
    return Error{"MXL ファイルに " + path.toStdString() + " がありません"};
  return ReadEntry(archive.get(), at);
}

Result<QByteArray> WriteMxl(const QByteArray &score) {
  static const QByteArray kMimetype = "application/vnd.recordare.musicxml";
  static const QByteArray kContainer = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<container>\n"
                                       "  <rootfiles>\n"
                                       "    <rootfile full-path=\"score.musicxml\" "
                                       "media-type=\"application/vnd.recordare.musicxml+xml\"/>\n"
                                       "  </rootfiles>\n"
                                       "</container>\n";
  const Error failed{"MXL ファイルを作れません"};
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (buffer == nullptr)
    return failed;
  zip_source_keep(buffer); // read back after the archive is closed
  zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  zip_error_fini(&error);
  if (archive == nullptr) {
    zip_source_free(buffer);
    return failed;
  }
  const auto add = [&](const char *name, const QByteArray &bytes, bool store) {
    zip_source_t *entry =
        zip_source_buffer(archive, bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0);
    if (entry == nullptr)
      return false;
    const zip_int64_t at = zip_file_add(archive, name, entry, ZIP_FL_ENC_UTF_8);
    if (at < 0) {
      zip_source_free(entry);
      return false;
    }
    return !store ||
           zip_set_file_compression(archive, static_cast<zip_uint64_t>(at), ZIP_CM_STORE, 0) == 0;
  };
  if (!add("mimetype", kMimetype, true) || !add("META-INF/container.xml", kContainer, false) ||
      !add("score.musicxml", score, false) || zip_close(archive) != 0) {
    zip_discard(archive);
    zip_source_free(buffer);
    return failed;
  }
  QByteArray out;
  if (zip_source_open(buffer) == 0) {
    zip_source_seek(buffer, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(buffer);
    zip_source_seek(buffer, 0, SEEK_SET);
    if (size > 0) {
      out.resize(static_cast<qsizetype>(size));
      if (zip_source_read(buffer, out.data(), static_cast<zip_uint64_t>(size)) != size)
        out.clear();
    }
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  if (out.isEmpty())
    return failed;
  return out;
}

} // namespace pipora
