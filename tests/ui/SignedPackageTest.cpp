// SPDX-License-Identifier: MIT
// The Loading page with trusted keys in the configuration: the chosen package shows its signer,
// and a file without a good signature is refused before any frame, as the command line refuses it.

#include "UiWorld.h"

#include "ConfigurationU.h"
#include "MinisignTool.h"
#include "ModelU.h"
#include "PackageBuilder.h"
#include "ScratchFolder.h"
#include "WholeFiles.h"

#include <QLineEdit>

using namespace morlith;
using namespace morlith::test;

namespace {

class SignedPackageTest : public UiWorld {
protected:
    void SetUp() override
    {
        UiWorld::SetUp();
        Site = MakeToolKey(Keys, "site");
        const TPackageBytes package = BuildPackageBytes(std::vector<uint8_t>(100, 9), 32);
        ASSERT_TRUE(SavePackageFile(ports.File("app.xml"), package.Header, package.KeyedImage, 0, nullptr));
        WriteText(ports.File("d.bin"), std::string(20, 'd'));
        Model().Configuration->Config().SetTrustedKeys(Site.PublicPath);
    }
    std::string AppField() { return Find<QLineEdit>("edtAppFileName")->text().toStdString(); }
    // Connects and chooses app.xml and d.bin.
    TModuleServer &Choose()
    {
        TModuleServer &module = ports.Serve(1);
        Click("btnConnect");
        dialogs.files = {ports.File("app.xml"), ports.File("d.bin")};
        Click("btnOpenAppFile");
        Click("btnOpenDataFile");
        return module;
    }

    TScratchFolder Keys;
    TToolKey Site;
};

TEST_F(SignedPackageTest, UnsignedFilesAreRefusedBeforeAnyFrameAndTheReasonShown)
{
    TModuleServer &module = Choose();
    EXPECT_NE(AppField().find("no signature"), std::string::npos) << AppField();
    for (const char *button : {"btnWriteApp", "btnWriteData"}) {
        dialogs.failures.clear();
        Click(button);
        ASSERT_EQ(dialogs.failures.size(), 1u) << button;
        EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkRefusedInput) << button;
    }
    EXPECT_EQ(Commands(module), "CP");
}

TEST_F(SignedPackageTest, ASignedPackageShowsItsSignerAndIsWritten)
{
    SignWithTool(Site, ports.File("app.xml"), false);
    TModuleServer &module = Choose();
    EXPECT_NE(AppField().find("signed by " + Site.KeyId), std::string::npos) << AppField();
    Click("btnWriteApp");
    EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures[0].second;
    EXPECT_EQ(module.WithModule([](TVirtualModule &m) { return m.Controller(0).programMemory; }),
              std::vector<uint8_t>(100, 9));
}

TEST_F(SignedPackageTest, AKeyFileThatCannotBeReadStopsEveryWrite)
{
    Model().Configuration->Config().SetTrustedKeys(Keys.File("gone.pub"));
    SignWithTool(Site, ports.File("app.xml"), false);
    TModuleServer &module = Choose();
    Click("btnWriteApp");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].second.Kind, TFailureKind::fkNotFound);
    EXPECT_EQ(Commands(module), "CP");
}

} // namespace
