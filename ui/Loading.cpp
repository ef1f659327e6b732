// SPDX-License-Identifier: MIT
#include "Loading.h"

#include "FormStyle.h"
#include "PictureBox.h"
#include "Pictures.h"
#include "jvShape.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace morlith {
namespace {

// A display-only path field: disabled for good.
QLineEdit *MakeFileNameField(QWidget *parent, const QRect &geometry, const char *name)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    field->setReadOnly(true);
    field->setEnabled(false);
    return field;
}

// A button with its object name and the name a screen reader says.
QPushButton *MakeNamedButton(QWidget *parent, const QRect &geometry, const QString &text,
                             const char *name, const QString &spokenName)
{
    auto *button = MakeButton(parent, geometry, text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(spokenName);
    return button;
}

// The "..." button of a file row.
QPushButton *MakeBrowseButton(QWidget *parent, const QRect &geometry, const char *name,
                              const QString &spokenName)
{
    auto *button = MakeNamedButton(parent, geometry, QStringLiteral("..."), name, spokenName);
    button->setFont(TahomaFont(12));
    return button;
}

// The parts of a file row that the page keeps.
struct TFileRow {
    QLineEdit *field;
    QPushButton *browse;
};

// A file row: a centred picture at `pictureTop`, a heading (also the field's spoken name), the
// path field at `fieldTop` and its "..." button.
TFileRow MakeFileRow(QWidget *parent, int pictureTop, int fieldTop, const char *picture,
                     const QRect &heading, const QString &headingText, const char *fieldName,
                     const char *browseName, const QString &browseSpokenName)
{
    new TPictureBox(parent, QRect(24, pictureTop, 48, 48), picture, TPictureBox::TFit::Center);
    MakeHeading(parent, heading, headingText);
    QLineEdit *field = MakeFileNameField(parent, QRect(96, fieldTop, 433, 22), fieldName);
    field->setAccessibleName(headingText);
    return {field, MakeBrowseButton(parent, QRect(529, fieldTop, 22, 22), browseName,
                                    browseSpokenName)};
}

} // namespace

TdlgLoading::TdlgLoading(QWidget *owner) : QWidget(owner)
{
    setObjectName(QStringLiteral("dlgLoading"));
    setWindowTitle(tr("Loading"));
    resize(604, 342);
    setFont(ConsolasFont(12));

    FPanel3 = MakePanel(this, rect());
    FPanel3->setObjectName(QStringLiteral("Panel3"));
    FBevel1 = MakeBevel(FPanel3);
    FjvShape3 = MakePageBackground(FPanel3);
    BuildControllerRow();
    BuildApplicationRow();
    BuildDataRow();
    SetTabOrder();
    ConnectHandlers();
    FormCreate();
}

void TdlgLoading::BuildControllerRow()
{
    new TPictureBox(FPanel3, QRect(20, 32, 52, 52), kChipPicture, TPictureBox::TFit::Stretch);
    const QString heading = tr("MCU");
    MakeHeading(FPanel3, QRect(96, 34, 30, 22), heading);
    FcbMCU = new QComboBox(FPanel3);
    FcbMCU->setObjectName(QStringLiteral("cbMCU"));
    FcbMCU->setAccessibleName(heading);
    FcbMCU->setGeometry(96, 56, 113, 22);
    FcbMCU->addItems({tr("Main"), tr("Main.Slave #1"), tr("Main.Slave #2"), tr("Main.Slave #3"),
                      tr("Main.Slave #4")});
    FbtnConnect = MakeNamedButton(FPanel3, QRect(216, 56, 89, 21), tr("Connect"), "btnConnect",
                                  tr("Connect"));
    FbtnDisconnect = MakeNamedButton(FPanel3, QRect(312, 56, 89, 21), tr("Disconnect"),
                                     "btnDisconnect", tr("Disconnect"));
    FlbHolding = new QLabel(FPanel3);
    FlbHolding->setObjectName(QStringLiteral("lbHolding"));
    FlbHolding->setGeometry(96, 82, 455, 22);
}

