// SPDX-License-Identifier: MIT
#include "ConfigurationU.h"
#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace morlith {
namespace {

using test::ReadFile;

// Runs each test with the temporary directory as the current directory.
class Configuration : public test::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        FPrevious = std::filesystem::current_path();
        std::filesystem::current_path(FDir);
        FConfiguration = IntfPtr<IConfigurationInterface>(new TConfiguration());
    }
    void TearDown() override
    {
        FConfiguration.reset();
        std::filesystem::current_path(FPrevious);
        TempDirTest::TearDown();
    }
    // Writes a configuration file holding Body below its root element.
    void WriteConfig(const std::string &Body, const std::string &Version = "1")
    {
        test::WriteText(PathOf("Config.mlhxml"),
                        "<?xml version=\"1.0\"?><config Application=\"ORVELMorlith\" Version=\"" + Version + "\">" +
                            Body + "</config>");
    }

    std::filesystem::path FPrevious;
    IntfPtr<IConfigurationInterface> FConfiguration;
};

TEST_F(Configuration, FirstStartGivesPortZeroAndSaveCreatesTheFile)
{
    EXPECT_TRUE(FConfiguration->Load());
    EXPECT_EQ(FConfiguration->GetPort(), 0);
    EXPECT_TRUE(FConfiguration->Save());
    EXPECT_EQ(ReadFile(PathOf("Config.mlhxml")), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                                 "<config Application=\"ORVELMorlith\" Version=\"1\">\r\n"
                                                 "  <Port>0</Port>\r\n"
                                                 "</config>\r\n");
    EXPECT_FALSE(test::Exists(PathOf("Config.bak")));
}

TEST_F(Configuration, LoadsThePortFromTheFile)
{
    WriteConfig("<Port>5</Port>");
    FConfiguration->Load();
    EXPECT_EQ(FConfiguration->GetPort(), 5);
    WriteConfig("<Port>-40</Port>");
    FConfiguration->Load();
    EXPECT_EQ(FConfiguration->GetPort(), -40);   // not range-checked
}

TEST_F(Configuration, AnUnreadablePortKeepsTheValueBeforeTheLoad)
{
    for (const char *body : {"<Port>abc</Port>", "<Port/>", "<Port>1.5</Port>"}) {
        FConfiguration->SetPort(0);
        WriteConfig(body);
        FConfiguration->Load();
        EXPECT_EQ(FConfiguration->GetPort(), 0) << body;
    }
    FConfiguration->SetPort(7);
    test::WriteText(PathOf("Config.mlhxml"), std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    FConfiguration->Load();
    EXPECT_EQ(FConfiguration->GetPort(), 7);
}

TEST_F(Configuration, SaveKeepsTheVersionThatWasLoaded)
{
    WriteConfig("<Port>2</Port>", "3");
    FConfiguration->Load();
    FConfiguration->SetPort(4);
    FConfiguration->Save();
    const std::string saved = ReadFile(PathOf("Config.mlhxml"));
    EXPECT_NE(saved.find("Version=\"3\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Port>4</Port>"), std::string::npos) << saved;
}

TEST_F(Configuration, TheStationOperatorAndLotAreKeptOnlyWhenSet)
{
    WriteConfig("<Port>2</Port><Station>line 2</Station><Lot>L-17</Lot>");
    FConfiguration->Load();
    TConfig &settings = dynamic_cast<TConfiguration &>(*FConfiguration).Config();
    EXPECT_EQ(settings.Station(), "line 2");
    EXPECT_EQ(settings.Operator(), "");
    EXPECT_EQ(settings.Lot(), "L-17");
    settings.SetLot("");
    settings.SetOperator("A. N. Other");
    FConfiguration->Save();
    const std::string saved = ReadFile(PathOf("Config.mlhxml"));
    EXPECT_NE(saved.find("  <Port>2</Port>\r\n  <Station>line 2</Station>\r\n  <Operator>A. N. Other</Operator>\r\n</config>"),
              std::string::npos)
        << saved;
}

TEST_F(Configuration, TheTrustedKeysAreAListOfFilesKeptOnlyWhenSet)
{
    WriteConfig("<Port>1</Port><TrustedKeys> site.pub ;; /etc/morlith/line key.pub;</TrustedKeys>");
    FConfiguration->Load();
    TConfig &settings = dynamic_cast<TConfiguration &>(*FConfiguration).Config();
    EXPECT_EQ(settings.TrustedKeyFiles(), (std::vector<std::string>{"site.pub", "/etc/morlith/line key.pub"}));
    settings.SetTrustedKeys("a.pub");
    EXPECT_EQ(settings.TrustedKeyFiles(), (std::vector<std::string>{"a.pub"}));
    settings.SetTrustedKeys(" ; ");
    EXPECT_TRUE(settings.TrustedKeyFiles().empty());
    FConfiguration->Save();
    EXPECT_NE(ReadFile(PathOf("Config.mlhxml")).find("<TrustedKeys> ; </TrustedKeys>"), std::string::npos);
    settings.SetTrustedKeys("");
    FConfiguration->Save();
    EXPECT_EQ(ReadFile(PathOf("Config.mlhxml")).find("TrustedKeys"), std::string::npos);
}

TEST_F(Configuration, SetPortWritesNothing)
{
    WriteConfig("<Port>2</Port>");
    const std::string before = ReadFile(PathOf("Config.mlhxml"));
    FConfiguration->Load();
    FConfiguration->SetPort(9);
    EXPECT_EQ(FConfiguration->GetPort(), 9);
    EXPECT_EQ(ReadFile(PathOf("Config.mlhxml")), before);
}

TEST_F(Configuration, TheFileLivesInTheDirectoryCurrentAtCreation)
{
    auto *configuration = new TConfiguration();
    IntfPtr<IConfigurationInterface> held(configuration);
    EXPECT_EQ(configuration->FilePath(), std::filesystem::current_path().string() + "/Config.mlhxml");
    std::filesystem::create_directory(PathOf("elsewhere"));
    std::filesystem::current_path(PathOf("elsewhere"));
    held->SetPort(3);
    held->Save();
    EXPECT_TRUE(test::Exists(PathOf("Config.mlhxml")));
    EXPECT_FALSE(test::Exists(PathOf("elsewhere/Config.mlhxml")));
}

TEST_F(Configuration, AFailedSaveSaysWhyAndKeepsTheBackup)
{
    std::filesystem::create_directory(PathOf("Config.mlhxml"));
    test::WriteText(PathOf("Config.bak"), "older settings");
    EXPECT_FALSE(FConfiguration->Save());
    EXPECT_NE(FConfiguration->GetLastFailure().find(PathOf("Config.mlhxml")), std::string::npos)
        << FConfiguration->GetLastFailure();
    EXPECT_EQ(ReadFile(PathOf("Config.bak")), "older settings");

    std::filesystem::remove(PathOf("Config.mlhxml"));
    EXPECT_TRUE(FConfiguration->Save());
    EXPECT_EQ(FConfiguration->GetLastFailure(), "");
}

TEST_F(Configuration, EndsWithItsLastInterfaceReference)
{
    auto *configuration = new TConfiguration();
    EXPECT_EQ(configuration->RefCount(), 0);
    {
        IntfPtr<IConfigurationInterface> first(configuration);
        IntfPtr<IConfigurationInterface> second = first;
        EXPECT_EQ(configuration->RefCount(), 2);
    }
    // Freed here; AddressSanitizer builds report a leak or a double free otherwise.
}

} // namespace
} // namespace morlith
