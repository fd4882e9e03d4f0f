#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace zentrel::artwork {

namespace {

const QColor kNight(18, 28, 48);
const QColor kDusk(44, 70, 112);
const QColor kAmber(255, 176, 46);

// A nine-pin connector shell with a square-wave trace leaving it.
void drawMotif(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(area.width() / 100.0, area.height() / 100.0);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath shell;
    shell.moveTo(8, 30);
    shell.lineTo(52, 30);
    shell.lineTo(47, 58);
    shell.lineTo(13, 58);
    shell.closeSubpath();
    painter.setPen(QPen(kAmber, 3));
    painter.setBrush(kNight);
    painter.drawPath(shell);
    painter.setBrush(kAmber);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i)
        painter.drawEllipse(QPointF(15 + i * 7.5, 39), 2.4, 2.4);
    for (int i = 0; i < 4; ++i)
        painter.drawEllipse(QPointF(18.5 + i * 7.5, 49), 2.4, 2.4);

    QPainterPath trace;
    trace.moveTo(52, 44);
    const double levels[] = {44, 30, 30, 44, 44, 30, 44, 30, 30, 44};
    double x = 56;
    for (const double level : levels) {
        trace.lineTo(x, level);
        x += 4.2;
        trace.lineTo(x, level);
    }
    painter.setPen(QPen(kAmber, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);
    painter.restore();
}

} // namespace

QPixmap splash()
{
    QPixmap picture(314, 431);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 431);
    sky.setColorAt(0, kDusk);
    sky.setColorAt(1, kNight);
    painter.fillRect(picture.rect(), sky);
    drawMotif(painter, QRectF(37, 70, 240, 240));

    painter.setPen(Qt::white);
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(40);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(0, 280, 314, 50), Qt::AlignCenter, QStringLiteral("Zentrel"));
    QFont subtitle(QStringLiteral("Sans Serif"));
    subtitle.setPixelSize(15);
    painter.setFont(subtitle);
    painter.setPen(kAmber);
    painter.drawText(QRect(0, 328, 314, 24), Qt::AlignCenter, QStringLiteral("Vorlinker"));
    painter.setPen(QColor(190, 200, 220));
    subtitle.setPixelSize(11);
    painter.setFont(subtitle);
    painter.drawText(QRect(0, 392, 314, 20), Qt::AlignCenter,
                     QStringLiteral("Looking for serial ports..."));
    return picture;
}

QPixmap emblem(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDusk);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    drawMotif(painter, QRectF(0, size * 0.06, size, size));
    return picture;
}

} // namespace zentrel::artwork
