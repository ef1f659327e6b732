// SPDX-License-Identifier: MIT
#include "AboutU.h"

#include "FormStyle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>

// The project's version, set by the build.
#ifndef MORLITH_VERSION
#define MORLITH_VERSION "unknown"
#endif

namespace morlith {
namespace {

// What the program is for (in English: the Morlith software is meant for updating the internal
// software of the modules of the KEV-xxx-BUS series). It is shown in Russian in every language
// unless a translation says otherwise.
const char *const kAboutDescription =
    QT_TRANSLATE_NOOP("morlith::TdlgAbout", "Программное обеспечение Morlith предназначено для "
                                            "обновления внутреннего ПО модулей серии KEV-xxx-BUS");

} // namespace

QString LicencesFile(const QString &programFolder)
{
    const QDir folder(programFolder);
    for (const char *candidate : {"licences/README.txt", "../share/doc/morlith/copyright"}) {
        const QFileInfo file(folder.filePath(QString::fromLatin1(candidate)));
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

QString AboutTitle()
{
    return QStringLiteral("Morlith V" MORLITH_VERSION);
}

TdlgAbout::TdlgAbout(QWidget *owner) : QWidget(owner)
{
    setObjectName(QStringLiteral("dlgAbout"));
    setWindowTitle(tr("About"));
    resize(604, 324);
    setFont(ConsolasFont(13));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    QLabel *title = MakeLabel(this, QRect(64, 24, 380, 41), AboutTitle(),
                              ConsolasFont(35), QColor(0, 128, 0));
    title->setObjectName(QStringLiteral("Label1"));
    QLabel *description = MakeLabel(this, QRect(72, 104, 465, 113),
                                    tr(kAboutDescription), ConsolasFont(19),
                                    Qt::black);
    description->setObjectName(QStringLiteral("Label2"));
    description->setWordWrap(true);
    QLabel *maker = MakeLabel(this, QRect(416, 272, 145, 30), tr(kAboutMaker),
                              ConsolasFont(13, true), Qt::black);
    maker->setObjectName(QStringLiteral("Label3"));
    maker->setWordWrap(true);

    // The licences: a link that opens them where the program has them, plain text otherwise.
    const QString licences = LicencesFile(QCoreApplication::applicationDirPath());
    const QString text = tr(kAboutLicences).toHtmlEscaped();
    QLabel *licence = MakeLabel(this, QRect(72, 240, 330, 60),
                                licences.isEmpty() ? text
                                                   : QStringLiteral("<a href=\"%1\">%2</a>")
                                                         .arg(QUrl::fromLocalFile(licences)
                                                                  .toString(QUrl::FullyEncoded),
                                                              text),
                                ConsolasFont(13), Qt::black);
    licence->setObjectName(QStringLiteral("lbLicences"));
    licence->setWordWrap(true);
    licence->setTextFormat(Qt::RichText);
    licence->setOpenExternalLinks(true);
    licence->setAccessibleName(tr(kAboutLicences));
}

} // namespace morlith