void TdlgLoading::BuildApplicationRow()
{
    const TFileRow row = MakeFileRow(FPanel3, 124, 152, kGearsPicture, QRect(96, 130, 160, 22),
                                     tr("Application file"), "edtAppFileName", "btnOpenAppFile",
                                     tr("Choose the application file"));
    FedtAppFileName = row.field;
    FbtnOpenAppFile = row.browse;
    FbtnWriteApp = MakeNamedButton(FPanel3, QRect(462, 180, 89, 21), tr("Write"), "btnWriteApp",
                                   tr("Write the application"));
}

void TdlgLoading::BuildDataRow()
{
    const TFileRow row = MakeFileRow(FPanel3, 213, 240, kDataFilePicture, QRect(96, 218, 90, 22),
                                     tr("DSEG file"), "edtDataFileName", "btnOpenDataFile",
                                     tr("Choose the DSEG file"));
    FedtDataFileName = row.field;
    FbtnOpenDataFile = row.browse;
    FbtnReadData = MakeNamedButton(FPanel3, QRect(366, 268, 89, 21), tr("Read"), "btnReadData",
                                   tr("Read the data segment"));
    FbtnWriteData = MakeNamedButton(FPanel3, QRect(462, 268, 89, 21), tr("Write"),
                                    "btnWriteData", tr("Write the data segment"));
}

void TdlgLoading::SetTabOrder()
{
    QWidget *const order[] = {FcbMCU,           FbtnConnect,     FbtnDisconnect,
                              FbtnOpenAppFile,  FedtAppFileName, FbtnOpenDataFile,
                              FedtDataFileName, FbtnWriteApp,    FbtnReadData,
                              FbtnWriteData};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TdlgLoading::ConnectHandlers()
{
    // activated fires only when the operator picks an entry, not when the code selects one.
    connect(FcbMCU, &QComboBox::activated, this, [this](int index) {
        if (FPresenter)
            FPresenter->SetMCUIndex(index);
    });
    const std::pair<QPushButton *, void (ILoadingViewPresenterInterface::*)()> clicks[] = {
        {FbtnConnect, &ILoadingViewPresenterInterface::Connect},
        {FbtnDisconnect, &ILoadingViewPresenterInterface::Disconnect},
        {FbtnOpenAppFile, &ILoadingViewPresenterInterface::OpenAppFile},
        {FbtnWriteApp, &ILoadingViewPresenterInterface::WriteApp},
        {FbtnOpenDataFile, &ILoadingViewPresenterInterface::OpenDataFile},
        {FbtnReadData, &ILoadingViewPresenterInterface::ReadData},
        {FbtnWriteData, &ILoadingViewPresenterInterface::WriteData},
    };
    for (const auto &[button, action] : clicks)
        connect(button, &QPushButton::clicked, this, [this, action = action] { Forward(action); });
}

void TdlgLoading::FormCreate()
{
    FcbMCU->setCurrentIndex(0);
}

void TdlgLoading::Forward(void (ILoadingViewPresenterInterface::*action)())
{
    if (FPresenter)
        (FPresenter.get()->*action)();
}

void TdlgLoading::SetPresenter(IntfPtr<ILoadingViewPresenterInterface> Presenter)
{
    FPresenter = std::move(Presenter);
}

void TdlgLoading::UpdateView(const TStatusView &Status)
{
    const bool connected = Status.Connected;
    FcbMCU->setEnabled(!connected);
    FbtnConnect->setEnabled(!connected);
    FbtnDisconnect->setEnabled(connected);
    FbtnOpenAppFile->setEnabled(connected);
    FbtnOpenDataFile->setEnabled(connected);
    FbtnWriteApp->setEnabled(connected && !Status.AppFileName.empty());
    FbtnReadData->setEnabled(connected && !Status.DataFileName.empty());
    FbtnWriteData->setEnabled(connected && !Status.DataFileName.empty());
    FlbHolding->setText(QString::fromStdString(Status.Holding));
}

void TdlgLoading::SetAppFileName(const std::string &FileName)
{
    FedtAppFileName->setText(QString::fromStdString(FileName));
}

void TdlgLoading::SetDataFileName(const std::string &FileName)
{
    FedtDataFileName->setText(QString::fromStdString(FileName));
}

void TdlgLoading::resizeEvent(QResizeEvent *)
{
    FPanel3->setGeometry(rect());
    LayOutPageBackground(FPanel3, FBevel1, FjvShape3);
}

} // namespace morlith
