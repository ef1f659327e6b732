// SPDX-License-Identifier: MIT
#pragma once
// TjvShape: a control that paints one of 81 shapes, plain or with a two-colour gradient,
// outlines it, and draws a (rotatable) caption or hands the paint to onUserDraw.

#include "NotifyEvent.h"
#include "ShapeGeometry.h"
#include "ShapeTypes.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QString>
#include <QWidget>

namespace morlith {

// A shape control without a background of its own: what it does not paint shows its parent.
class TjvShape : public QWidget {
public:
    // Initial size of a new shape.
    static constexpr int kDefaultSize = 65;
    // Initial caption position and Thickness.
    static constexpr int kDefaultCaptionOffset = 5;
    static constexpr int kDefaultThickness = 10;

    // A 65 x 65 white rectangle with a black 1-pixel outline, child of `parent`.
    explicit TjvShape(QWidget *parent = nullptr);

    // The outline pen (Qt::NoPen draws no outline).
    const QPen &Pen() const { return FPen; }
    // Sets the pen; a different one repaints later.
    void SetPen(const QPen &pen);
    // The fill of a shape without gradient; its colour starts or ends the gradient.
    const QBrush &Brush() const { return FBrush; }
    // Sets the brush; a different one repaints later.
    void SetBrush(const QBrush &brush);
    // The shape painted.
    TjvShapeType Shape() const { return FShape; }
    // Sets the shape; a different one repaints later.
    void SetShape(TjvShapeType shape);
    // The gradient pattern.
    TjvFillDirection FillDirection() const { return FFillDirection; }
    // Sets the pattern; a different one repaints at once.
    void SetFillDirection(TjvFillDirection direction);
    // The second colour of the gradient.
    QColor GradientColor() const { return FGradientColor; }
    // Sets the second colour; a different one repaints at once.
    void SetGradientColor(const QColor &color);
    // Whether the shape is filled with the gradient instead of the brush.
    bool Gradient() const { return FGradient; }
    // Switches the gradient; a change repaints at once.
    void SetGradient(bool gradient);

    // The caption text.
    QString Caption() const { return FCaption; }
    // Sets the caption; a different one repaints later.
    void SetCaption(const QString &caption);
    // Rotation of the caption, degrees counter-clockwise.
    int CaptionAngle() const { return FCaptionAngle; }
    // Sets the rotation; a different one repaints later.
    void SetCaptionAngle(int degrees);
    // Caption left when it is not centred.
    int CaptionX() const { return FCaptionX; }
    // Caption top when it is not centred.
    int CaptionY() const { return FCaptionY; }
    // Sets the caption left; a different one repaints later.
    void SetCaptionX(int x);
    // Sets the caption top; a different one repaints later.
    void SetCaptionY(int y);
    // Whether the caption is centred (else drawn at CaptionX, CaptionY).
    bool CaptionCentered() const { return FCaptionCentered; }
    // Sets the centring; a change repaints later.
    void SetCaptionCentered(bool centered);
    // Whether onUserDraw finishes the paint instead of the caption.
    bool byUser() const { return FByUser; }
    // Sets byUser; a change repaints later.
    void SetbyUser(bool byUser);
    // A stored value that no painting uses.
    int Thickness() const { return FThickness; }
    // Stores Thickness.
    void SetThickness(int thickness) { FThickness = thickness; }

    // The box the current shape is built in, as the next paint computes it.
    TShapeBox ShapeBox() const;

    // With byUser, called at the end of every paint; it may open its own QPainter on sender.
    TNotifyEvent<TjvShape> onUserDraw;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void PaintShape(QPainter &painter, const TShapeBox &box);
    void PaintPipeArms(QPainter &painter, const TShapeOutline &outline);
    void PaintFilled(QPainter &painter, const TShapeOutline &outline);
    void PaintShaded(QPainter &painter, const TShapeOutline &outline);
    // How far the pen's line lies from the pixel grid: pixel centres for an odd width, pixel
    // edges for an even one, so that the outline covers the box exactly.
    double PenOffset() const;
    void PaintCaption(QPainter &painter, const TShapeBox &box);

    QPen FPen;
    QBrush FBrush;
    TjvShapeType FShape = TjvShapeType::jstRectangle;
    TjvFillDirection FFillDirection = TjvFillDirection::jgdUp;
    QColor FGradientColor = Qt::black;
    bool FGradient = false;
    QString FCaption;
    int FCaptionAngle = 0;
    int FCaptionX = kDefaultCaptionOffset;
    int FCaptionY = kDefaultCaptionOffset;
    bool FCaptionCentered = true;
    bool FByUser = false;
    int FThickness = kDefaultThickness;
};

} // namespace morlith
