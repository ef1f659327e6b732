// SPDX-License-Identifier: MIT
#include "ComPortProgrammator.h"
#include "ConfigurationU.h"
#include "Loader.h"
#include "ModelU.h"
#include "Operations.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace morlith;
namespace fs = std::filesystem;

TEST(Model, BuildsTheEngineAroundTheSavedConfiguration)
{
    const fs::path old = fs::current_path();
    const test::TScratchFolder dir("morlith-model-");
    fs::current_path(dir.Path());
    std::ofstream("Config.mlhxml") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                      "<config Application=\"ORVELMorlith\" Version=\"1\">\r\n"
                                      "  <Port>5</Port>\r\n</config>\r\n";
    {
        TModelDM model;
        EXPECT_EQ(ModelDM, &model);
        ASSERT_NE(model.Configuration, nullptr);
        ASSERT_NE(model.Loader, nullptr);
        ASSERT_TRUE(model.Programmator);
        EXPECT_FALSE(model.Programmator->GetConnected());
        EXPECT_EQ(model.Loader->Programmator(), model.Programmator.get());
        ASSERT_NE(model.Operations, nullptr);
        // Records of a closed port name the configured one, counted from COM1.
        EXPECT_EQ(model.Operations->CurrentPortName(), "COM6");
        // The pages hold the only counted references; taking and dropping them frees all three.
        IntfPtr<IConfigurationInterface> configuration(model.Configuration);
        IntfPtr<ILoaderInterface> loader(model.Loader);
        IntfPtr<IOperationsInterface> operations(model.Operations);
        EXPECT_EQ(configuration->GetPort(), 5);
        EXPECT_EQ(model.Configuration->RefCount(), 1);
        EXPECT_EQ(model.Operations->RefCount(), 1);
        operations.reset();
        configuration.reset();
        loader.reset();
    }
    EXPECT_EQ(ModelDM, nullptr);
    fs::current_path(old);
}
