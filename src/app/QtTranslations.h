#pragma once
// Qt's own texts (file, colour and font dialogs, edit-box menus, standard buttons) in the
// tool's language, Japanese, whatever the system's locale.

class QCoreApplication;

// Loads Qt's Japanese translations (qtbase_ja from Qt's translations folder) into app.
// Returns false when they are not installed; Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication& app);
