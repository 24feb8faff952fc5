// Draws the application icon (an enclosure front with two disk bays) at the
// sizes the desktop asks for. Drawn as vectors at each size so that the small
// ones stay crisp:  norvik-draw-app-icon <output-dir>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

void drawIcon(QPainter& p, double s) {
    p.setRenderHint(QPainter::Antialiasing);
    const double u = s / 64.0;  // designed on a 64-unit grid

    // The enclosure: a dark aluminium box, lit from above.
    const QRectF box(4 * u, 8 * u, 56 * u, 48 * u);
    QLinearGradient shell(box.topLeft(), box.bottomLeft());
    shell.setColorAt(0, QColor(96, 108, 124));
    shell.setColorAt(1, QColor(52, 60, 72));
    p.setPen(QPen(QColor(34, 40, 50), std::max(1.0, 1.2 * u)));
    p.setBrush(shell);
    p.drawRoundedRect(box, 7 * u, 7 * u);

    // Two drive bays, each with its activity light.
    for (int bay = 0; bay < 2; ++bay) {
        const QRectF slot(10 * u, (16 + bay * 18) * u, 44 * u, 14 * u);
        QLinearGradient face(slot.topLeft(), slot.bottomLeft());
        face.setColorAt(0, QColor(226, 231, 237));
        face.setColorAt(1, QColor(180, 188, 198));
        p.setPen(QPen(QColor(40, 46, 56), std::max(1.0, 0.8 * u)));
        p.setBrush(face);
        p.drawRoundedRect(slot, 2.5 * u, 2.5 * u);

        // The handle groove.
        p.setPen(QPen(QColor(120, 130, 142), std::max(1.0, 1.4 * u), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15 * u, slot.center().y()), QPointF(36 * u, slot.center().y()));

        p.setPen(Qt::NoPen);
        p.setBrush(QColor(52, 199, 89));
        p.drawEllipse(QPointF(47 * u, slot.center().y()), 2.8 * u, 2.8 * u);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-dir>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        drawIcon(painter, size);
        painter.end();
        const QString path = out.filePath(QStringLiteral("norvik-raid-utility-%1.png").arg(size));
        if (!image.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
