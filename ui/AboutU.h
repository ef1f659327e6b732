// SPDX-License-Identifier: MIT
#pragma once
// TdlgAbout: the About page, with the version, what the program is for and who made it.

#include <QWidget>

namespace morlith {

// The title with the project's version ("Morlith V" and the version).
QString AboutTitle();
// The maker's line (translated when shown).
inline constexpr const char *kAboutMaker = QT_TRANSLATE_NOOP("morlith::TdlgAbout",
                                                             "Morlith team, 2026");

class TdlgAbout : public QWidget {
    Q_OBJECT

public:
    // Creates the page inside `owner`.
    explicit TdlgAbout(QWidget *owner);
};

} // namespace morlith
