// SPDX-License-Identifier: MIT
#include "ComPortProgrammator.h"
#include "Loader.h"
#include "ModuleOnPort.h"
#include "OperationRunner.h"
#include "PackageBuilder.h"

#include <gtest/gtest.h>

using namespace morlith;

namespace {

// A programmator that records what reaches it and fires progress on request.
class RecordingProgrammator : public TProgrammator {
public:
    bool Connect(int32_t port) override
    {
        Calls += "Connect(" + std::to_string(port) + ")";
        return true;
    }
    bool SelectMCU(int32_t port, uint8_t index) override
    {
        Calls += "SelectMCU(" + std::to_string(port) + "," + std::to_string(index) + ")";
        return false;
    }
    bool Disconnect() override
    {
        Calls += "Disconnect";
        return true;
    }
    void Step(int32_t percent)
    {
        FProgress = percent;
        if (OnProgress)
            OnProgress(this);
    }
    std::string Calls;
};

} // namespace

TEST(Loader, ForwardsArgumentsAndResultsUnchanged)
{
    RecordingProgrammator programmator;
    IntfPtr<TLoader> loader(new TLoader);
    EXPECT_EQ(loader->GetProgress(), 0); // no programmator yet
    loader->SetProgrammator(&programmator);
    EXPECT_TRUE(loader->Connect(7));
    EXPECT_FALSE(loader->SelectMCU(2, 4));
    EXPECT_TRUE(loader->Disconnect());
    EXPECT_FALSE(loader->GetConnected()); // the programmator's own state
    EXPECT_EQ(programmator.Calls, "Connect(7)SelectMCU(2,4)Disconnect");
    programmator.Step(42);
    EXPECT_EQ(loader->GetProgress(), 42);
}

TEST(Loader, ProgressReachesSubscribersOfTheAttachedProgrammatorOnly)
{
    RecordingProgrammator first, second;
    IntfPtr<TLoader> loader(new TLoader);
    int calls = 0;
    TSubjectObserver subscriber;
    subscriber.OnNotify = [&](TObserver *) { ++calls; };
    first.Step(1); // nobody subscribed, nothing attached
    loader->SetProgrammator(&first);
    first.Step(2); // attached, nobody subscribed
    loader->Observer().Attach(&subscriber);
    first.Step(3);
    EXPECT_EQ(calls, 1);
    loader->SetProgrammator(&second);
    EXPECT_FALSE(first.OnProgress);
    first.Step(4);
    second.Step(5);
    EXPECT_EQ(calls, 2);
    loader->SetProgrammator(nullptr);
    EXPECT_FALSE(second.OnProgress);
    second.Step(6);
    EXPECT_EQ(calls, 2);
}

TEST(Loader, AFreedLoaderUnhooksItsProgrammator)
{
    RecordingProgrammator programmator;
    {
        IntfPtr<ILoaderInterface> reference(new TLoader);
        static_cast<TLoader *>(reference.get())->SetProgrammator(&programmator);
        EXPECT_TRUE(bool(programmator.OnProgress));
    } // the last reference frees the loader
    EXPECT_FALSE(programmator.OnProgress);
    programmator.Step(9); // reaches nothing
}

TEST(Loader, AnApplicationWriteOfTheRunnerNotifiesEveryChunkEndToEnd)
{
    PrivatePortMap ports;
    ports.Serve(2);
    TComPortProgrammator programmator;
    IntfPtr<TLoader> loader(new TLoader);
    loader->SetProgrammator(&programmator);
    std::vector<int32_t> seen;
    TSubjectObserver subscriber;
    subscriber.OnNotify = [&](TObserver *) { seen.push_back(loader->GetProgress()); };
    loader->Observer().Attach(&subscriber);

    const auto package = BuildPackageBytes(std::vector<uint8_t>(120, 0x33), 0x0100);
    std::string why;
    ASSERT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, &why));
    ASSERT_TRUE(loader->Connect(2)) << loader->GetLastFailure();
    TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
    ASSERT_TRUE(runner.ReadInput(ports.File("app.xml"))) << runner.Failure();
    EXPECT_TRUE(runner.Perform()) << runner.Failure();
    EXPECT_EQ(seen, (std::vector<int32_t>{42, 83, 100}));
    EXPECT_TRUE(loader->GetConnected());
    EXPECT_TRUE(loader->Disconnect());
    EXPECT_FALSE(loader->GetConnected());
}
