#include "MainViewPresenter.h"

#include "AboutU.h"
#include "ConfigurationU.h"
#include "Loader.h"
#include "Loading.h"
#include "LoadingViewPresenter.h"
#include "ModelU.h"
#include "OptionsU.h"
#include "OptionsUPresenter.h"
#include "Slider.h"

#include <QWidget>

#include <iterator>

namespace morlith {

TMainViewPresenter::TMainViewPresenter(QWidget *HostPanel, IMainViewInterface *View)
    : FView(View), FHostPanel(HostPanel)
{
    FOptions = new TdlgOptions(FHostPanel);
    FOptionsPresenter = new TOptionsUPresenter(FOptions, ModelDM->Configuration);
    FOptions->SetPresenter(IntfPtr<IOptionsUPresenterInterface>(FOptionsPresenter));

    FLoading = new TdlgLoading(FHostPanel);
    FLoadingPresenter = new TLoadingViewPresenter(FLoading, ModelDM->Loader);
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

void TMainViewPresenter::UpdateCaption()
{
    if (const QWidget *page = FSlider->IncomingPage())
        FView->SetFormCaption(page->windowTitle().toStdString());
    const QWidget *const pages[] = {FOptions, FLoading, FAbout};
    const int index = FSlider->PageIndex();
    const auto captionAt = [&pages](int at) {
        return at >= 0 && at < static_cast<int>(std::size(pages))
                   ? pages[at]->windowTitle().toStdString()
                   : std::string();
    };
    FView->SetNeighbourPages(captionAt(index - 1), captionAt(index + 1));
}

} // namespace morlith
