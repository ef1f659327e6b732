// SPDX-License-Identifier: MIT
#pragma once
// The forms' texts in the user's language: the translations compiled into the program
// (ui/translations) and, where installed, Qt's own for its dialogs' buttons.

#include <QLocale>

namespace morlith {

// Installs the translations for `locale` (by default the user's, from LANG and LC_*) into the
// application; an unknown language keeps the English texts. Whether Morlith's own translation
// for that language was found. Needs a QCoreApplication; call before the forms are created.
bool InstallTranslations(const QLocale &locale = QLocale());

// Removes what InstallTranslations installed.
void RemoveTranslations();

} // namespace morlith
