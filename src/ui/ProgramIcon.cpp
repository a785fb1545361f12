#include "ui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap ProgramPixmap(int width, int height)
{
    // Drawn on a 64 x 64 grid and scaled to the size asked for.
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(width / 64.0, height / 64.0);

    p.setPen(QPen(QColor(0x20, 0x30, 0x40), 2));
    // display on its post
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRect(QRectF(36, 4, 22, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0xE0, 0x60));
    p.drawRect(QRectF(39, 7, 16, 6));
    p.setPen(QPen(QColor(0x20, 0x30, 0x40), 2));
    p.setBrush(QColor(0x70, 0x70, 0x70));
    p.drawRect(QRectF(44, 16, 6, 8));
    // body with a sloping keyboard
    QPainterPath body;
    body.moveTo(6, 58);
    body.lineTo(10, 26);
    body.lineTo(58, 26);
    body.lineTo(60, 58);
    body.closeSubpath();
    p.setBrush(QColor(0x2E, 0x6D, 0xB4));
    p.drawPath(body);
    // keys
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF0, 0xF0, 0xF0));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(15 + col * 9, 31 + row * 7, 6, 4));
    p.setBrush(QColor(0xF2, 0xC1, 0x2E));
    p.drawRect(QRectF(51, 31, 4, 18));
    // drawer
    p.setPen(QPen(QColor(0x20, 0x30, 0x40), 2));
    p.setBrush(QColor(0x1F, 0x4E, 0x82));
    p.drawRect(QRectF(6, 52, 54, 8));
    return pixmap;
}

QPixmap HelpPixmap(HelpPicture picture, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const QColor blue(0x2E, 0x6D, 0xB4);
    if (picture == HelpPicture::Contents) {
        // an open book
        p.setPen(QPen(QColor(0x1F, 0x4E, 0x82), 1.5));
        p.setBrush(Qt::white);
        QPainterPath left;
        left.moveTo(16, 8);
        left.cubicTo(12, 5, 6, 5, 2, 7);
        left.lineTo(2, 27);
        left.cubicTo(6, 25, 12, 25, 16, 28);
        left.closeSubpath();
        QPainterPath right;
        right.moveTo(16, 8);
        right.cubicTo(20, 5, 26, 5, 30, 7);
        right.lineTo(30, 27);
        right.cubicTo(26, 25, 20, 25, 16, 28);
        right.closeSubpath();
        p.drawPath(left);
        p.drawPath(right);
        p.setPen(QPen(blue, 1.2));
        for (int line = 0; line < 4; ++line) {
            p.drawLine(QPointF(5, 11 + line * 4), QPointF(13, 11 + line * 4));
            p.drawLine(QPointF(19, 11 + line * 4), QPointF(27, 11 + line * 4));
        }
        return pixmap;
    }
    // a question mark in a circle
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}
