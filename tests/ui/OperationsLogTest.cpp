// SPDX-License-Identifier: MIT
// The GUI's operations in its operations log ($XDG_STATE_HOME/morlith/operations.jsonl): one
// record per operation as the command-line tool writes them, and a log that cannot be written
// told once.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "ModelU.h"
#include "PackageBuilder.h"
#include "WholeFiles.h"

#include <filesystem>
#include <fstream>

using namespace morlith;

namespace {

class OperationsLogTest : public UiWorld {
protected:
    std::vector<std::string> Records() { return test::ReadLines(ports.File("morlith/operations.jsonl")); }
    std::string WritePackage()
    {
        const TPackageBytes package = BuildPackageBytes(std::vector<uint8_t>(400, 0x33), 16);
        std::string why;
        EXPECT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, &why)) << why;
        return ports.File("app.xml");
    }
};

bool Has(const std::string &line, const std::string &part) { return line.find(part) != std::string::npos; }

TEST_F(OperationsLogTest, EachOperationOfThePageIsRecorded)
{
    TModuleServer &module = ports.Serve(1);
    Click("btnConnect");
    dialogs.files = {WritePackage(), ports.File("d.bin")};
    Click("btnOpenAppFile");
    Click("btnOpenDataFile");
    Click("btnWriteApp");
    module.Stop(); // the module goes away before the read
    Click("btnReadData");
    ASSERT_EQ(dialogs.failures.size(), 1u);

    const auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(Has(records[0], "\"tool\":\"morlith\"")) << records[0];
    EXPECT_TRUE(Has(records[0], "\"command\":\"connect\",\"port\":\"COM1\"")) << records[0];
    EXPECT_TRUE(Has(records[1], "\"command\":\"write-app\"")) << records[1];
    EXPECT_TRUE(Has(records[1], "\"image_length\":400")) << records[1];
    EXPECT_TRUE(Has(records[1], "\"result\":\"ok\"")) << records[1];
    EXPECT_TRUE(Has(records[2], "\"command\":\"read-dseg\"")) << records[2];
    EXPECT_TRUE(Has(records[2], "\"result\":\"failed\",\"error\":{\"kind\":\"hangup\"")) << records[2];
}

TEST_F(OperationsLogTest, TheStationOperatorAndLotOfTheSettingsGoIntoEveryRecordWhenSet)
{
    ports.Serve(1);
    TConfig &settings = Model().Configuration->Config();
    settings.SetStation("bench 4");
    settings.SetLot("L-9");
    Click("btnConnect");
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Has(records[0], "\"station\":\"bench 4\",\"lot\":\"L-9\"")) << records[0];
    EXPECT_FALSE(Has(records[0], "\"operator\"")) << records[0];
}

TEST_F(OperationsLogTest, ALogThatCannotBeWrittenIsToldOnceAndTheWorkGoesOn)
{
    // A folder where the log file should be.
    std::filesystem::create_directories(ports.File("morlith/operations.jsonl"));
    TModuleServer &module = ports.Serve(1);
    Click("btnConnect");
    Click("btnDisconnect");
    Click("btnConnect");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].first, "Log error");
    EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkFile) << dialogs.failures[0].second;
    EXPECT_TRUE(Find<QWidget>("btnDisconnect")->isEnabled());
    EXPECT_EQ(Commands(module), "CPQCP");
}

} // namespace
