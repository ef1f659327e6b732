#include "OptionsUPresenter.h"

#include "DialogsIntf.h"

namespace morlith {

TOptionsUPresenter::TOptionsUPresenter(IOptionsUInterface *View,
                                       IConfigurationInterface *Configuration)
    : FConfiguration(Configuration), FView(View)
{
    FView->SetPortIndex(FConfiguration->GetPort());
}

void TOptionsUPresenter::PortChanged(int32_t Index) { FConfiguration->SetPort(Index); }

void TOptionsUPresenter::Save()
{
    if (!FConfiguration->Save())
        Dialogs().ShowError(kSaveErrorText, FConfiguration->GetLastFailure());
}

} // namespace morlith
