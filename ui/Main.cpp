// SPDX-License-Identifier: MIT
#include "Main.h"

#include "FormStyle.h"
#include "FlatButton.h"
#include "MainViewPresenter.h"
#include "PictureBox.h"
#include "Pictures.h"
#include "jvShape.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeySequence>
#include <QShortcut>
#include <QLabel>
#include <QScreen>

namespace morlith {
namespace {

// The keys of the two page arrows.
const QKeySequence kPreviousPageKey(Qt::ALT | Qt::Key_Left);
const QKeySequence kNextPageKey(Qt::ALT | Qt::Key_Right);

} // namespace

TdlgMain::TdlgMain()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("dlgMain"));
    setWindowTitle(QStringLiteral("Morlith"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(ConsolasFont(12));
    UseFormPalette(this);
    BuildTopBar();
    FpnlBG = new QWidget(this);
    FpnlBG->setObjectName(QStringLiteral("pnlBG"));
    FpnlBG->setGeometry(0, 41, 600, 323);
    FormCreate();
}

TdlgMain::~TdlgMain()
{
    FPresenter.reset();
}

void TdlgMain::BuildTopBar()
{
    QFrame *panel1 = MakePanel(this, QRect(0, 0, 600, 41));
    panel1->setObjectName(QStringLiteral("Panel1"));
    MakeGreenBar(panel1, QRect(1, 1, 598, 39));
    new TPictureBox(panel1, QRect(25, 5, 30, 30), kArrowLeftPicture,
                    TPictureBox::TFit::Stretch);
    new TPictureBox(panel1, QRect(63, 5, 30, 30), kArrowRightPicture,
                    TPictureBox::TFit::Stretch);
    // Named after the way the pages move: the left arrow moves them right (previous page).
    FbtnMoveToRight = new TFlatButton(panel1, QRect(26, 6, 28, 28));
    FbtnMoveToRight->setObjectName(QStringLiteral("btnMoveToRight"));
    FbtnMoveToLeft = new TFlatButton(panel1, QRect(64, 6, 28, 28));
    FbtnMoveToLeft->setObjectName(QStringLiteral("btnMoveToLeft"));
    connect(FbtnMoveToRight, &TFlatButton::clicked, this, &TdlgMain::btnMoveToRightClick);
    connect(FbtnMoveToLeft, &TFlatButton::clicked, this, &TdlgMain::btnMoveToLeftClick);
    // The same moves without a mouse.
    connect(new QShortcut(kPreviousPageKey, this), &QShortcut::activated, this,
            &TdlgMain::btnMoveToRightClick);
    connect(new QShortcut(kNextPageKey, this), &QShortcut::activated, this,
            &TdlgMain::btnMoveToLeftClick);

    FlbFormCaption = MakeLabel(panel1, QRect(192, 10, 185, 23), QString(), TahomaFont(16, true),
                               Qt::white);
    FlbFormCaption->setObjectName(QStringLiteral("lbFormCaption"));
    FlbFormCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void TdlgMain::FormCreate()
{
    FPresenterObject = new TMainViewPresenter(FpnlBG, this);
    FPresenter = IntfPtr<IMainViewPresenterInterface>(FPresenterObject);
}

void TdlgMain::SetFormCaption(const std::string &Caption)
{
    FlbFormCaption->setText(QString::fromStdString(Caption));
}

void TdlgMain::SetNeighbourPages(const std::string &Previous, const std::string &Next)
{
    // "Options (Alt+Left)": the page an arrow leads to and its key.
    const auto hint = [](const std::string &page, const QKeySequence &key) {
        if (page.empty())
            return QString();
        return QStringLiteral("%1 (%2)").arg(QString::fromStdString(page),
                                             key.toString(QKeySequence::NativeText));
    };
    FbtnMoveToRight->setToolTip(hint(Previous, kPreviousPageKey));
    FbtnMoveToLeft->setToolTip(hint(Next, kNextPageKey));
    const auto name = [](const std::string &Page) {
        return Page.empty() ? tr("No further page")
                            : tr("Go to %1").arg(QString::fromStdString(Page));
    };
    FbtnMoveToRight->setAccessibleName(name(Previous));
    FbtnMoveToLeft->setAccessibleName(name(Next));
}

void TdlgMain::btnMoveToRightClick() { FPresenter->MoveToRight(); }

void TdlgMain::btnMoveToLeftClick() { FPresenter->MoveToLeft(); }

void TdlgMain::closeEvent(QCloseEvent *event)
{
    if (FPresenter->CanClose())
        event->accept();
    else
        event->ignore();
}

void TdlgMain::showEvent(QShowEvent *event)
{
    // Centred on the screen when first shown.
    if (!FCentred && screen()) {
        FCentred = true;
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }
    QWidget::showEvent(event);
}

} // namespace morlith
