#pragma once
// Where the libraries piporapad-cli loads on demand lie: installed, <prefix>/bin/piporapad-cli
// finds <prefix>/lib/piporapad/plugins; in a build folder the program sits a level or two
// below the folder that holds lib/piporapad/plugins.
#include <QString>

namespace pipora::cli {

// The file at `relativePath` (such as "lib/piporapad/plugins/x.so") above the program's
// folder; empty when there is none. Works before the application object exists.
QString PluginFile(const char *relativePath);

} // namespace pipora::cli
