// SPDX-License-Identifier: MIT
// The forms' languages: Russian where the locale asks for it, English otherwise, the presenters'
// messages and the file dialogs' filters included.

#include "UiWorld.h"

#include "FailureHints.h"
#include "Loader.h"
#include "Loading.h"
#include "ModelU.h"
#include "OptionsUPresenter.h"
#include "PortMap.h"
#include "QtDialogs.h"
#include "RecentFolders.h"
#include "Translations.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <cerrno>

using namespace morlith;

namespace {

// The translations of `locale` installed for the life of the scope.
class TranslationScope {
public:
    explicit TranslationScope(const QLocale &locale) : Found(InstallTranslations(locale)) {}
    ~TranslationScope() { RemoveTranslations(); }
    const bool Found;
};

class TranslationsTest : public UiWorld {};

// A failure as the engine records it.
TFailure Record(TFailureKind kind, const char *step, const char *device, const char *path = "")
{
    TFailure failure = MakeFailure(kind, "an English detail the box must not show");
    failure.Step = step;
    failure.Device = device;
    failure.Path = path;
    return failure;
}

TFailure Exchange(TFailureKind kind, const char *step, char command, uint32_t received, uint32_t expected)
{
    TFailure failure = Record(kind, step, "/dev/pts/7");
    failure.Command = command;
    failure.BytesReceived = received;
    failure.BytesExpected = expected;
    return failure;
}

TFailure WithOsError(TFailure failure, int number)
{
    failure.OsError = number;
    failure.OsText = "English system text";
    return failure;
}

// What a box shows in Latin letters once the names it must show as they are (devices, files,
// folders, program names, the protocol's command letters) are taken out.
QString LatinLeftIn(QString shown, const TFailure &failure)
{
    shown.remove(QChar(0x2060));
    for (const std::string &name : {failure.Device, failure.Path, PortMapDirectory()})
        if (!name.empty())
            shown.remove(QString::fromStdString(name));
    for (const char *name : {"Morlith", "ModemManager", "udev", "Linux", "COM"})
        shown.remove(QString::fromLatin1(name));
    shown.remove(QRegularExpression(QStringLiteral("«[A-Z]»")));
    QString latin;
    for (QChar c : shown)
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            latin += c;
    return latin;
}

TEST_F(TranslationsTest, RussianLocaleShowsTheFormsInRussian)
{
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    ASSERT_TRUE(russian.Found);
    MainWindow();
    EXPECT_EQ(Find<QPushButton>("btnConnect")->text(), "Подключить");
    EXPECT_EQ(Find<QLabel>("lbFormCaption")->text(), "Загрузка");
    EXPECT_EQ(Find<QWidget>("dlgOptions")->windowTitle(), "Параметры");
    EXPECT_EQ(Find<QComboBox>("cbMCU")->itemText(0), "Main") << "controller names stay as they are";
}

TEST_F(TranslationsTest, OtherLocalesKeepEnglish)
{
    for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany), QLocale::c()}) {
        TranslationScope scope(locale);
        EXPECT_FALSE(scope.Found) << locale.name().toStdString();
        TdlgLoading page(nullptr);
        EXPECT_EQ(page.findChild<QPushButton *>("btnConnect")->text(), "Connect");
    }
}

TEST_F(TranslationsTest, PresenterMessagesAreTranslated)
{
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    ports.Serve(1);
    Model();
    Click("btnConnect");
    ASSERT_TRUE(Model().Loader->GetConnected());
    const std::string missing = ports.File("missing.xml");
    dialogs.files.push_back(missing);
    Click("btnOpenAppFile");
    Click("btnWriteApp");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0].text, "Ошибка записи");

    std::filesystem::create_directory(ports.File("Config.mlhxml"));
    Click("btnSave");
    ASSERT_EQ(dialogs.errors.size(), 2u);
    EXPECT_EQ(dialogs.errors[1].text, "Ошибка сохранения");
}

