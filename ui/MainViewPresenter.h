// SPDX-License-Identifier: MIT
#pragma once
// TMainViewPresenter: builds the three pages with their presenters and slides between them.

#include "MainViewIntf.h"
#include "MainViewPresenterIntf.h"

#include <memory>

class QWidget;

namespace morlith {

class TdlgAbout;
class TdlgLoading;
class TdlgOptions;
class TLoadingViewPresenter;
class TOptionsUPresenter;
class TSlider;

// Index of each page in the slider.
enum TPageIndex : int { piOptions = 0, piLoading = 1, piAbout = 2 };

class TMainViewPresenter : public TInterfacedObject, public IMainViewPresenterInterface {
public:
    // Builds the Options, Loading and About pages in `HostPanel` with their presenters, puts them
    // in the slider and shows the Loading page.
    TMainViewPresenter(QWidget *HostPanel, IMainViewInterface *View);

    // IMainViewPresenterInterface.
    void MoveToLeft() override;
    void MoveToRight() override;
    bool CanClose() override;

    // The slider, for inspection.
    TSlider &Slider() const { return *FSlider; }
    // The Loading page's presenter, for inspection.
    TLoadingViewPresenter &LoadingPresenter() const { return *FLoadingPresenter; }

protected:
    // Frees the slider; the pages belong to the host panel.
    ~TMainViewPresenter() override;

private:
    void UpdateCaption();

    IntfPtr<IMainViewInterface> FView;
    QWidget *FHostPanel;
    std::unique_ptr<TSlider> FSlider;
    TdlgOptions *FOptions = nullptr;
    TdlgLoading *FLoading = nullptr;
    TdlgAbout *FAbout = nullptr;
    TLoadingViewPresenter *FLoadingPresenter = nullptr;
    TOptionsUPresenter *FOptionsPresenter = nullptr;
};

} // namespace morlith
