#pragma once
// The program speaks Japanese, whatever LANG says: Qt's own texts (file dialogs, the question
// before replacing a file, the edit boxes' context menu) come from Qt's Japanese translations,
// and dates and numbers follow the Japanese locale.
class QCoreApplication;

namespace moriva {

// Installs Qt's Japanese translations into `app`, with the few texts they lack, and makes
// Japanese the default locale.
// Returns false when the translations are not installed; Qt's texts then stay English and
// nothing else changes.
bool UseJapanese(QCoreApplication& app);

}  // namespace moriva
