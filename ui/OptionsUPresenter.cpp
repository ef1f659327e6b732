// SPDX-License-Identifier: MIT
#include "OptionsUPresenter.h"

#include "DialogsIntf.h"
#include "FailureHints.h"

#include <QCoreApplication>

namespace morlith {

TOptionsUPresenter::TOptionsUPresenter(IOptionsUInterface *View,
                                       IConfigurationInterface *Configuration)
    : FConfiguration(Configuration), FView(View)
{
    FView->SetPortIndex(FConfiguration->GetPort());
    FView->SetSkipIfCurrent(FConfiguration->GetSkipIfCurrent());
}

void TOptionsUPresenter::SkipIfCurrentChanged(bool Skip) { FConfiguration->SetSkipIfCurrent(Skip); }

void TOptionsUPresenter::PortChanged(int32_t Index) { FConfiguration->SetPort(Index); }

void TOptionsUPresenter::Save()
{
    if (FConfiguration->Save())
        return;
    // The configuration says why in a sentence; the box names the file and what to do.
    TFailure failure = MakeFailure(TFailureKind::fkFile, FConfiguration->GetLastFailure());
    failure.Step = kSaveConfigurationStep;
    failure.Path = FConfiguration->GetFilePath();
    Dialogs().ShowFailure(
        QCoreApplication::translate("morlith::TOptionsUPresenter", kSaveErrorText).toStdString(),
        failure);
}

} // namespace morlith
