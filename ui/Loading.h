// SPDX-License-Identifier: MIT
#pragma once
// TdlgLoading: the Loading page, where the operator connects and writes or reads the module.

#include "LoadingViewIntf.h"
#include "LoadingViewPresenterIntf.h"

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace morlith {

class TjvShape;

// Every handler only forwards to the presenter. The controls carry their names as object names
// ("cbMCU", "btnConnect", "edtAppFileName", ...).
class TdlgLoading : public QWidget, public TNonCountedObject, public ILoadingViewInterface {
    Q_OBJECT

public:
    // Creates the page inside `owner` with "Main" selected.
    explicit TdlgLoading(QWidget *owner);

    // Takes the page's presenter; the page holds the only counted reference to it.
    void SetPresenter(IntfPtr<ILoadingViewPresenterInterface> Presenter);

    // ILoadingViewInterface.
    void UpdateView(const TStatusView &Status) override;
    void SetAppFileName(const std::string &FileName) override;
    void SetDataFileName(const std::string &FileName) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void BuildControllerRow();
    void BuildApplicationRow();
    void BuildDataRow();
    void SetTabOrder();
    void ConnectHandlers();
    void FormCreate();
    // Calls `action` on the presenter, if there is one.
    void Forward(void (ILoadingViewPresenterInterface::*action)());

    QFrame *FPanel3 = nullptr;
    QFrame *FBevel1 = nullptr;
    TjvShape *FjvShape3 = nullptr;
    QComboBox *FcbMCU = nullptr;
    QPushButton *FbtnConnect = nullptr;
    QPushButton *FbtnDisconnect = nullptr;
    // What the chosen controller holds, once connected.
    QLabel *FlbHolding = nullptr;
    QLineEdit *FedtAppFileName = nullptr;
    QPushButton *FbtnOpenAppFile = nullptr;
    QPushButton *FbtnWriteApp = nullptr;
    QLineEdit *FedtDataFileName = nullptr;
    QPushButton *FbtnOpenDataFile = nullptr;
    QPushButton *FbtnReadData = nullptr;
    QPushButton *FbtnWriteData = nullptr;
    IntfPtr<ILoadingViewPresenterInterface> FPresenter;
};

} // namespace morlith
