// SPDX-License-Identifier: MIT
#include "ConfigurationU.h"

#include "PathText.h"

#include <filesystem>
#include <system_error>

namespace morlith {

namespace {

// The current directory followed by the file name; the bare name when the current directory
// cannot be determined (it was removed, for instance).
std::string ConfigFilePathInCurrentDirectory()
{
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    if (error)
        return kConfigFileName;
    return Utf8OfPath(directory) + "/" + kConfigFileName;
}

} // namespace

const TPropertyTable &TConfig::Properties() const
{
    static const TPropertyTable Table =
        TPropertyTableOf<TConfig>("TConfig", TXMLClass::Properties())
                                             .Integer("Port", &TConfig::FPort)
                                             .OptionalString("Station", &TConfig::FStation)
                                             .OptionalString("Operator", &TConfig::FOperator)
                                             .OptionalString("Lot", &TConfig::FLot)
                                             .OptionalString("TrustedKeys", &TConfig::FTrustedKeys)
                                             .OptionalBoolean("SkipIfCurrent", &TConfig::FSkipIfCurrent);
    return Table;
}

std::vector<std::string> TConfig::TrustedKeyFiles() const
{
    std::vector<std::string> files;
    size_t start = 0;
    while (start <= FTrustedKeys.size()) {
        size_t end = FTrustedKeys.find(';', start);
        if (end == std::string::npos)
            end = FTrustedKeys.size();
        const size_t first = FTrustedKeys.find_first_not_of(" \t", start);
        const size_t last = FTrustedKeys.find_last_not_of(" \t", end == 0 ? 0 : end - 1);
        if (first != std::string::npos && first < end && last != std::string::npos && last >= first)
            files.push_back(FTrustedKeys.substr(first, last - first + 1));
        start = end + 1;
    }
    return files;
}

TConfiguration::TConfiguration()
    : FConfig(TXMLClass::Create<TConfig>(nullptr)), FSerializer(std::make_unique<TXMLOptionsSerializer>())
{
    FSerializer->SetXMLFilePath(ConfigFilePathInCurrentDirectory());
    FSerializer->SetApplicationName("ORVELMorlith");
    FSerializer->SetRootNodeName("config");
    FSerializer->SetVersion(1);
    FSerializer->SetXMLObject(FConfig.get());
}

TConfiguration::~TConfiguration()
{
    FSerializer.reset();
    FConfig.reset();
}

std::int32_t TConfiguration::GetPort()
{
    return FConfig->Port();
}

void TConfiguration::SetPort(std::int32_t Value)
{
    FConfig->SetPort(Value);
}

bool TConfiguration::Save()
{
    FSerializer->Save();
    return FSerializer->LastError().empty();
}

bool TConfiguration::Load()
{
    FSerializer->Load();
    return true;
}

std::string TConfiguration::GetLastFailure()
{
    return FSerializer->LastError();
}

} // namespace morlith
