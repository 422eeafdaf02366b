#include "platform/qtservices/Icons.h"

#include "platform/qtservices/PictureExport.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>
#include <map>

namespace quorvel {

namespace {

const QColor outline(70, 70, 70);
const QColor folderFill(242, 193, 78);
const QColor folderEdge(150, 108, 20);
const QColor deleteRed(208, 32, 32);
const QColor goGreen(40, 150, 50);
const QColor arrowBlue(30, 100, 200);

// Paints in a square of `units` by `units`, whatever the pixel size.
QPixmap paint(int size, qreal dpr, qreal units, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / units, size / units);
    draw(p);
    return pixmap;
}

QPen pen(const QColor& colour, qreal width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The drawings below use a 16 by 16 square; `box` places one in part of it.
void within(QPainter& p, const QRectF& box, const std::function<void(QPainter&)>& draw) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 16.0, box.height() / 16.0);
    draw(p);
    p.restore();
}

void closedFolder(QPainter& p) {
    QPainterPath body;
    body.moveTo(1, 3.5);
    body.lineTo(6, 3.5);
    body.lineTo(7.5, 5);
    body.lineTo(15, 5);
    body.lineTo(15, 13.5);
    body.lineTo(1, 13.5);
    body.closeSubpath();
    QLinearGradient shade(0, 3, 0, 14);
    shade.setColorAt(0, folderFill.lighter(125));
    shade.setColorAt(1, folderFill);
    p.setPen(pen(folderEdge, 1));
    p.setBrush(shade);
    p.drawPath(body);
    p.setPen(pen(folderFill.lighter(140), 0.8));
    p.drawLine(QPointF(1.8, 6.5), QPointF(14.2, 6.5));
}

void openFolder(QPainter& p) {
    QPainterPath back;
    back.moveTo(1, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1, 13.5);
    back.closeSubpath();
    p.setPen(pen(folderEdge, 1));
    p.setBrush(folderFill.darker(115));
    p.drawPath(back);
    const QPolygonF front{{3.5, 7.5}, {15.5, 7.5}, {13, 13.5}, {1, 13.5}};
    p.setBrush(folderFill.lighter(120));
    p.drawPolygon(front);
}

void page(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.35;
    const QPolygonF sheet{r.topLeft(),
                          {r.right() - fold, r.top()},
                          {r.right(), r.top() + fold},
                          r.bottomRight(),
                          r.bottomLeft()};
    p.setPen(pen(outline, 0.9));
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.setBrush(QColor(215, 215, 215));
    p.drawPolygon(QPolygonF{{r.right() - fold, r.top()},
                            {r.right() - fold, r.top() + fold},
                            {r.right(), r.top() + fold}});
    p.setPen(pen(QColor(140, 140, 140), 0.8));
    for (qreal y = r.top() + fold + 1.5; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
}

void redCross(QPainter& p, const QRectF& r) {
    for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3.6}, {deleteRed, 2.2}}) {
        p.setPen(pen(colour, width));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
    }
}

// An arrow from `from` to `to` with a solid head.
void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, qreal width) {
    const QLineF shaft(from, to);
    const QLineF unit = shaft.unitVector();
    const QPointF along = (unit.p2() - unit.p1());
    const QPointF across(-along.y(), along.x());
    const qreal head = width * 2.0;
    const QPointF base = to - along * head;
    const QPolygonF tip{to, base + across * head, base - across * head};
    for (const auto& [c, extra] : {std::pair{QColor(Qt::white), 1.4}, {colour, 0.0}}) {
        p.setPen(pen(c, width + extra));
        p.drawLine(from, base);
        p.setBrush(c);
        p.setPen(pen(c, 0.6 + extra));
        p.drawPolygon(tip);
    }
}

