#pragma once
// TdlgAbout: the About page, with the version, what the program is for and who made it.

#include <QWidget>

namespace morlith {

// The title with the version.
inline constexpr const char *kAboutTitle = "Morlith V260713.1";
// The maker's line.
inline constexpr const char *kAboutMaker = "Morlith team, 2026";

class TdlgAbout : public QWidget {
public:
    // Creates the page inside `owner`.
    explicit TdlgAbout(QWidget *owner);
};

} // namespace morlith
