// Draws the program's icon, a quill writing into a text box, as quillbrook-16.png,
// quillbrook-32.png, quillbrook-48.png and quillbrook-256.png in OUTPUT_FOLDER. Everything is drawn
// on a 256-unit canvas; the small sizes leave out the fine details and keep their strokes at
// least a pixel and a half wide, so that they stay crisp.
//
//   quillbrook-draw-icon OUTPUT_FOLDER
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr double kCanvas = 256.0;
constexpr int kSizes[] = {16, 32, 48, 256};

const QColor kBoxFill{255, 255, 255};
const QColor kBoxBorder{0x3c, 0x5a, 0x8c};
const QColor kTextLine{0x8f, 0x9d, 0xb5};
const QColor kVaneLight{0xf2, 0xb8, 0x4b};
const QColor kVaneDark{0xc8, 0x5a, 0x24};
const QColor kVaneEdge{0x7a, 0x36, 0x14};
const QColor kShaft{0x4a, 0x2c, 0x14};
const QColor kNib{0x24, 0x24, 0x2c};

// A stroke `width` canvas units wide, never thinner than 1.5 pixels at `size`.
QPen pen(const QColor& colour, double width, int size)
{
    QPen result(colour, std::max(width, 1.5 * kCanvas / size));
    result.setCapStyle(Qt::RoundCap);
    result.setJoinStyle(Qt::RoundJoin);
    return result;
}

void drawTextBox(QPainter& painter, int size)
{
    painter.setPen(pen(kBoxBorder, 10, size));
    painter.setBrush(kBoxFill);
    painter.drawRoundedRect(QRectF(14, 86, 190, 148), 16, 16);

    // Lines of text; the last one ends where the quill writes.
    struct Line {
        double y, right;
    };
    const Line wide[] = {{122, 174}, {158, 150}, {194, 98}};
    const Line narrow[] = {{130, 160}, {182, 98}};
    painter.setPen(pen(kTextLine, size < 32 ? 22 : 13, size));
    if (size < 32)
        for (const Line& line : narrow)
            painter.drawLine(QPointF(44, line.y), QPointF(line.right, line.y));
    else
        for (const Line& line : wide)
            painter.drawLine(QPointF(42, line.y), QPointF(line.right, line.y));
}

// The quill in its own frame: the nib at the origin, the shaft along +x.
void drawQuill(QPainter& painter, int size)
{
    const QPointF nibTip(108, 198);
    const QPointF top(246, 10);
    const double length = std::hypot(top.x() - nibTip.x(), top.y() - nibTip.y());
    const double angle = std::atan2(top.y() - nibTip.y(), top.x() - nibTip.x());

    painter.save();
    painter.translate(nibTip);
    painter.rotate(angle * 180.0 / std::numbers::pi);

    QPainterPath vane;
    vane.moveTo(44, 0);
    vane.cubicTo(84, -46, 170, -58, length, -2);
    vane.cubicTo(196, 34, 118, 34, 44, 0);
    QLinearGradient shade(0, -50, 0, 30);
    shade.setColorAt(0, kVaneLight);
    shade.setColorAt(1, kVaneDark);
    painter.setPen(pen(kVaneEdge, 5, size));
    painter.setBrush(shade);
    painter.drawPath(vane);

    // Notches in the vane, where the barbs part, at the sizes that can show them.
    if (size >= 48) {
        painter.setPen(pen(kVaneEdge, 4, size));
        painter.drawLine(QPointF(118, -26), QPointF(136, -40));
        painter.drawLine(QPointF(170, -26), QPointF(186, -36));
        painter.drawLine(QPointF(140, 18), QPointF(156, 24));
    }

    painter.setPen(pen(kShaft, 7, size));
    painter.drawLine(QPointF(30, 0), QPointF(length - 8, -1));

    painter.setPen(Qt::NoPen);
    painter.setBrush(kNib);
    painter.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(36, -11), QPointF(40, 0), QPointF(36, 11)}));
    painter.restore();
}

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    drawTextBox(painter, size);
    drawQuill(painter, size);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (const int size : kSizes) {
        const QString path = folder.filePath(QStringLiteral("quillbrook-%1.png").arg(size));
        if (!drawIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return failures == 0 ? 0 : 1;
}