void pencil(QPainter& p, QPointF tip, qreal angleDegrees, qreal length, qreal width) {
    p.save();
    p.translate(tip);
    p.rotate(angleDegrees);
    const qreal point = width * 1.3;
    p.setPen(pen(QColor(90, 60, 20), 0.7));
    p.setBrush(QColor(240, 215, 160));
    p.drawPolygon(QPolygonF{{0, 0}, {point, -width / 2}, {point, width / 2}});
    p.setBrush(QColor(60, 60, 60));
    p.drawPolygon(QPolygonF{{0, 0}, {point * 0.4, -width * 0.2}, {point * 0.4, width * 0.2}});
    p.setBrush(QColor(245, 160, 30));
    p.drawRect(QRectF(point, -width / 2, length - point - width, width));
    p.setBrush(QColor(240, 130, 150));
    p.drawRect(QRectF(length - width, -width / 2, width, width));
    p.restore();
}

// A name written in a strip, one bar a character.
void nameStrip(QPainter& p, const QRectF& r) {
    p.setPen(pen(outline, 0.9));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 1, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 90));
    for (qreal x = r.left() + 1.3; x + 1.2 < r.right() - 0.5; x += 2.1)
        p.drawRect(QRectF(x, r.top() + 1.3, 1.2, r.height() - 2.6));
}

