// SPDX-License-Identifier: MIT
#pragma once
// The configuration: one persisted setting, the serial port, kept in "Config.mlhxml" in the
// directory that was current when the configuration was created.

#include "ConfigurationUIntf.h"
#include "XMLOptionsSerializer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace morlith {

// Name of the configuration file.
inline constexpr const char *kConfigFileName = "Config.mlhxml";

// The persisted settings.
class TConfig : public TXMLClass {
public:
    using TXMLClass::TXMLClass;
    const TPropertyTable &Properties() const override;

    // Position of the chosen port, 0 for COM1 (default 0; not range-checked).
    std::int32_t Port() const { return FPort; }
    void SetPort(std::int32_t Value) { FPort = Value; }

private:
    std::int32_t FPort = 0;
};

// The reference-counted configuration object behind IConfigurationInterface.
class TConfiguration : public TInterfacedObject, public IConfigurationInterface {
public:
    // Binds the file "Config.mlhxml" in the current directory; reads nothing yet.
    TConfiguration();

    std::int32_t GetPort() override;
    void SetPort(std::int32_t Value) override;
    bool Save() override;
    bool Load() override;
    std::string GetLastFailure() override;
    std::string GetFilePath() override { return FilePath(); }

    // The persisted settings.
    TConfig &Config() const { return *FConfig; }
    // The serializer bound to the file (its LastError says why a load or save failed).
    TXMLOptionsSerializer &Serializer() const { return *FSerializer; }
    // Full path of the configuration file.
    const std::string &FilePath() const { return FSerializer->XMLFilePath(); }

protected:
    // Destroys the serializer, then Config. Reached through Release only.
    ~TConfiguration() override;

private:
    std::unique_ptr<TConfig> FConfig;
    std::unique_ptr<TXMLOptionsSerializer> FSerializer;
};

} // namespace morlith
