// Qt's own Chinese texts (standard buttons, file dialogs, dates) for the
// programs of the suite, so that Qt's parts read as the programs' own.
#pragma once

namespace platform {

// Called before the application object exists: the file dialogs write
// dates in the system locale's time format, which Qt reads once from the
// environment; this makes that format Chinese whatever the desktop's
// language. InstallQtTranslations puts the environment back.
void PrepareChineseDates();

// Installs Qt's Chinese translation on the running application and makes
// Chinese the default locale; false when Qt's translation files are not
// installed (Qt's texts then stay English).
bool InstallQtTranslations();

} // namespace platform
