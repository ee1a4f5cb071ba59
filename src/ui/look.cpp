#include "ui/look.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>

namespace juanzhi::ui {

QFont songFont(int pixelHeight, bool bold) {
    QFont font;
    // The Windows face first; elsewhere a Song (serif) face drawn in
    // outlines with real bold weights, since the bitmap Ming faces turn
    // 12-pixel captions ragged and have no bold at all. The old Ming face
    // comes last, for a system that has nothing better.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                      QStringLiteral("Source Han Serif CN"), QStringLiteral("AR PL UMing CN")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void useSongFontEverywhere() {
    QApplication::setFont(songFont(ControlPixelHeight, false));
}

namespace {

QString themedStyleName() {
    // The platform's own themed style where it has one, Fusion elsewhere.
    const QStringList available = QStyleFactory::keys();
    for (const QString& name : {QStringLiteral("windowsvista"), QStringLiteral("macOS")}) {
        if (available.contains(name, Qt::CaseInsensitive)) {
            return name;
        }
    }
    return QStringLiteral("Fusion");
}

QColor schemeAccent(int scheme) {
    switch (scheme) {
        case 2:
            return QColor(0x93, 0xA0, 0x70);  // olive green
        case 3:
            return QColor(0x9D, 0xA3, 0xB8);  // silver
        default:
            return QColor(0x31, 0x6A, 0xC5);  // blue
    }
}

}  // namespace

void enableThemedLook(int scheme) {
    if (scheme < 1 || scheme > 3) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
        QApplication::setPalette(QApplication::style()->standardPalette());
        return;
    }
    QApplication::setStyle(QStyleFactory::create(themedStyleName()));
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Highlight, schemeAccent(scheme));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    QApplication::setPalette(palette);
}

namespace {

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.scale(unit, unit);

    // A blue-violet tile with an open book on it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(fromColorRef(ImportColour));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);

    // Two pages bowed down towards the spine, mirrored about it.
    for (const qreal side : {-1.0, 1.0}) {
        QPainterPath page;
        page.moveTo(8, 5);
        page.cubicTo(8 + side * 1.5, 3.8, 8 + side * 3.5, 3.6, 8 + side * 5.5, 4);
        page.lineTo(8 + side * 5.5, 12.5);
        page.cubicTo(8 + side * 3.5, 12.1, 8 + side * 1.5, 12.3, 8, 13.3);
        page.closeSubpath();
        painter.setBrush(Qt::white);
        painter.drawPath(page);
    }

    if (size >= 32) {
        painter.setPen(QPen(fromColorRef(ImportColour), 0.5));
        for (const qreal y : {6.5, 8.3, 10.1}) {
            painter.drawLine(QPointF(3.8, y), QPointF(6.8, y + 0.4));
            painter.drawLine(QPointF(9.2, y + 0.4), QPointF(12.2, y));
        }
    }
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : IconSizes) {
        icon.addPixmap(drawIcon(size));
    }
    return icon;
}

}  // namespace juanzhi::ui
