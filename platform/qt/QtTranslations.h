// Qt's own Chinese texts (standard buttons, file dialogs, dates) for the
// programs of the suite, so that Qt's parts read as the programs' own.
#pragma once

namespace platform {

// Installs Qt's Chinese translation on the running application and makes
// Chinese the default locale; false when Qt's translation files are not
// installed (Qt's texts then stay English).
bool InstallQtTranslations();

} // namespace platform
