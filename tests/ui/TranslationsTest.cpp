// The forms' languages: Russian where the locale asks for it, English otherwise, the presenters'
// messages and the file dialogs' filters included.

#include "UiWorld.h"

#include "FailureHints.h"
#include "Loader.h"
#include "Loading.h"
#include "ModelU.h"
#include "QtDialogs.h"
#include "RecentFolders.h"
#include "Translations.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

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
}

TEST_F(TranslationsTest, FailureHintsAreTranslated)
{
    const TFailure hangUp = MakeFailure(TFailureKind::fkHangUp, "gone");
    const std::string english = FailureHint(hangUp);
    TranslationScope russian(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(FailureHint(hangUp), "Порт исчез. Подключите адаптер снова, затем подключитесь заново.");
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
