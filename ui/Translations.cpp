// SPDX-License-Identifier: MIT
#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace morlith {
namespace {

// Where the build compiles the translations in (ui/translations/morlith_<language>.qm).
const char *const kTranslationsFolder = ":/i18n";

// Installed translators, kept alive while installed.
std::unique_ptr<QTranslator> OwnTranslator;
std::unique_ptr<QTranslator> QtTranslator;

// A translator loaded from `prefix` + the locale's language in `folder`, or null.
std::unique_ptr<QTranslator> Load(const QLocale &locale, const QString &prefix,
                                  const QString &folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, prefix, QStringLiteral("_"), folder))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

} // namespace

bool InstallTranslations(const QLocale &locale)
{
    RemoveTranslations();
    // English is the source language: nothing to load, whatever Qt's files say.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return false;
    OwnTranslator =
        Load(locale, QStringLiteral("morlith"), QString::fromLatin1(kTranslationsFolder));
    if (!OwnTranslator)
        return false;
    QtTranslator = Load(locale, QStringLiteral("qtbase"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return true;
}

void RemoveTranslations()
{
    for (auto *translator : {&OwnTranslator, &QtTranslator}) {
        if (*translator)
            QCoreApplication::removeTranslator(translator->get());
        translator->reset();
    }
}

} // namespace morlith
