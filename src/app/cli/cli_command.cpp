#include "app/cli/cli_command.h"

#include <algorithm>
#include <deque>

namespace pipora::cli {
namespace {

// A deque keeps the addresses of registered commands stable as more are added.
std::deque<Command> &Table() {
  static std::deque<Command> table;
  return table;
}

} // namespace

std::optional<std::string> Invocation::value(std::string_view option) const {
  const auto found = values.find(option);
  if (found == values.end())
    return std::nullopt;
  return found->second;
}

Registrar::Registrar(const Command &command) {
  Table().push_back(command);
}

std::vector<const Command *> Commands() {
  std::vector<const Command *> list;
  for (const Command &c : Table())
    list.push_back(&c);
  // Static registrars run in link order; the help lists the commands alphabetically.
  std::sort(list.begin(), list.end(),
            [](const Command *a, const Command *b) { return a->name < b->name; });
  return list;
}

const Command *FindCommand(std::string_view name) {
  for (const Command &c : Table())
    if (c.name == name)
      return &c;
  return nullptr;
}

std::string UsageLine(const Command &command) {
  std::string line = "piporapad-cli " + std::string(command.name);
  if (!command.options.empty())
    line += " [OPTION]...";
  if (!command.operands.empty())
    line += " " + std::string(command.operands);
  return line;
}

} // namespace pipora::cli
