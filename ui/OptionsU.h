// SPDX-License-Identifier: MIT
#pragma once
// TdlgOptions: the Options page, where the operator picks the serial port and saves it.

#include "OptionsUIntf.h"
#include "OptionsUPresenterIntf.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;

namespace morlith {

class TjvShape;

// The page's controls carry their names as object names ("cbPort", "btnSave").
class TdlgOptions : public QWidget, public TNonCountedObject, public IOptionsUInterface {
    Q_OBJECT

public:
    // Number of entries of the port list, "COM1" .. "COM255".
    static constexpr int kPortCount = 255;
    // Rows the opened port list shows at once.
    static constexpr int kPortListRows = 20;

    // Creates the page inside `owner` with its port list filled and "COM1" selected.
    explicit TdlgOptions(QWidget *owner);

    // Takes the page's presenter; the page holds the only counted reference to it.
    void SetPresenter(IntfPtr<IOptionsUPresenterInterface> Presenter);

    // IOptionsUInterface.
    void SetPortIndex(int32_t Index) override;
    void SetSkipIfCurrent(bool Skip) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void cbPortChange(int Index);
    void btnSaveClick();

    QFrame *FPanel1 = nullptr;
    QFrame *FBevel1 = nullptr;
    TjvShape *FjvShape3 = nullptr;
    QComboBox *FcbPort = nullptr;
    QCheckBox *FcbSkipIfCurrent = nullptr;
    IntfPtr<IOptionsUPresenterInterface> FPresenter;
};

} // namespace morlith
