// SPDX-License-Identifier: MIT
#include "GradientFill.h"

#include <QPainter>
#include <QTransform>

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace morlith {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    if (2 * std::llabs(remainder) >= std::llabs(c))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(quotient);
}

QColor GradientStepColor(const QColor &start, const QColor &end, int step, int steps)
{
    const auto channel = [&](int from, int to) { return from + MulDiv(step, to - from, steps); };
    return QColor(channel(start.red(), end.red()), channel(start.green(), end.green()),
                  channel(start.blue(), end.blue()));
}

namespace {

// Steps of the patterns, and the denominator of their colours.
constexpr int kSteps = 256;
constexpr int kColourSteps = 255;
// Steps of the diagonal bands.
constexpr int kDiagonalSteps = 255;

// Paints one pattern in canonical orientation over (0, 0)-(w, h); the painter's transform maps
// it onto the control.
class TPatternPainter {
public:
    TPatternPainter(QPainter &painter, double w, double h, QColor start, QColor end)
        : W(w), H(h), FPainter(painter), FStart(start), FEnd(end)
    {
        FPainter.setPen(Qt::NoPen);
    }

    // Horizontal stripes, step 0 at the top.
    void Stripes()
    {
        const int height = static_cast<int>(H);
        for (int i = 0; i < kSteps; ++i) {
            const int top = MulDiv(i, height, kSteps), bottom = MulDiv(i + 1, height, kSteps);
            Fill(i, 0, top, W, bottom);
        }
    }

    // One-pixel columns from both side edges to the vertical centre line.
    void CentreMirror()
    {
        const int width = static_cast<int>(W), half = width / 2;
        for (int i = 0; i <= half; ++i) {
            // The end colour lands exactly on the centre line.
            const QColor colour = GradientStepColor(FStart, FEnd, i, half > 0 ? half : 1);
            FPainter.fillRect(QRect(i, 0, 1, static_cast<int>(H)), colour);
            FPainter.fillRect(QRect(width - 1 - i, 0, 1, static_cast<int>(H)), colour);
        }
    }

    // Rectangles or ellipses from one beyond the edges inward, one step in before each.
    void NestedBoxes(bool ellipses)
    {
        const double dx = W / 510, dy = H / 510;
        for (int i = 0; i < kSteps; ++i) {
            const double inX = (i + 1) * dx, inY = (i + 1) * dy;
            Box(i, ellipses, false, inX, inY, W + 2 - inX, H + 2 - inY);
        }
    }

    // Rounded rectangles and ellipses shrinking to the centre; `ellipseAt` picks per step.
    void RoundedAndRound(const std::function<bool(int)> &ellipseAt)
    {
        const double dx = W / 510, dy = H / 510;
        for (int i = 0; i < kSteps; ++i) {
            const double inX = i * dx, inY = i * dy;
            Box(i, ellipseAt(i), i > 0, inX, inY, W - inX, H - inY);
        }
    }

    // 45-degree bands from the top-left corner to the bottom-right one.
    void Diagonal()
    {
        const double span = (W + H) / kDiagonalSteps;
        for (int i = 0; i < kDiagonalSteps; ++i) {
            const int near = static_cast<int>(i * span), far = static_cast<int>((i + 1) * span);
            FPainter.setBrush(GradientStepColor(FStart, FEnd, i, kColourSteps));
            FPainter.drawPolygon(QPolygon({QPoint(near, 0), QPoint(far, 0),
                                           QPoint(0, far), QPoint(0, near)}));
        }
    }

    // Bands along the top, left and bottom edges closing in on the middle of the right edge:
    // each step paints the rectangle that its band and all later ones cover.
    void UBands()
    {
        for (int i = 0; i < kSteps; ++i) {
            const double base = i * W / 255, arm = i * H / 510;
            Fill(i, base, arm, W, H - arm);
        }
    }

    // Bands along the left and bottom edges closing in on the top-right corner.
    void LBands()
    {
        for (int i = 0; i < kSteps; ++i)
            Fill(i, i * W / 255, 0, W, H - i * H / 255);
    }

    // Rectangles per quadrant (`columns` x `rows` cells) shrinking toward each cell's centre.
    void Cells(int columns, int rows, double shrinkX, double shrinkY)
    {
        const double cw = W / columns, ch = H / rows;
        for (int i = 0; i < kSteps; ++i) {
            for (int c = 0; c < columns; ++c) {
                for (int r = 0; r < rows; ++r) {
                    const double left = c * cw + i * shrinkX, top = r * ch + i * shrinkY;
                    Fill(i, left, top, (c + 1) * cw - i * shrinkX, (r + 1) * ch - i * shrinkY);
                }
            }
        }
    }

    // Stripes in two half-width columns: from the top on the left, from the bottom on the right.
    void SplitStripes()
    {
        const double stripe = H / 255, half = W / 2;
        for (int i = 0; i < kSteps; ++i) {
            Fill(i, 0, i * stripe, half, (i + 1) * stripe);
            Fill(i, half, H - (i + 1) * stripe, W, H - i * stripe);
        }
    }

