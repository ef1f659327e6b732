// SPDX-License-Identifier: MIT
#include "OptionsU.h"

#include "FormStyle.h"
#include "PictureBox.h"
#include "Pictures.h"
#include "jvShape.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace morlith {

TdlgOptions::TdlgOptions(QWidget *owner) : QWidget(owner)
{
    setObjectName(QStringLiteral("dlgOptions"));
    setWindowTitle(tr("Options"));
    resize(604, 324);
    setFont(TahomaFont(11));

    FPanel1 = MakePanel(this, rect());
    FPanel1->setObjectName(QStringLiteral("Panel1"));
    FBevel1 = MakeBevel(FPanel1);
    FjvShape3 = MakePageBackground(FPanel1);
    FjvShape3->setFont(ConsolasFont(11));
    new TPictureBox(FPanel1, QRect(20, 32, 48, 48), kSerialPicture,
                    TPictureBox::TFit::Stretch);
    MakeHeading(FPanel1, QRect(96, 34, 40, 22), tr("Port"));

    FcbPort = new QComboBox(FPanel1);
    FcbPort->setObjectName(QStringLiteral("cbPort"));
    FcbPort->setAccessibleName(tr("Port"));
    FcbPort->setGeometry(96, 56, 81, 21);
    // The list opens as a scrolling list of about twenty ports, not a screen-tall popup (which
    // styles with a menu-like combo popup show, ignoring the row limit).
    FcbPort->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    FcbPort->setMaxVisibleItems(kPortListRows);
    auto *btnSave = MakeButton(FPanel1, QRect(184, 56, 75, 21), tr("Save"));
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setAccessibleName(tr("Save the port"));
    setTabOrder(FcbPort, btnSave);
    FcbSkipIfCurrent = new QCheckBox(tr("Skip writing an application the controller already holds"), FPanel1);
    FcbSkipIfCurrent->setObjectName(QStringLiteral("cbSkipIfCurrent"));
    FcbSkipIfCurrent->setGeometry(96, 92, 480, 21);
    setTabOrder(btnSave, FcbSkipIfCurrent);
    // clicked fires only when the operator ticks or clears it, not when the code sets it.
    connect(FcbSkipIfCurrent, &QCheckBox::clicked, this, [this](bool checked) {
        if (FPresenter)
            FPresenter->SkipIfCurrentChanged(checked);
    });

    // activated fires only when the operator picks an entry, not when the code selects one.
    connect(FcbPort, &QComboBox::activated, this, &TdlgOptions::cbPortChange);
    connect(btnSave, &QPushButton::clicked, this, &TdlgOptions::btnSaveClick);
    FormCreate();
}

void TdlgOptions::FormCreate()
{
    FcbPort->clear();
    for (int number = 1; number <= kPortCount; ++number)
        FcbPort->addItem(QStringLiteral("COM%1").arg(number));
    FcbPort->setCurrentIndex(0);
}

void TdlgOptions::SetPresenter(IntfPtr<IOptionsUPresenterInterface> Presenter)
{
    FPresenter = std::move(Presenter);
}

void TdlgOptions::SetPortIndex(int32_t Index)
{
    // An index outside the list (a hand-edited file) selects nothing.
    FcbPort->setCurrentIndex(Index >= 0 && Index < FcbPort->count() ? Index : -1);
}

void TdlgOptions::SetSkipIfCurrent(bool Skip) { FcbSkipIfCurrent->setChecked(Skip); }

void TdlgOptions::resizeEvent(QResizeEvent *)
{
    FPanel1->setGeometry(rect());
    LayOutPageBackground(FPanel1, FBevel1, FjvShape3);
}

void TdlgOptions::cbPortChange(int Index)
{
    if (FPresenter)
        FPresenter->PortChanged(Index);
}

void TdlgOptions::btnSaveClick()
{
    if (FPresenter)
        FPresenter->Save();
}

} // namespace morlith
