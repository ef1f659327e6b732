// SPDX-License-Identifier: MIT
#include "CliFixture.h"

#include <regex>

#include "PackageBuilder.h"

#include <fstream>

namespace morlith::test {

// morlith-cli itself: the process runner serves the other tools' tests too.
TCliProcess::TCliProcess(const std::vector<std::string> &arguments, const std::string &folder, uid_t runAs,
                         const std::string &input)
    : TCliProcess(TProgram{MORLITH_CLI_EXECUTABLE}, arguments, folder, runAs, input)
{
}

TCliRun RunCli(const std::vector<std::string> &arguments, const std::string &folder)
{
    return TCliProcess(arguments, folder).Finish();
}

TCliRun RunCliWithInput(const std::vector<std::string> &arguments, const std::string &input, const std::string &folder)
{
    return TCliProcess(arguments, folder, 0, input).Finish();
}

std::string CliTest::WriteBytes(const std::string &name, const std::vector<uint8_t> &bytes) const
{
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

void CliTest::WriteSerialRecipe(const std::string &name) const
{
    WritePackage("main.xml", Pattern(120, 1), 64);
    WriteBytes("settings.bin", std::vector<uint8_t>(40, 0));
    WriteText(File("serials.counter"), "1041\n");
    WriteText(File(name), R"(lot = "L-17"
[[step]]
write-app = "main.xml"
mcu = [0, 3]
[[step]]
write-dseg = "settings.bin"
serial = { counter = "serials.counter", offset = 8, width = 4 }
verify = true
[[step]]
read-dseg = "readout-{serial}.bin"
)");
}

std::string CliTest::WritePackage(const std::string &name, const std::vector<uint8_t> &plain, uint16_t word3) const
{
    const TPackageBytes package = BuildPackageBytes(plain, word3);
    std::string why;
    EXPECT_TRUE(SavePackageFile(File(name), package.Header, package.KeyedImage, 0, &why)) << why;
    return File(name);
}

TModuleServer &CliTest::ServeSegment(int port, size_t bytes, unsigned seed)
{
    TModuleServerOptions options;
    options.dataSegmentBytes = bytes;
    options.dataSegmentForAll = Pattern(bytes, seed);
    return Ports.Serve(port, options);
}

std::vector<uint8_t> CliTest::ProgramMemory(TModuleServer &server, int index)
{
    return server.WithModule([index](TVirtualModule &module) { return module.Controller(index).programMemory; });
}

std::vector<uint8_t> Pattern(size_t size, unsigned seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(i * 7 + seed * 13 + (i >> 8));
    return bytes;
}

size_t CountOf(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string Unstamped(const std::string &jsonLines)
{
    static const std::regex stamp(R"("schema":1,"time":"[0-9T:.Z-]+",)");
    return std::regex_replace(jsonLines, stamp, "");
}

} // namespace morlith::test
