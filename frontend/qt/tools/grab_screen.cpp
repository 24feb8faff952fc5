// Saves what the X display shows, cut to the windows on it, as a PNG. The run
// script uses it on a virtual display, where no one can look at the window:
//   norvik-grab-screen <output.png>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

namespace {

// The bounding box of everything that differs from the screen's bottom-right pixel
// (the empty background of a bare virtual display).
QRect contentRect(const QImage& image) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return image.rect();
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: norvik-grab-screen <output.png>\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        std::fprintf(stderr, "norvik-grab-screen: no screen\n");
        return 1;
    }
    const QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage cut = shot.copy(contentRect(shot));
    if (!cut.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "norvik-grab-screen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
