// SPDX-License-Identifier: MIT
// The signature check of an operation's input: what is checked is the bytes that will be sent, not
// the file as it is later; input without a file is refused; the record names the signer.

#include "ComPortProgrammator.h"
#include "MinisignTool.h"
#include "ModuleOnPort.h"
#include "OperationRunner.h"
#include "PackageBuilder.h"
#include "ScratchFolder.h"
#include "WholeFiles.h"

#include <gtest/gtest.h>

using namespace morlith;
using namespace morlith::test;

namespace {

class InputSignatureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Site = MakeToolKey(Folder, "site");
        ASSERT_FALSE(Keys.AddKeyFile(Site.PublicPath).Failed());
        Data = Folder.File("d.bin");
        WriteText(Data, std::string(40, 'd'));
        SignWithTool(Site, Data, false, "lot 7");
    }
    TOperationInput Read(const std::string &path)
    {
        TOperationInput input;
        EXPECT_FALSE(ReadOperationInput(TOperationKind::okWriteDataSegment, path, "", input).Failed());
        return input;
    }

    TScratchFolder Folder;
    TToolKey Site;
    TTrustedKeys Keys;
    std::string Data;
};

TEST_F(InputSignatureTest, TheBytesReadAreCheckedAndTheSignerKept)
{
    TOperationInput input = Read(Data);
    // The file changes after it was read: what will be sent is what was read, and that is signed.
    WriteText(Data, std::string(40, 'e'));
    ASSERT_FALSE(CheckInputSignature(Keys, input).Failed());
    EXPECT_EQ(input.SignerKeyId, Site.KeyId);
    EXPECT_EQ(input.TrustedComment, "lot 7");
    const TFileFingerprint fingerprint = FileFingerprint(input);
    EXPECT_EQ(fingerprint.SignerKeyId + "|" + fingerprint.TrustedComment, Site.KeyId + "|lot 7");
    // Bytes that differ from those signed are refused, and no signer is left behind.
    input.Bytes[3] ^= 1;
    const TFailure altered = CheckInputSignature(Keys, input);
    EXPECT_EQ(altered.Kind, TFailureKind::fkRefusedInput);
    EXPECT_NE(altered.Detail.find("altered"), std::string::npos) << altered.Detail;
    EXPECT_EQ(input.SignerKeyId, "");
    EXPECT_EQ(input.TrustedComment, "");
}

TEST_F(InputSignatureTest, WithoutTrustedKeysNothingIsAskedAndWithThemInputWithoutAFileIsRefused)
{
    WriteText(Folder.File("plain.bin"), "plain");
    TOperationInput plain = Read(Folder.File("plain.bin"));
    EXPECT_FALSE(CheckInputSignature(TTrustedKeys{}, plain).Failed());
    EXPECT_EQ(plain.SignerKeyId, "");
    EXPECT_EQ(CheckInputSignature(Keys, plain).Kind, TFailureKind::fkRefusedInput);
    TOperationInput piped;
    piped.Label = "standard input";
    piped.Bytes = {1, 2, 3};
    ASSERT_FALSE(AcceptOperationInput(TOperationKind::okWriteDataSegment, piped).Failed());
    const TFailure refused = CheckInputSignature(Keys, piped);
    EXPECT_EQ(refused.Kind, TFailureKind::fkRefusedInput);
    EXPECT_NE(refused.Detail.find("standard input"), std::string::npos) << refused.Detail;
}

// The window's way: the runner reads and checks the input before any frame, and the record carries
// the signer.
TEST_F(InputSignatureTest, TheRunnerRefusesAnUnsignedPackageAndRecordsASignedOnesSigner)
{
    PrivatePortMap ports;
    TModuleServer &module = ports.Serve(1);
    TComPortProgrammator programmator;
    const TPackageBytes bytes = BuildPackageBytes(std::vector<uint8_t>(100, 7), 32);
    ASSERT_TRUE(SavePackageFile(Folder.File("app.xml"), bytes.Header, bytes.KeyedImage, 0, nullptr));
    {
        TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
        runner.SetTrustedKeys(&Keys);
        EXPECT_FALSE(runner.ReadInput(Folder.File("app.xml")));
        EXPECT_EQ(runner.Failure().Kind, TFailureKind::fkRefusedInput);
    }
    EXPECT_EQ(Commands(module), "");
    SignWithTool(Site, Folder.File("app.xml"), true);
    TOperationRunner runner(programmator, TOperationKind::okWriteApplication, 0);
    runner.SetTrustedKeys(&Keys);
    ASSERT_TRUE(runner.ReadInput(Folder.File("app.xml"))) << runner.Failure();
    ASSERT_TRUE(runner.Connect(1) && runner.Perform()) << runner.Failure();
    runner.Conclude();
    const std::string line = OperationRecordLine(runner.Record("morlith", "COM1"));
    EXPECT_NE(line.find("\"signature\":{\"key_id\":\"" + Site.KeyId + "\""), std::string::npos) << line;
}

} // namespace
