// SPDX-License-Identifier: MIT
// shape-gallery <folder>: paints every shape of TjvShape, plain and with a gradient, into
// <folder>/shapes.png, and every gradient pattern into <folder>/gradients.png.

#include "FontSubstitutes.h"
#include "jvShape.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>

#include <cstdio>
#include <functional>

using namespace morlith;

namespace {

constexpr int kLabelHeight = 16;
constexpr int kMargin = 6;

// A white sheet of `count` cells in `columns` columns, each headed by name(i); `fill` puts the
// content of cell i into the given rectangle of the sheet.
QImage PaintSheet(int count, int columns, QSize cell, const std::function<const char *(int i)> &name,
                  const std::function<void(QWidget *sheet, int i, QRect area)> &fill)
{
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    sheet.setPalette(QPalette(Qt::white));
    const int rows = (count + columns - 1) / columns;
    sheet.resize(columns * cell.width(), rows * cell.height());
    QFont labelFont(QStringLiteral("Tahoma"));
    labelFont.setPixelSize(11);
    for (int i = 0; i < count; ++i) {
        const QRect area((i % columns) * cell.width(), (i / columns) * cell.height(),
                         cell.width(), cell.height());
        fill(&sheet, i, area.adjusted(kMargin, kLabelHeight, -kMargin, -kMargin));
        auto *label = new QLabel(&sheet);
        label->setFont(labelFont);
        label->setGeometry(area.left() + kMargin, area.top(), area.width(), kLabelHeight);
        label->setText(QString::fromLatin1(name(i)));
    }
    QImage image(sheet.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    sheet.render(&image);
    return image;
}

TjvShape *AddShape(QWidget *sheet, QRect area)
{
    auto *shape = new TjvShape(sheet);
    shape->setGeometry(area);
    shape->SetBrush(QColor(118, 185, 0));
    shape->SetGradientColor(QColor(0, 64, 160));
    shape->SetPen(QPen(QColor(40, 40, 40), 1));
    return shape;
}

QImage ShapesSheet()
{
    const auto name = [](int i) { return ShapeTypeName(static_cast<TjvShapeType>(i)); };
    return PaintSheet(kShapeTypeCount, 8, QSize(170, 92), name, [](QWidget *sheet, int i, QRect area) {
        const int half = area.width() / 2;
        const auto type = static_cast<TjvShapeType>(i);
        AddShape(sheet, area.adjusted(0, 0, -half - 3, 0))->SetShape(type);
        TjvShape *graded = AddShape(sheet, area.adjusted(half + 3, 0, 0, 0));
        graded->SetShape(type);
        graded->SetFillDirection(TjvFillDirection::jgdNWSE);
        graded->SetGradient(true);
    });
}

QImage GradientsSheet()
{
    const auto name = [](int i) { return FillDirectionName(static_cast<TjvFillDirection>(i)); };
    return PaintSheet(kFillDirectionCount, 6, QSize(140, 100), name, [](QWidget *sheet, int i, QRect area) {
        TjvShape *shape = AddShape(sheet, area);
        shape->SetFillDirection(static_cast<TjvFillDirection>(i));
        shape->SetGradient(true);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: shape-gallery <folder>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallFontSubstitutes();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "shape-gallery: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const auto &[name, image] : {std::pair{"shapes.png", ShapesSheet()},
                                      std::pair{"gradients.png", GradientsSheet()}}) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        if (!image.save(path)) {
            std::fprintf(stderr, "shape-gallery: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
