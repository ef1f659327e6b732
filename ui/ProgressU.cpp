// SPDX-License-Identifier: MIT
#include "ProgressU.h"

#include "FormStyle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace morlith {

TProgressDlg *ProgressDlg = nullptr;

TProgressDlg::TProgressDlg(QWidget *owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), FOwner(owner)
{
    setObjectName(QStringLiteral("ProgressDlg"));
    setWindowTitle(QStringLiteral("ProgressDlg"));
    setFixedSize(448, 110);
    setFont(ConsolasFont(19));
    UseFormPalette(this);

    QFrame *panel2 = MakePanel(this, QRect(0, 0, 448, 33));
    MakeGreenBar(panel2, QRect(1, 1, 446, 30));
    const QFont bold = ConsolasFont(19, true);
    MakeLabel(panel2, QRect(32, 4, 110, 22), tr("Processing:"), bold, Qt::white)
        ->adjustSize();
    FlbProcess = MakeLabel(panel2, QRect(152, 4, 20, 22), QStringLiteral("0%"), bold, Qt::white);
    FlbProcess->setObjectName(QStringLiteral("lbProcess"));

    QFrame *panel1 = MakePanel(this, QRect(0, 33, 448, 77));
    FProgress = new QProgressBar(panel1);
    FProgress->setObjectName(QStringLiteral("Progress"));
    FProgress->setAccessibleName(tr("Progress"));
    FProgress->setGeometry(24, 24, 401, 28);
    FProgress->setRange(0, 100);
    FProgress->setTextVisible(false);
    FProgress->setValue(50);
    QPalette palette = FProgress->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 128, 192));
    FProgress->setPalette(palette);
    FormCreate();
}

void TProgressDlg::FormCreate()
{
    FLastUpdate = TClock::now();
}

void TProgressDlg::SetProgress(int32_t Percent)
{
    const auto sinceLast = std::chrono::duration_cast<std::chrono::milliseconds>(
        TClock::now() - FLastUpdate);
    if (sinceLast.count() <= kRefreshIntervalMs)
        return;
    FlbProcess->setText(QString::number(Percent) + QLatin1Char('%'));
    FlbProcess->adjustSize();
    FLastUpdate = TClock::now();
    FProgress->setValue(std::clamp(Percent, 0, 100));
    QCoreApplication::processEvents();
}

void TProgressDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TProgressDlg::CentreOnOwner()
{
    QRect area = FOwner ? FOwner->frameGeometry() : QRect();
    if (area.isEmpty() && screen())
        area = screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void TProgressDlg::showEvent(QShowEvent *event)
{
    CentreOnOwner();
    QWidget::showEvent(event);
    // A window manager may place a window by its own rules when it first maps it: once mapped,
    // the dialog is put back in the middle of its owner.
    QTimer::singleShot(0, this, &TProgressDlg::CentreOnOwner);
}

} // namespace morlith