// Scissors at the left, cutting to the right.
void scissors(QPainter& p) {
    p.setPen(pen(QColor(80, 80, 80), 1.5));
    p.drawLine(QPointF(3.4, 5.4), QPointF(9.5, 9.6));
    p.drawLine(QPointF(3.4, 10.6), QPointF(9.5, 6.4));
    p.setPen(pen(deleteRed, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(2.4, 4.4), 1.7, 1.7);
    p.drawEllipse(QPointF(2.4, 11.6), 1.7, 1.7);
}

void cutLeft(QPainter& p) {
    nameStrip(p, QRectF(7.5, 5, 8, 6));
    p.setPen(QPen(deleteRed, 0.9, Qt::DashLine));
    p.drawLine(QPointF(7.5, 2.5), QPointF(7.5, 13.5));
    scissors(p);
}

void plus(QPainter& p, QPointF centre, qreal half, qreal width) {
    for (const auto& [colour, extra] : {std::pair{QColor(Qt::white), 1.6}, {goGreen, 0.0}}) {
        p.setPen(QPen(colour, width + extra, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
        p.drawLine(centre - QPointF(0, half), centre + QPointF(0, half));
    }
}

void sparkle(QPainter& p, QPointF c, qreal r) {
    QPainterPath star;
    star.moveTo(c.x(), c.y() - r);
    star.quadTo(c, QPointF(c.x() + r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() + r));
    star.quadTo(c, QPointF(c.x() - r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() - r));
    p.setPen(pen(QColor(200, 120, 0), 0.8));
    p.setBrush(QColor(255, 240, 120));
    p.drawPath(star);
}

const std::map<QString, std::function<void(QPainter&)>>& drawings() {
    static const std::map<QString, std::function<void(QPainter&)>> all{
        {"up",
         [](QPainter& p) {
             within(p, QRectF(3, 3, 13, 13), closedFolder);
             arrow(p, QPointF(5, 13.5), QPointF(5, 1), goGreen, 2.2);
         }},
        {"new-folder",
         [](QPainter& p) {
             within(p, QRectF(0, 2, 14, 14), closedFolder);
             sparkle(p, QPointF(12, 4), 4);
         }},
        {"rename-folder",
         [](QPainter& p) {
             within(p, QRectF(0, 0, 14, 14), closedFolder);
             pencil(p, QPointF(6.5, 15), -45, 12, 3);
         }},
        {"delete-file",
         [](QPainter& p) {
             page(p, QRectF(1.5, 0.5, 10, 14));
             redCross(p, QRectF(9, 9, 5.5, 5.5));
         }},
        {"delete-folder",
         [](QPainter& p) {
             within(p, QRectF(0, 0, 15, 15), closedFolder);
             redCross(p, QRectF(9, 9, 5.5, 5.5));
         }},
        {"view",
         [](QPainter& p) {
             QPainterPath eye;
             eye.moveTo(0.8, 8);
             eye.quadTo(8, 0.5, 15.2, 8);
             eye.quadTo(8, 15.5, 0.8, 8);
             p.setPen(pen(QColor(40, 40, 40), 1));
             p.setBrush(Qt::white);
             p.drawPath(eye);
             p.setPen(Qt::NoPen);
             p.setBrush(arrowBlue);
             p.drawEllipse(QPointF(8, 8), 3.3, 3.3);
             p.setBrush(Qt::black);
             p.drawEllipse(QPointF(8, 8), 1.5, 1.5);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(9.2, 6.8), 0.8, 0.8);
         }},
        {"copy-to-target",
         [](QPainter& p) {
             page(p, QRectF(0.5, 0.5, 8, 11));
             arrow(p, QPointF(4, 12.5), QPointF(15.5, 12.5), arrowBlue, 2);
         }},
        {"cut-left", cutLeft},
        {"cut-right",
         [](QPainter& p) {
             p.translate(16, 0);
             p.scale(-1, 1);
             cutLeft(p);
         }},
        {"lengthen-left",
         [](QPainter& p) {
             nameStrip(p, QRectF(6.5, 5, 9, 6));
             p.setPen(pen(goGreen, 0.9));
             p.setBrush(QColor(200, 240, 200));
             p.drawRoundedRect(QRectF(0.5, 5, 6, 6), 1, 1);
             plus(p, QPointF(3.5, 8), 1.8, 1.4);
         }},
        {"add-type",
         [](QPainter& p) {
             const QPolygonF tag{{0.5, 6}, {4.5, 1.5}, {12.5, 1.5}, {12.5, 10.5}, {4.5, 10.5}};
             p.setPen(pen(QColor(150, 80, 0), 0.9));
             p.setBrush(QColor(245, 170, 50));
             p.drawPolygon(tag);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(4.3, 6), 1.2, 1.2);
             plus(p, QPointF(11.5, 11.5), 3.3, 2.2);
         }},
    };
    return all;
}

void programPicture(QPainter& p) {
    // The frame, then the photograph inside it, then the pencil that renames it.
    QLinearGradient wood(0, 8, 0, 54);
    wood.setColorAt(0, QColor(176, 118, 62));
    wood.setColorAt(1, QColor(120, 74, 32));
    p.setPen(pen(QColor(80, 46, 16), 1.5));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(3, 8, 52, 44), 4, 4);
    const QRectF photo(9, 14, 40, 32);
    QLinearGradient sky(0, photo.top(), 0, photo.bottom());
    sky.setColorAt(0, QColor(90, 160, 235));
    sky.setColorAt(1, QColor(200, 230, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(photo);
    p.setBrush(QColor(255, 210, 60));
    p.drawEllipse(QPointF(39, 22), 4.5, 4.5);
    QPainterPath hills;
    hills.moveTo(photo.left(), 40);
    hills.quadTo(18, 28, 27, 37);
    hills.quadTo(36, 30, photo.right(), 38);
    hills.lineTo(photo.bottomRight());
    hills.lineTo(photo.bottomLeft());
    hills.closeSubpath();
    p.setBrush(QColor(70, 160, 70));
    p.drawPath(hills);
    p.setPen(pen(QColor(245, 245, 240), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(photo);
    pencil(p, QPointF(36, 60), -50, 34, 8);
}

} // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : programIconSizes)
        icon.addPixmap(paint(size, 1, 64, programPicture));
    return icon;
}

QPixmap buttonPixmap(const QString& id, int size, qreal devicePixelRatio) {
    const auto& all = drawings();
    const auto it = all.find(id);
    if (it != all.end())
        return paint(size, devicePixelRatio, 16, it->second);
    return paint(size, devicePixelRatio, 16, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 150, 150));
        p.drawEllipse(QPointF(8, 8), 3, 3);
    });
}

QPixmap openFolderPixmap(int size, qreal devicePixelRatio) {
    return paint(size, devicePixelRatio, 16, openFolder);
}

QPixmap closedFolderPixmap(int size, qreal devicePixelRatio) {
    return paint(size, devicePixelRatio, 16, closedFolder);
}

} // namespace quorvel
