// The GUI's operations in the operations log, against the virtual module: what the record says of
// the port, the files and what the module holds when the work stopped part-way.

#include "ComPortProgrammator.h"
#include "LoggedOperation.h"
#include "ModuleOnPort.h"
#include "PackageBuilder.h"
#include "ProductionLog.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace morlith;

namespace {

class LoggedOperationTest : public ::testing::Test {
protected:
    std::string WritePackage(size_t imageBytes)
    {
        std::vector<uint8_t> image(imageBytes, 0x42);
        const TPackageBytes bytes = BuildPackageBytes(image, 32);
        std::string why;
        EXPECT_TRUE(SavePackageFile(ports.File("app.xml"), bytes.Header, bytes.KeyedImage, 0, &why)) << why;
        return ports.File("app.xml");
    }
    std::string LastLine()
    {
        std::ifstream in(ports.File("ops.jsonl"));
        std::string line, last;
        while (std::getline(in, line))
            last = line;
        return last;
    }
    std::unique_ptr<TProductionLog> OpenLog()
    {
        TFailure failure;
        auto log = TProductionLog::Open(ports.File("ops.jsonl"), failure);
        EXPECT_TRUE(log) << failure;
        return log;
    }

    PrivatePortMap ports;
};

bool Has(const std::string &line, const std::string &part) { return line.find(part) != std::string::npos; }

TEST_F(LoggedOperationTest, AWriteCutByAHangUpIsLoggedWithWhatTheModuleHolds)
{
    TModuleServerOptions options;
    options.faults.hangUpAfterFrames = 8; // C, F, W (block), F, then four chunks
    ports.Serve(1, options);
    const std::string package = WritePackage(500);
    const auto log = OpenLog();
    TComPortProgrammator programmator;
    ASSERT_TRUE(programmator.Connect(1));
    TLoggedOperation logged(log.get(), &programmator, "write-app", "COM1", 0, package);
    ASSERT_FALSE(programmator.WriteApplication(package));
    TFailure logFailure;
    ASSERT_TRUE(logged.Finish(programmator.LastFailure(), logFailure)) << logFailure;

    const std::string line = LastLine();
    EXPECT_TRUE(Has(line, "\"tool\":\"morlith\"")) << line;
    EXPECT_TRUE(Has(line, "\"port\":\"COM1\",\"device\":\"/dev/pts/")) << line;
    EXPECT_TRUE(Has(line, "\"image_length\":500")) << line;
    EXPECT_TRUE(Has(line, "\"result\":\"failed\"")) << line;
    EXPECT_TRUE(Has(line, "\"kind\":\"hangup\"")) << line;
    EXPECT_TRUE(Has(line, "\"module_state\":\"application partly written: ")) << line;
}

TEST_F(LoggedOperationTest, ASuccessfulReadIsLoggedWithTheFileItMadeAndNothingFollowsAfterwards)
{
    ports.Serve(2);
    const auto log = OpenLog();
    TComPortProgrammator programmator;
    ASSERT_TRUE(programmator.Connect(2));
    size_t frames = 0;
    {
        TLoggedOperation logged(log.get(), &programmator, "read-dseg", "COM2", 0, ports.File("seg.bin"));
        ASSERT_TRUE(programmator.ReadDSEG(ports.File("seg.bin")));
        TFailure logFailure;
        ASSERT_TRUE(logged.Finish(TFailure{}, logFailure));
    }
    // The operation's frame hook is gone with it: a front end may install its own.
    programmator.SetFrameTrace([&](const TFrameTraceEvent &) { ++frames; });
    EXPECT_TRUE(programmator.Disconnect());
    EXPECT_GT(frames, 0u);
    const std::string line = LastLine();
    EXPECT_TRUE(Has(line, "\"command\":\"read-dseg\"")) << line;
    EXPECT_TRUE(Has(line, "\"data_file\":{\"path\":\"" + ports.File("seg.bin") + "\",\"sha256\":\"")) << line;
    EXPECT_TRUE(Has(line, "\"result\":\"ok\"")) << line;
    EXPECT_FALSE(Has(line, "module_state")) << line;
}

TEST_F(LoggedOperationTest, ALogThatCouldNotBeOpenedIsReportedAtTheEnd)
{
    TLoggedOperation logged(MakeFailure(TFailureKind::fkPermission, "cannot open the log"));
    TFailure logFailure;
    EXPECT_FALSE(logged.Finish(TFailure{}, logFailure));
    EXPECT_EQ(logFailure.Kind, TFailureKind::fkPermission);
}

} // namespace
