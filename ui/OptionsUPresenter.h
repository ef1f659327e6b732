#pragma once
// TOptionsUPresenter: carries the port picked on the Options page into the configuration.

#include "ConfigurationUIntf.h"
#include "OptionsUIntf.h"
#include "OptionsUPresenterIntf.h"

namespace morlith {

// The message shown when the configuration cannot be saved.
inline constexpr const char *kSaveErrorText = "Save error";

class TOptionsUPresenter : public TInterfacedObject, public IOptionsUPresenterInterface {
public:
    // Takes the page and the configuration and shows the configured port in the page.
    TOptionsUPresenter(IOptionsUInterface *View, IConfigurationInterface *Configuration);

    // IOptionsUPresenterInterface.
    void PortChanged(int32_t Index) override;
    // Saves the configuration; a failed save is shown to the operator with its reason.
    void Save() override;

protected:
    // Releases the view and the configuration. Reached through Release only.
    ~TOptionsUPresenter() override = default;

private:
    IntfPtr<IConfigurationInterface> FConfiguration;
    IntfPtr<IOptionsUInterface> FView;
};

} // namespace morlith
