#include "shell/LauncherArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

void PaintLauncherBackground(QPainter &painter, const QRect &area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(0xF4, 0xF8, 0xFC));
    sky.setColorAt(0.65, QColor(0xDC, 0xE8, 0xF4));
    sky.setColorAt(1.0, QColor(0xC8, 0xDA, 0xEC));
    painter.fillRect(area, sky);

    // A quiet dot grid.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x9D, 0xB6, 0xD0, 60));
    for (int y = area.top() + 12; y < area.bottom(); y += 24)
        for (int x = area.left() + 12; x < area.right(); x += 24)
            painter.drawEllipse(QPointF(x, y), 1.2, 1.2);

    // Radio waves spreading from the lower right corner.
    const QPointF source(area.right(), area.bottom());
    for (int i = 1; i <= 6; ++i) {
        QPen pen(QColor(0x3C, 0x78, 0xB4, 70 - i * 9), 6);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const double r = 70.0 * i;
        painter.drawArc(QRectF(source.x() - r, source.y() - r, 2 * r, 2 * r), 90 * 16, 90 * 16);
    }

    // A band along the top.
    QLinearGradient band(area.topLeft(), area.topRight());
    band.setColorAt(0.0, QColor(0x1F, 0x4E, 0x7E));
    band.setColorAt(1.0, QColor(0x3D, 0x7F, 0xB8));
    painter.fillRect(QRect(area.left(), area.top(), area.width(), 8), band);
    painter.restore();
}

QPixmap LauncherModulePicture(int side)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 260.0, side / 260.0);

    // Soft shadow.
    QRadialGradient shadow(QPointF(120, 236), 100);
    shadow.setColorAt(0.0, QColor(0, 0, 0, 60));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QRectF(20, 222, 200, 28));

    // Antenna.
    p.setBrush(QColor(0x33, 0x3B, 0x45));
    p.drawRoundedRect(QRectF(164, 50, 12, 52), 5, 5);
    p.setBrush(QColor(0xE0, 0x4A, 0x3A));
    p.drawEllipse(QPointF(170, 50), 8, 8);

    // Signal arcs above the antenna tip.
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        p.setPen(QPen(QColor(0x2E, 0x86, 0xC1, 230 - 50 * i), 5, Qt::SolidLine, Qt::RoundCap));
        const double r = 14.0 * i;
        p.drawArc(QRectF(170 - r, 50 - r, 2 * r, 2 * r), 20 * 16, 50 * 16);
        p.drawArc(QRectF(170 - r, 50 - r, 2 * r, 2 * r), 110 * 16, 50 * 16);
    }

    // Module body.
    QLinearGradient body(QPointF(0, 90), QPointF(0, 230));
    body.setColorAt(0.0, QColor(0x4A, 0x6F, 0x94));
    body.setColorAt(1.0, QColor(0x24, 0x3E, 0x5C));
    p.setPen(QPen(QColor(0x1A, 0x2D, 0x42), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(30, 96, 190, 130), 16, 16);

    // Display with a letter.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xCF, 0xE8, 0xD8));
    p.drawRoundedRect(QRectF(48, 112, 110, 68), 6, 6);
    p.setPen(QPen(QColor(0x2F, 0x5D, 0x44), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xF7, 0xFB, 0xF8));
    const QRectF letter(70, 126, 66, 40);
    p.drawRect(letter);
    QPainterPath flap;
    flap.moveTo(letter.topLeft());
    flap.lineTo(letter.center().x(), letter.top() + 22);
    flap.lineTo(letter.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);

    // Status lamps and the terminal strip.
    const QColor lamps[3] = {QColor(0x4C, 0xD1, 0x6E), QColor(0xF3, 0xB6, 0x3A),
                             QColor(0xE0, 0x4A, 0x3A)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(184, 122 + 20 * i), 6, 6);
    }
    p.setBrush(QColor(0x1A, 0x2D, 0x42));
    p.drawRoundedRect(QRectF(48, 194, 154, 20), 4, 4);
    p.setBrush(QColor(0xC9, 0xA2, 0x4B));
    for (int i = 0; i < 8; ++i)
        p.drawEllipse(QPointF(58 + 19.2 * i, 204), 4.5, 4.5);
    return picture;
}