    double W, H;

private:
    // Fills the rectangle from (left, top) to (right, bottom), coordinates truncated.
    void Fill(int step, double left, double top, double right, double bottom)
    {
        const QRect r = Truncated(left, top, right, bottom);
        if (!r.isEmpty())
            FPainter.fillRect(r, GradientStepColor(FStart, FEnd, step, kColourSteps));
    }

    // A rectangle, a rounded rectangle (corners a quarter of its size) or an ellipse.
    void Box(int step, bool ellipse, bool rounded, double left, double top, double right,
             double bottom)
    {
        const QRect r = Truncated(left, top, right, bottom);
        if (r.isEmpty())
            return;
        FPainter.setBrush(GradientStepColor(FStart, FEnd, step, kColourSteps));
        if (ellipse)
            FPainter.drawEllipse(r);
        else if (rounded)
            FPainter.drawRoundedRect(r, r.width() / 8.0, r.height() / 8.0);
        else
            FPainter.drawRect(r);
    }

    static QRect Truncated(double left, double top, double right, double bottom)
    {
        const int l = static_cast<int>(left), t = static_cast<int>(top);
        return QRect(l, t, static_cast<int>(right) - l, static_cast<int>(bottom) - t);
    }

    QPainter &FPainter;
    QColor FStart, FEnd;
};

// How a pattern's canonical drawing is turned onto the area.
struct TOrientation {
    bool transpose = false; // canonical x runs down, y runs right
    bool mirrorX = false;
    bool mirrorY = false;
};

QTransform TransformOf(const TOrientation &o, double w, double h)
{
    QTransform t;
    if (o.mirrorX)
        t = t * QTransform(-1, 0, 0, 1, w, 0);
    if (o.mirrorY)
        t = t * QTransform(1, 0, 0, -1, 0, h);
    if (o.transpose)
        t = QTransform(0, 1, 1, 0, 0, 0) * t;
    return t;
}

bool StartsFromGradientColor(TjvFillDirection d)
{
    return d == TjvFillDirection::jgdDown || d == TjvFillDirection::jgdRight ||
           d == TjvFillDirection::jgdRectOut || d == TjvFillDirection::jgdCircOut;
}

void PaintPattern(TPatternPainter &pattern, TjvFillDirection direction)
{
    using D = TjvFillDirection;
    switch (direction) {
    case D::jgdUp: case D::jgdDown: case D::jgdLeft: case D::jgdRight:
        return pattern.Stripes();
    case D::jgdRectOut: case D::jgdRectIn:
        return pattern.NestedBoxes(false);
    case D::jgdCircOut: case D::jgdCircIn:
        return pattern.NestedBoxes(true);
    case D::jgdHorizCenter: case D::jgdVertCenter:
        return pattern.CentreMirror();
    case D::jgdNWSE: case D::jgdNESW: case D::jgdSENW: case D::jgdSWNE:
        return pattern.Diagonal();
    case D::jgdUright: case D::jgdULeft: case D::jgdUUp: case D::jgdUDown:
        return pattern.UBands();
    case D::jgdRCMix:
        return pattern.RoundedAndRound([](int i) { return i >= 63; });
    case D::jgdRCModulo:
        return pattern.RoundedAndRound([](int i) { return (i / 10) % 2 == 1; });
    case D::jgdQuatro:
        return pattern.Cells(2, 2, pattern.W / 1020, pattern.H / 1020);
    case D::jgdDuo:
        return pattern.Cells(2, 1, pattern.W / 1020, pattern.H / 510);
    case D::jgdLNE: case D::jgdLNW:
        return pattern.LBands();
    case D::jgdUpDown: case D::jgdLeftRight:
        return pattern.SplitStripes();
    }
}

TOrientation OrientationOf(TjvFillDirection direction)
{
    using D = TjvFillDirection;
    switch (direction) {
    case D::jgdLeft: case D::jgdRight: case D::jgdVertCenter: case D::jgdUDown:
    case D::jgdLeftRight:
        return {true, false, false};
    case D::jgdUUp:
        return {true, false, true};
    case D::jgdNESW: case D::jgdULeft: case D::jgdLNW:
        return {false, true, false};
    case D::jgdSENW:
        return {false, true, true};
    case D::jgdSWNE:
        return {false, false, true};
    default:
        return {};
    }
}

} // namespace

void PaintGradient(QPainter &painter, const QRect &area, TjvFillDirection direction,
                   const QColor &brushColor, const QColor &gradientColor)
{
    if (static_cast<int>(direction) >= kFillDirectionCount || area.isEmpty())
        return;
    const bool reversed = StartsFromGradientColor(direction);
    const QColor start = (reversed ? gradientColor : brushColor).toRgb();
    const QColor end = (reversed ? brushColor : gradientColor).toRgb();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(area, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const TOrientation orientation = OrientationOf(direction);
    painter.setTransform(TransformOf(orientation, area.width(), area.height()) *
                             QTransform::fromTranslate(area.left(), area.top()),
                         true);
    const double w = orientation.transpose ? area.height() : area.width();
    const double h = orientation.transpose ? area.width() : area.height();
    TPatternPainter pattern(painter, w, h, start, end);
    PaintPattern(pattern, direction);
    painter.restore();
}

} // namespace morlith
