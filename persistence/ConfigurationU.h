// SPDX-License-Identifier: MIT
#pragma once
// The configuration: the serial port, and the station, operator and lot of a production line when
// they are set, kept in "Config.mlhxml" in the directory that was current when the configuration
// was created.

#include "ConfigurationUIntf.h"
#include "XMLOptionsSerializer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
    // Where and by whom modules are flashed, written into every operation record when set; kept
    // in the file only when set.
    const std::string &Station() const { return FStation; }
    const std::string &Operator() const { return FOperator; }
    const std::string &Lot() const { return FLot; }
    void SetStation(const std::string &Value) { FStation = Value; }
    void SetOperator(const std::string &Value) { FOperator = Value; }
    void SetLot(const std::string &Value) { FLot = Value; }
    // The public key files a package or data file must be signed by, separated by ';' (empty:
    // no signature asked for), and the same as a list with blanks around each name taken off.
    const std::string &TrustedKeys() const { return FTrustedKeys; }
    void SetTrustedKeys(const std::string &Value) { FTrustedKeys = Value; }
    std::vector<std::string> TrustedKeyFiles() const;
    // An application write sends no image to a controller that already holds the package (kept
    // in the file only when set).
    bool SkipIfCurrent() const { return FSkipIfCurrent; }
    void SetSkipIfCurrent(bool Value) { FSkipIfCurrent = Value; }

private:
    std::int32_t FPort = 0;
    std::string FStation;
    std::string FOperator;
    std::string FLot;
    std::string FTrustedKeys;
    bool FSkipIfCurrent = false;
};

// The reference-counted configuration object behind IConfigurationInterface.
class TConfiguration : public TInterfacedObject, public IConfigurationInterface {
public:
    // Binds the file "Config.mlhxml" in the current directory; reads nothing yet.
    TConfiguration();

    std::int32_t GetPort() override;
    void SetPort(std::int32_t Value) override;
    bool GetSkipIfCurrent() override { return FConfig->SkipIfCurrent(); }
    void SetSkipIfCurrent(bool Value) override { FConfig->SetSkipIfCurrent(Value); }
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
