// SPDX-License-Identifier: MIT
// The main window: start state, sliding between the pages, and what goes with the window.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "Loader.h"
#include "Main.h"
#include "MainViewPresenter.h"
#include "ModelU.h"
#include "Observer.h"
#include "Operations.h"
#include "Slider.h"

#include <QFile>
#include <QLabel>
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
