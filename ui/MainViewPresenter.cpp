// SPDX-License-Identifier: MIT
#include "MainViewPresenter.h"

#include "AboutU.h"
#include "ConfigurationU.h"
#include "Loader.h"
#include "Loading.h"
#include "LoadingViewPresenter.h"
#include "ModelU.h"
#include "Operations.h"
#include "OptionsU.h"
#include "OptionsUPresenter.h"
#include "Slider.h"

#include <QWidget>

#include <iterator>

namespace morlith {
namespace {

// A page form's own caption ("Options", "Loading", "About"); empty for no page.
std::string CaptionOf(const QWidget *page)
{
    return page ? page->windowTitle().toStdString() : std::string();
}

} // namespace

TMainViewPresenter::TMainViewPresenter(QWidget *HostPanel, IMainViewInterface *View)
    : FView(View), FHostPanel(HostPanel)
{
    FOptions = new TdlgOptions(FHostPanel);
    FOptionsPresenter = new TOptionsUPresenter(FOptions, ModelDM->Configuration);
    FOptions->SetPresenter(IntfPtr<IOptionsUPresenterInterface>(FOptionsPresenter));

    FLoading = new TdlgLoading(FHostPanel);
    FLoadingPresenter = new TLoadingViewPresenter(FLoading, ModelDM->Loader, ModelDM->Operations,
                                                  ModelDM->Configuration);
    FLoading->SetPresenter(IntfPtr<ILoadingViewPresenterInterface>(FLoadingPresenter));

    FAbout = new TdlgAbout(FHostPanel);

    FSlider = std::make_unique<TSlider>();
    FSlider->SetPageWidth(FHostPanel->width());
    FSlider->SetPageHeight(FHostPanel->height());
    for (QWidget *page : {static_cast<QWidget *>(FOptions), static_cast<QWidget *>(FLoading),
                          static_cast<QWidget *>(FAbout)}) {
        page->hide();
        FSlider->AddPage(page);
    }
    FSlider->OnPageChanged = [this](TSlider *) { UpdateCaption(); };
    FSlider->ShowPage(piLoading);
}

TMainViewPresenter::~TMainViewPresenter() = default;

void TMainViewPresenter::MoveToLeft() { FSlider->MoveNext(FSlider->PageIndex() + 1); }

void TMainViewPresenter::MoveToRight() { FSlider->MovePrev(FSlider->PageIndex() - 1); }

bool TMainViewPresenter::CanClose()
{
    // Closing in the middle of a write would leave the module half-written, unseen.
    return !FLoadingPresenter->Busy();
}

void TMainViewPresenter::UpdateCaption()
{
    if (const QWidget *page = FSlider->IncomingPage())
        FView->SetFormCaption(CaptionOf(page));
    const int shown = FSlider->PageIndex();
    FView->SetNeighbourPages(CaptionOf(FSlider->Page(shown - 1)),
                             CaptionOf(FSlider->Page(shown + 1)));
}

} // namespace morlith
