#pragma once
// piporapad-score.so for the score command, loaded on first use from the installation the
// program runs from (plugin_file.h).
#include "model/result.h"
#include "score_drawing/score_page_library.h"

namespace pipora::cli {

// The library's table; fails with a message naming the file when it cannot be loaded.
// Loaded once and kept for the life of the process.
Result<const ScorePageLibrary *> LoadScorePageLibrary();

} // namespace pipora::cli
