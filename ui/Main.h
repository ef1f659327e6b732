// SPDX-License-Identifier: MIT
#pragma once
// TdlgMain: the main window: a green top bar with two arrows and the page caption, above the
// panel in which the Options, Loading and About pages slide.

#include "MainViewIntf.h"
#include "MainViewPresenterIntf.h"

#include <QWidget>

class QAbstractButton;
class QLabel;
class QAbstractButton;

namespace morlith {

class TMainViewPresenter;

// Every handler only forwards to the presenter. The controls carry their names as object names
// ("btnMoveToLeft", "lbFormCaption", "pnlBG", ...).
class TdlgMain : public QWidget, public TNonCountedObject, public IMainViewInterface {
    Q_OBJECT

public:
    // Client area of the window, in pixels.
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 364;

    // Builds the window, its presenter and the pages; the Loading page is shown.
    TdlgMain();
    // Releases the presenter (which frees the slider); the pages go with the host panel.
    ~TdlgMain() override;

    // IMainViewInterface.
    void SetFormCaption(const std::string &Caption) override;
    void SetNeighbourPages(const std::string &Previous, const std::string &Next) override;

    // The presenter, for inspection.
    TMainViewPresenter &Presenter() const { return *FPresenterObject; }

protected:
    void showEvent(QShowEvent *event) override;
    // Refused while an operation runs on the module.
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildTopBar();
    void FormCreate();
    void btnMoveToRightClick();
    void btnMoveToLeftClick();

    QWidget *FpnlBG = nullptr;
    QLabel *FlbFormCaption = nullptr;
    QAbstractButton *FbtnMoveToRight = nullptr;
    QAbstractButton *FbtnMoveToLeft = nullptr;
    TMainViewPresenter *FPresenterObject = nullptr;
    IntfPtr<IMainViewPresenterInterface> FPresenter;
    bool FCentred = false;
};

} // namespace morlith
