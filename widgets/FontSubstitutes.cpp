// SPDX-License-Identifier: MIT
#include "FontSubstitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace morlith {

void InstallFontSubstitutes()
{
    const QStringList installed = QFontDatabase::families();
    const auto substitute = [&](const QString &family, const QStringList &standIns) {
        if (!installed.contains(family, Qt::CaseInsensitive))
            QFont::insertSubstitutions(family, standIns);
    };
    substitute(QStringLiteral("Consolas"),
               {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")});
    substitute(QStringLiteral("Tahoma"),
               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}

} // namespace morlith
