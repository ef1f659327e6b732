// SPDX-License-Identifier: MIT
// The file of short socket names: what it maps, the lines it refuses, a missing file.

#include "ScratchFolder.h"
#include "SocketNameMap.h"

#include <gtest/gtest.h>

#include <fstream>

namespace morlith {
namespace {

TEST(SocketNameMap, LocationsGetShortNamesAndABadLineIsNamed)
{
    struct Case {
        const char *text;
        TSocketNameMap map;
        const char *error; // "" when the text is good
    };
    const Case cases[] = {
        {"", {}, ""},
        {"# the left jig\n\n  pci-0000:00:14.0-usb-0:3:1.0 = left \r\n"
         "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)=right\n",
         {{"pci-0000:00:14.0-usb-0:3:1.0", "left"}, {"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)", "right"}}, ""},
        {"a = b = c\n", {{"a", "b = c"}}, ""},
        {"a = left\nno equals sign\n", {}, "line 2: not LOCATION = NAME"},
        {"= left\n", {}, "line 1: not LOCATION = NAME"},
        {"a =  \n", {}, "line 1: not LOCATION = NAME"},
        {"a = left\n# b\na = right\n", {}, "line 3: a is named twice"},
    };
    for (const Case &c : cases) {
        std::string error;
        const auto map = ParseSocketNameMap(c.text, error);
        EXPECT_EQ(map.has_value(), *c.error == '\0') << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        if (map) {
            EXPECT_EQ(*map, c.map) << c.text;
        }
    }
}

TEST(SocketNameMap, AMissingFileMapsNothingAndABadOneSaysWhere)
{
    test::TScratchFolder folder;
    std::string error;
    const auto none = ReadSocketNameMap(folder.File("socket-names"), error);
    ASSERT_TRUE(none.has_value()) << error;
    EXPECT_TRUE(none->empty());
    std::ofstream(folder.File("socket-names")) << "left\n";
    EXPECT_FALSE(ReadSocketNameMap(folder.File("socket-names"), error));
    EXPECT_EQ(error, folder.File("socket-names") + ", line 1: not LOCATION = NAME");
}

} // namespace
} // namespace morlith
