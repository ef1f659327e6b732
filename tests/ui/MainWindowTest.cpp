// SPDX-License-Identifier: MIT
// The main window: start state, sliding between the pages, and what goes with the window.

#include "UiWorld.h"

#include "AboutU.h"
#include "ConfigurationU.h"
#include "Loader.h"
#include "Main.h"
#include "MainViewPresenter.h"
#include "ModelU.h"
#include "Observer.h"
#include "Operations.h"
#include "Slider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPushButton>

using namespace morlith;

namespace {

// Longest a slide may take on a loaded machine, in milliseconds.
constexpr int kSlideTimeoutMs = 10000;

class MainWindowTest : public UiWorld {
protected:
    QString Caption() { return Find<QLabel>("lbFormCaption")->text(); }
    QWidget *Page(const char *name) { return Find<QWidget>(name); }
    bool Sliding() { return MainWindow().Presenter().Slider().Sliding(); }
    void WaitForSlide() { ASSERT_TRUE(WaitUntil([&] { return !Sliding(); }, kSlideTimeoutMs)); }
};

TEST_F(MainWindowTest, StartsOnTheLoadingPageDisconnected)
{
    TdlgMain &window = MainWindow();
    EXPECT_EQ(window.windowTitle(), "Morlith");
    EXPECT_EQ(window.size(), QSize(600, 364));
    EXPECT_EQ(Caption(), "Loading");
    QWidget *loading = Page("dlgLoading");
    EXPECT_TRUE(loading->isVisible());
    EXPECT_EQ(loading->geometry(), QRect(0, 0, 600, 323));
    EXPECT_FALSE(Page("dlgOptions")->isVisible());
    EXPECT_FALSE(Page("dlgAbout")->isVisible());

    EXPECT_EQ(Find<QComboBox>("cbMCU")->currentText(), "Main");
    EXPECT_TRUE(Find<QComboBox>("cbMCU")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("btnConnect")->isEnabled());
    for (const char *name : {"btnDisconnect", "btnOpenAppFile", "btnWriteApp", "btnOpenDataFile",
                             "btnReadData", "btnWriteData"})
        EXPECT_FALSE(Find<QPushButton>(name)->isEnabled()) << name;
    for (const char *name : {"edtAppFileName", "edtDataFileName"}) {
        EXPECT_TRUE(Find<QLineEdit>(name)->text().isEmpty()) << name;
        EXPECT_FALSE(Find<QLineEdit>(name)->isEnabled()) << name;
    }
}

TEST_F(MainWindowTest, AboutPageTitleNamesTheVersionOfTheVersionFile)
{
    MainWindow();
    QFile versionFile(QStringLiteral(MORLITH_VERSION_FILE));
    ASSERT_TRUE(versionFile.open(QIODevice::ReadOnly));
    const QString version = QString::fromUtf8(versionFile.readLine()).trimmed();
    ASSERT_FALSE(version.isEmpty());
    EXPECT_EQ(Page("dlgAbout")->findChild<QLabel *>("Label1")->text(), "Morlith V" + version);
}

// The About page's licence link: the licence folder beside a Windows program, the package's
// copyright file below a Linux prefix, plain text when the program has neither (as in the build).
TEST_F(MainWindowTest, AboutPageLinksToTheLicencesWhereTheProgramHasThem)
{
    struct Row {
        const char *present; // a file made below the prefix; empty for none
        const char *found;   // what LicencesFile gives for the program folder prefix/bin
    };
    for (const Row &row : {Row{"bin/licences/README.txt", "bin/licences/README.txt"},
                           Row{"share/doc/morlith/copyright", "share/doc/morlith/copyright"},
                           Row{"bin/licences/LGPL-3.0.txt", ""},
                           Row{"share/doc/morlith-cli/copyright", ""}, Row{"", ""}}) {
        QTemporaryDir prefix;
        ASSERT_TRUE(prefix.isValid());
        QDir(prefix.path()).mkpath(QStringLiteral("bin"));
        const QString present = QString::fromLatin1(row.present);
        if (!present.isEmpty()) {
            QDir(prefix.path()).mkpath(QFileInfo(prefix.filePath(present)).path());
            QFile file(prefix.filePath(present));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const QString found = QString::fromLatin1(row.found);
        EXPECT_EQ(LicencesFile(prefix.filePath(QStringLiteral("bin"))),
                  found.isEmpty() ? QString() : QFileInfo(prefix.filePath(found)).absoluteFilePath())
            << row.present;
    }
    // The test program has no licences beside it: the page names the licence without a link.
    MainWindow();
    const QLabel *licences = Page("dlgAbout")->findChild<QLabel *>("lbLicences");
    ASSERT_NE(licences, nullptr);
    EXPECT_EQ(licences->text(), "MIT licence; the licences of all parts");
}

TEST_F(MainWindowTest, SlidesBetweenPagesWithoutWrappingAround)
{
    MainWindow();
    Click("btnMoveToLeft");
    EXPECT_TRUE(Sliding());
    EXPECT_EQ(Caption(), "Loading") << "the caption changes when the page has arrived";
    WaitForSlide();
    EXPECT_EQ(Caption(), "About");
    EXPECT_EQ(Page("dlgAbout")->geometry(), QRect(0, 0, 600, 323));

    Click("btnMoveToLeft"); // the last page: nothing further
    EXPECT_FALSE(Sliding());
    EXPECT_EQ(Caption(), "About");

    Click("btnMoveToRight");
    WaitForSlide();
    EXPECT_EQ(Caption(), "Loading");
    Click("btnMoveToRight");
    WaitForSlide();
    EXPECT_EQ(Caption(), "Options");
    EXPECT_EQ(Page("dlgOptions")->geometry(), QRect(0, 0, 600, 323));

    Click("btnMoveToRight"); // the first page: nothing further
    EXPECT_FALSE(Sliding());
    EXPECT_EQ(Caption(), "Options");
}

TEST_F(MainWindowTest, ClosingTheWindowReleasesTheLoaderTheOperationsAndTheConfigurationOnly)
{
    MainWindow();
    // The pages' presenters hold the only counted references besides the ones taken here: the
    // Options and the Loading presenter the configuration, the Loading one the others.
    IntfPtr<ILoaderInterface> loader(Model().Loader);
    IntfPtr<IConfigurationInterface> configuration(Model().Configuration);
    IntfPtr<IOperationsInterface> operations(Model().Operations);
    EXPECT_EQ(Model().Loader->RefCount(), 2);
    EXPECT_EQ(Model().Configuration->RefCount(), 3);
    EXPECT_EQ(Model().Operations->RefCount(), 2);
    TSubjectObserver probe;
    Model().Loader->Observer().Attach(&probe);
    const size_t subscribers = Model().Loader->Observer().Count();

    CloseMainWindow();
    EXPECT_EQ(Model().Loader->RefCount(), 1);
    EXPECT_EQ(Model().Configuration->RefCount(), 1);
    EXPECT_EQ(Model().Operations->RefCount(), 1);
    EXPECT_EQ(Model().Loader->Observer().Count(), subscribers - 1)
        << "the Loading presenter's subscriber left with it";
    EXPECT_FALSE(std::filesystem::exists(ports.File("Config.mlhxml")))
        << "nothing is saved on the way out";
    loader.reset();
    EXPECT_EQ(probe.Subject, nullptr) << "the loader is freed with the last reference";
}

} // namespace
