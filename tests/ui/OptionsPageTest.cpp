// SPDX-License-Identifier: MIT
// The Options page: the port list, the configured port, picking and saving.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "FailureHints.h"
#include "ModelU.h"
#include "OptionsUPresenter.h"
#include "WholeFiles.h"

#include <QAbstractItemView>
#include <QCheckBox>

#include <fstream>


using namespace morlith;

namespace {

class OptionsPageTest : public UiWorld {
protected:
    QComboBox *PortList() { return Find<QComboBox>("cbPort"); }
};

TEST_F(OptionsPageTest, ListsCom1ToCom255AndShowsCom1WithoutAConfiguration)
{
    QComboBox *list = PortList();
    ASSERT_EQ(list->count(), 255);
    EXPECT_EQ(list->itemText(0), "COM1");
    EXPECT_EQ(list->itemText(254), "COM255");
    EXPECT_EQ(list->currentText(), "COM1");
}

TEST_F(OptionsPageTest, ThePortListOpensAtAboutTwentyRows)
{
    MainWindow();
    Click("btnMoveToRight");
    ASSERT_TRUE(WaitUntil([&] { return PortList()->isVisible(); }, 10000));
    QComboBox *list = PortList();
    list->showPopup();
    const QAbstractItemView *view = list->view();
    ASSERT_TRUE(view->isVisible());
    const int rowHeight = view->sizeHintForRow(0);
    ASSERT_GT(rowHeight, 0);
    const int rowsShown = view->height() / rowHeight;
    EXPECT_GE(rowsShown, 18);
    EXPECT_LE(rowsShown, 22);
    EXPECT_EQ(view->model()->rowCount(), 255) << "the rest scrolls";
    list->hidePopup();
}

TEST_F(OptionsPageTest, ShowsTheConfiguredPortAndLeavesItAlone)
{
    Model().Configuration->SetPort(5);
    EXPECT_EQ(PortList()->currentText(), "COM6");
    EXPECT_EQ(Model().Configuration->GetPort(), 5);
}

TEST_F(OptionsPageTest, APortOutsideTheListSelectsNothing)
{
    Model().Configuration->SetPort(300);
    EXPECT_EQ(PortList()->currentIndex(), -1);
    EXPECT_EQ(Model().Configuration->GetPort(), 300);
}

TEST_F(OptionsPageTest, APickedPortIsUsedAtOnceAndSavedOnlyOnSave)
{
    TModuleServer &module = ports.Serve(4);
    Pick(PortList(), 3);
    EXPECT_EQ(Model().Configuration->GetPort(), 3);
    EXPECT_FALSE(std::filesystem::exists(ports.File("Config.mlhxml")));

    Click("btnConnect");
    EXPECT_EQ(Commands(module), "CP") << "the next connect opens COM4";

    Click("btnSave");
    const std::string saved = test::ReadText(ports.File("Config.mlhxml"));
    EXPECT_NE(saved.find("<Port>3</Port>"), std::string::npos) << saved;
    Click("btnSave");
    EXPECT_EQ(test::ReadText(ports.File("Config.mlhxml")), saved);
    EXPECT_TRUE(dialogs.errors.empty());
}

// A file that has the skip box ticks it; the box goes into the configuration at once, and into
// its file only on Save and only while ticked.
TEST_F(OptionsPageTest, TheSkipBoxIsTakenAtOnceAndKeptInTheFileOnlyWhenTicked)
{
    std::ofstream(ports.File("Config.mlhxml")) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                                  "<config Application=\"ORVELMorlith\" Version=\"1\">\r\n"
                                                  "  <Port>0</Port>\r\n  <SkipIfCurrent>True</SkipIfCurrent>\r\n"
                                                  "</config>\r\n";
    QCheckBox *box = Find<QCheckBox>("cbSkipIfCurrent");
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_FALSE(Model().Configuration->GetSkipIfCurrent());
    Click("btnSave");
    EXPECT_EQ(test::ReadText(ports.File("Config.mlhxml")).find("SkipIfCurrent"), std::string::npos);
    box->click();
    EXPECT_TRUE(Model().Configuration->GetSkipIfCurrent());
    Click("btnSave");
    EXPECT_NE(test::ReadText(ports.File("Config.mlhxml")).find("  <SkipIfCurrent>True</SkipIfCurrent>\r\n"),
              std::string::npos);
}

} // namespace

TEST_F(OptionsPageTest, AFailedSaveIsShownWithItsReason)
{
    std::filesystem::create_directory(ports.File("Config.mlhxml"));
    Model();
    Click("btnSave");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, kSaveErrorText);
    const TFailure &failure = dialogs.failures[0].second;
    EXPECT_EQ(failure.Kind, TFailureKind::fkFile) << failure;
    EXPECT_EQ(failure.Path, ports.File("Config.mlhxml")) << "the file's own full path";
    EXPECT_NE(failure.Detail.find("Config.mlhxml"), std::string::npos) << failure.Detail;
    EXPECT_FALSE(FailureHint(failure).empty());
    EXPECT_TRUE(std::filesystem::is_directory(ports.File("Config.mlhxml")));
}
