#include "app/cli/batch_outputs.h"

#include "app/cli/byte_files.h"

#include <sys/stat.h>

#include <map>
#include <optional>
#include <utility>

namespace pipora::cli {
namespace {

using FileIdentity = std::pair<dev_t, ino_t>;

// The file a name leads to, links followed: what a write through the name would change.
std::optional<FileIdentity> IdentityOf(const QByteArray &name) {
  struct stat info {};
  if (IsStandardStream(name) || ::stat(name.constData(), &info) != 0)
    return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino};
}

} // namespace

std::vector<std::string> OutputsReplacingInputs(const std::vector<QByteArray> &inputs,
                                                const std::vector<QByteArray> &outputs) {
  std::map<FileIdentity, const QByteArray *> inputFiles;
  for (const QByteArray &input : inputs)
    if (const auto identity = IdentityOf(input))
      inputFiles.emplace(*identity, &input);
  std::vector<std::string> clashes;
  for (std::size_t i = 0; i < outputs.size() && i < inputs.size(); ++i) {
    const auto identity = IdentityOf(outputs[i]);
    if (!identity)
      continue;
    if (const auto input = inputFiles.find(*identity); input != inputFiles.end())
      clashes.push_back(inputs[i].toStdString() + ": " + outputs[i].toStdString() +
                        " would replace the input " + input->second->toStdString());
  }
  return clashes;
}

} // namespace pipora::cli
