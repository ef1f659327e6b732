// SPDX-License-Identifier: MIT
#pragma once
// TOptionsUPresenter: carries the port picked on the Options page into the configuration.

#include "ConfigurationUIntf.h"
#include "OptionsUIntf.h"
#include "OptionsUPresenterIntf.h"

#include <QtGlobal>

namespace morlith {

// The title of the box shown when the configuration cannot be saved (translated when shown).
inline constexpr const char *kSaveErrorText = QT_TRANSLATE_NOOP("morlith::TOptionsUPresenter",
                                                                "Save error");

class TOptionsUPresenter : public TInterfacedObject, public IOptionsUPresenterInterface {
public:
    // Takes the page and the configuration and shows the configured port in the page.
    TOptionsUPresenter(IOptionsUInterface *View, IConfigurationInterface *Configuration);

    // IOptionsUPresenterInterface.
    void PortChanged(int32_t Index) override;
    void SkipIfCurrentChanged(bool Skip) override;
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
