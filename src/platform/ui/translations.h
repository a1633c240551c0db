#pragma once
// The program speaks Japanese; Qt's own dialogs (file dialogs, buttons) should too.

class QCoreApplication;

namespace pipora {

// Loads Qt's Japanese translations when they are installed; the program runs without them.
void InstallJapaneseTranslations(QCoreApplication &app);

} // namespace pipora
