// SPDX-License-Identifier: MIT
#pragma once
// TdlgAbout: the About page, with the version, what the program is for, who made it and a link
// to the licences.

#include <QWidget>

namespace morlith {

// The title with the project's version ("Morlith V" and the version).
QString AboutTitle();
// The maker's line (translated when shown).
inline constexpr const char *kAboutMaker = QT_TRANSLATE_NOOP("morlith::TdlgAbout",
                                                             "Morlith team, 2026");

// The file that opens the licences of the program in `programFolder`: the licence folder's
// README.txt beside the program on Windows, the package's copyright file below the prefix on
// Linux (share/doc/morlith/copyright); empty when neither is there (a program in its build
// folder).
QString LicencesFile(const QString &programFolder);
// The link's text (translated when shown).
inline constexpr const char *kAboutLicences = QT_TRANSLATE_NOOP("morlith::TdlgAbout",
                                                                "MIT licence; the licences of all parts");

class TdlgAbout : public QWidget {
    Q_OBJECT

public:
    // Creates the page inside `owner`.
    explicit TdlgAbout(QWidget *owner);
};

} // namespace morlith
