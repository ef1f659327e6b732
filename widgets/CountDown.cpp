// SPDX-License-Identifier: MIT
#include "CountDown.h"

#include "ProcessTimer.h"
#include "RoundRobin.h"
#include "jvShape.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

namespace morlith {

TCountDownDlg *CountDownDlg = nullptr;

namespace {

// Places (left, top) of the circles, clockwise from the top.
constexpr int kCirclePlaces[TCountDownDlg::kCircleCount][2] = {
    {90, 16}, {132, 35}, {151, 76}, {135, 116}, {90, 135}, {46, 116}, {30, 76}, {49, 35},
};

} // namespace

TCountDownDlg::TCountDownDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setFixedSize(kFormWidth, kFormHeight);
    setModal(true);
    // The red background is never seen: the window is masked to the circles.
    QPalette red = palette();
    red.setColor(QPalette::Window, Qt::red);
    setPalette(red);
    setAutoFillBackground(true);

    for (int i = 0; i < kCircleCount; ++i)
        FShapes[static_cast<size_t>(i)] = CreateCircle(kCirclePlaces[i][0], kCirclePlaces[i][1]);

    FProcessTimer = new TProcessTimer(this);
    FProcessTimer->SetExecutingMode(TTimerExecutingMode::temByTicks);
    FProcessTimer->SetInterval(kTickIntervalMs);
    FProcessTimer->SetMaxTickCount(kTicks);
    FProcessTimer->OnTimer = [this](TProcessTimer *sender) { ProcessTimerTimer(sender); };
    FProcessTimer->OnStop = [this](TProcessTimer *sender) { ProcessTimerStop(sender); };
    FormCreate();
}

TCountDownDlg::~TCountDownDlg()
{
    FormDestroy();
}

TjvShape *TCountDownDlg::CreateCircle(int left, int top)
{
    auto *circle = new TjvShape(this);
    circle->setGeometry(left, top, kCircleSize, kCircleSize);
    circle->SetShape(TjvShapeType::jstCircle);
    circle->SetBrush(QColor(Qt::cyan));
    circle->SetGradientColor(QColor(Qt::blue));
    circle->SetFillDirection(TjvFillDirection::jgdSWNE);
    QPen pen(Qt::NoPen);
    pen.setColor(Qt::gray);
    circle->SetPen(pen);
    circle->SetGradient(true);
    circle->SetCaptionX(0);
    circle->SetCaptionY(0);
    circle->SetbyUser(true);
    return circle;
}

void TCountDownDlg::FormCreate()
{
    // Qt widgets are double-buffered already, so the recoloured circles never flicker.
    FRoundRobin = std::make_unique<TRoundRobin>();
    for (TjvShape *circle : FShapes)
        FRoundRobin->AddShape(circle);
    MaskToCircles();
}

void TCountDownDlg::FormDestroy()
{
    FRoundRobin.reset();
}

void TCountDownDlg::MaskToCircles()
{
    // The window shows exactly the pixels the circles paint, like a transparent colour key.
    QImage painted(size(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    for (TjvShape *circle : FShapes)
        circle->render(&painted, circle->pos(), QRegion(), QWidget::RenderFlags());
    setMask(QBitmap::fromImage(painted.createAlphaMask()));
}

void TCountDownDlg::StartCountDown()
{
    FRoundRobin->ShowAll();
    FProcessTimer->SetRunning(true);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    exec();
}

void TCountDownDlg::StopCountDown()
{
    FProcessTimer->SetRunning(false);
    hide();
}

void TCountDownDlg::reject()
{
}

void TCountDownDlg::ProcessTimerTimer(TProcessTimer *)
{
    FRoundRobin->Step();
    QCoreApplication::processEvents();
}

void TCountDownDlg::ProcessTimerStop(TProcessTimer *)
{
    done(QDialog::Accepted);
}

} // namespace morlith
