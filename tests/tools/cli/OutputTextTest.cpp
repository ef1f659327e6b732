// SPDX-License-Identifier: MIT
// The progress bar the tool draws on a terminal.

#include "HumanReporter.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <regex>

namespace morlith::cli {
namespace {

TEST(ProgressBar, ShowsPercentBytesRateAndTimeLeft)
{
    const std::string text = ProgressBarText({46, 30000, 65000, 15.0}, 80);
    EXPECT_NE(text.find(" 46%"), std::string::npos) << text;
    EXPECT_NE(text.find("30,000 of 65,000 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("2.0 kB/s"), std::string::npos) << text;
    EXPECT_NE(text.find("17.5 s left"), std::string::npos) << text;
    EXPECT_EQ(ProgressBarText({100, 10, 10, 1.0}, 80).find("left"), std::string::npos);
}

TEST(ProgressBar, FitsTheTerminalLeavingTheLastColumnFree)
{
    const TProgressStep step{46, 30000, 65000, 15.0};
    for (unsigned columns : {200u, 120u, 80u, 60u, 40u, 30u, 20u, 8u, 1u, 0u}) {
        const std::string text = ProgressBarText(step, columns);
        EXPECT_LT(text.size(), std::max(columns, 1u)) << columns << ": " << text;
    }
    // A wide terminal gets a wider bar than a narrow one; a narrow one drops the time left and the
    // rate before the percentage.
    EXPECT_GT(ProgressBarText(step, 120).find(']'), ProgressBarText(step, 80).find(']'));
    const std::string narrow = ProgressBarText(step, 40);
    EXPECT_NE(narrow.find(" 46%"), std::string::npos) << narrow;
    EXPECT_EQ(narrow.find("left"), std::string::npos) << narrow;
    EXPECT_NE(narrow.find('['), std::string::npos) << narrow;
    EXPECT_EQ(ProgressBarText(step, 8), " 46%");
}

TEST(ProgressBar, FillsItsCellsInProportionUpToTheLastFreeColumn)
{
    // `cells` 0: the bar takes every cell up to the last free column.
    struct TRow {
        int32_t percent;
        unsigned columns;
        size_t cells;
    };
    const TRow rows[] = {{46, 200, 60}, {0, 200, 60}, {100, 200, 60}, {46, 80, 0}, {99, 80, 0}, {1, 50, 0}};
    for (const TRow &row : rows) {
        const std::string text = ProgressBarText({row.percent, 30000, 65000, 15.0}, row.columns);
        const size_t close = text.find(']');
        ASSERT_TRUE(text.rfind('[', 0) == 0 && close != std::string::npos) << text;
        const std::string cells = text.substr(1, close - 1);
        if (row.cells != 0)
            EXPECT_EQ(cells.size(), row.cells) << text;
        else
            EXPECT_EQ(text.size(), row.columns - 1) << text;
        const size_t filled = size_t(row.percent) * cells.size() / 100;
        EXPECT_EQ(cells, std::string(filled, '#') + std::string(cells.size() - filled, '.')) << row.percent;
    }
}

} // namespace
} // namespace morlith::cli