TEST_F(TranslationsTest, AFailureBoxIsWhollyRussian)
{
    const std::vector<std::pair<const char *, TFailure>> boxes = {
        {"Ошибка подключения", Record(TFailureKind::fkNotFound, "connecting", "/dev/ttyUSB0")},
        {"Ошибка подключения", Record(TFailureKind::fkNotFound, "connecting", "")},
        {"Ошибка подключения", WithOsError(Record(TFailureKind::fkPermission, "connecting", "/dev/ttyS2"), EACCES)},
        {"Ошибка подключения", WithOsError(Record(TFailureKind::fkBusy, "connecting", "/dev/ttyS2"), EBUSY)},
        {"Ошибка подключения", Exchange(TFailureKind::fkNoReply, "connecting", 'C', 0, 8)},
        {"Ошибка подключения", Exchange(TFailureKind::fkBadReply, "selecting controller 3 (its handshake)", 'C', 8, 8)},
        {"Ошибка записи", WithOsError(Record(TFailureKind::fkHangUp, "application chunk 27 of 400", "/dev/pts/7"), EIO)},
        {"Ошибка записи", Exchange(TFailureKind::fkNoReply, "writing the parameter block", 'W', 3, 8)},
        {"Ошибка записи", Record(TFailureKind::fkRefusedInput, "checking the package", "", "/home/op/app.xml")},
        {"Ошибка записи", Exchange(TFailureKind::fkBadReply, "data-segment chunk 2 of 3", 'W', 1, 4)},
        {"Ошибка чтения", Exchange(TFailureKind::fkNoReply, "reading the data segment (60 bytes)", 'D', 0, 64)},
        {"Ошибка чтения", WithOsError(Record(TFailureKind::fkFile, "saving the data segment", "", "/home/op/d.bin"), ENOSPC)},
        {"Ошибка чтения", Record(TFailureKind::fkStopped, "reading the parameter block", "/dev/pts/7")},
        {"Ошибка журнала", WithOsError(Record(TFailureKind::fkOs, "writing the production log", "", "/var/log/m.jsonl"), EMLINK)},
        {"Ошибка журнала", WithOsError(Record(TFailureKind::fkPermission, "opening the production log", "", "/var/log/m.jsonl"), EACCES)},
        {"Ошибка сохранения", Record(TFailureKind::fkFile, kSaveConfigurationStep, "", "/home/op/Config.mlhxml")},
    };
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    for (const auto &[title, failure] : boxes) {
        SCOPED_TRACE(testing::Message() << failure);
        auto box = MakeFailureBox(QString::fromUtf8(title), failure, nullptr);
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8(title));
        const QString shown = box->text() + QLatin1Char('\n') + box->informativeText();
        EXPECT_EQ(LatinLeftIn(shown, failure), "") << shown.toStdString();
        EXPECT_FALSE(shown.contains("English")) << "worded from the record, not its sentence";
        // The standard button as Qt's own Russian names it ("OK" stays "OK" there).
        EXPECT_EQ(box->button(QMessageBox::Ok)->text(),
                  QCoreApplication::translate("QPlatformTheme", "OK"));
        // Wide enough for a window manager's caption to show the whole title.
        QFont bold = box->font();
        bold.setBold(true);
        box->adjustSize();
        EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 100);
    }
}

TEST_F(TranslationsTest, StandardButtonsSpeakRussian)
{
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    auto box = MakeQuestionBox(QString::fromUtf8("Файл существует.  Перезаписать?"), nullptr);
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "&Да") << "Qt's own translations are installed";
    EXPECT_EQ(box->button(QMessageBox::No)->text(), "&Нет");
}

TEST_F(TranslationsTest, FailureHintsAreTranslated)
{
    const TFailure hangUp = MakeFailure(TFailureKind::fkHangUp, "gone");
    const std::string english = FailureHint(hangUp);
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(FailureHint(hangUp), "Подключите адаптер снова, затем подключитесь заново.");
    EXPECT_NE(FailureHint(hangUp), english);
}

TEST_F(TranslationsTest, FileDialogFilterIsTranslated)
{
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    QFileDialog dialog;
    const TRecentFolders folders(QString::fromStdString(ports.File("none.conf")));
    SetUpOpenFileDialog(dialog, kDataFileFilter, folders);
    EXPECT_EQ(dialog.nameFilters(), QStringList{"Двоичные файлы (*.bin)"});
}

} // namespace
