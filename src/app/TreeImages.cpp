#include "app/TreeImages.h"

#include <QPainter>
#include <QPainterPath>

namespace app {

namespace {

// All pictures are drawn on a 16 x 16 grid and scaled.
void folder(QPainter& p, bool open) {
    p.setPen(QColor(120, 90, 10));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(1.5, 3.5, 5, 2));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    if (open) {
        p.setBrush(QColor(255, 225, 130));
        QPolygonF flap({{1.5, 13.5}, {4.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}});
        p.drawPolygon(flap);
    }
}

void envelope(QPainter& p, bool open) {
    p.setPen(QColor(60, 60, 90));
    p.setBrush(open ? QColor(255, 255, 230) : QColor(250, 250, 250));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    if (open) p.drawPolyline(QPolygonF({{1.5, 4.5}, {8, 0.5}, {14.5, 4.5}}));
    p.drawPolyline(QPolygonF({{1.5, 4.5}, {8, 9.5}, {14.5, 4.5}}));
}

void cylinder(QPainter& p, const QColor& c) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(c);
    p.drawRect(QRectF(3.5, 4, 9, 9));
    p.drawEllipse(QRectF(3.5, 11, 9, 4));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(4, 4, 8, 9));
    p.setPen(QColor(40, 40, 40));
    p.drawEllipse(QRectF(3.5, 2, 9, 4));
}

void person(QPainter& p, const QColor& body, double dx = 0) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(250, 210, 170));
    p.drawEllipse(QRectF(5 + dx, 1.5, 6, 6));
    p.setBrush(body);
    p.drawChord(QRectF(2.5 + dx, 8, 11, 12), 0, 180 * 16);
}

void document(QPainter& p, const QColor& lines) {
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 13));
    p.setPen(lines);
    for (int y = 4; y <= 12; y += 2) p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
}

void book(QPainter& p, const QColor& cover) {
    p.setPen(QColor(30, 30, 30));
    p.setBrush(cover);
    p.drawRect(QRectF(3.5, 1.5, 10, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 2, 11));
}

void stack(QPainter& p, void (*one)(QPainter&, bool)) {
    p.save();
    p.translate(2, -2);
    p.scale(0.85, 0.85);
    one(p, false);
    p.restore();
    p.save();
    p.translate(0, 2);
    p.scale(0.85, 0.85);
    one(p, false);
    p.restore();
}

void paperclip(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 110), 1.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(10, 4);
    path.lineTo(10, 12);
    path.arcTo(QRectF(5, 10, 5, 5), 0, -180);
    path.lineTo(5, 3);
    path.arcTo(QRectF(5, 0.5, 4, 4), 180, -180);
    path.lineTo(9, 11);
    p.drawPath(path);
}

void letterIcon(QPainter& p, const QString& s, const QColor& bg) {
    p.setPen(bg.darker(160));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    QFont f = p.font();
    f.setPixelSize(s.size() > 1 ? 7 : 10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, s);
}

// A hand holding a pencil that writes a line.
void handWithPencil(QPainter& p) {
    // The line being written.
    p.setPen(QPen(QColor(20, 20, 160), 1.2));
    p.drawLine(QPointF(0.5, 14.5), QPointF(5, 14.5));
    // The pencil, tip on the line, pointing up and to the right.
    p.save();
    p.translate(5, 14);
    p.rotate(-45);
    p.setPen(QPen(QColor(70, 50, 0), 0.8));
    p.setBrush(QColor(245, 200, 40));
    p.drawRect(QRectF(2.5, -1.2, 8.5, 2.4));
    p.setBrush(QColor(235, 195, 150));
    p.drawPolygon(QPolygonF({{2.5, -1.2}, {0, 0}, {2.5, 1.2}}));
    p.setBrush(QColor(220, 110, 130));
    p.drawRect(QRectF(11, -1.2, 1.8, 2.4));
    p.restore();
    // The hand gripping it: the back of the hand, the sleeve, two fingertips
    // in front of the pencil and the thumb behind it.
    const QPen outline(QColor(120, 70, 40), 0.8);
    p.setPen(outline);
    p.setBrush(QColor(60, 90, 170));
    p.drawRect(QRectF(13, 7.5, 3, 5));  // sleeve
    p.setBrush(QColor(245, 200, 160));
    p.drawEllipse(QRectF(8.5, 7, 6, 6));        // back of the hand
    p.drawEllipse(QRectF(6.2, 10.2, 3, 2.6));   // index finger
    p.drawEllipse(QRectF(7.8, 11.4, 3, 2.4));   // middle finger
    p.drawEllipse(QRectF(8.3, 6.8, 2.6, 2.6));  // thumb
}

// The pictures by image number, from 1.
using Picture = void (*)(QPainter&);
const Picture kPictures[] = {
    [](QPainter& p) { folder(p, false); },                    // 1 folder
    [](QPainter& p) { folder(p, true); },                     // 2 folder, selected
    [](QPainter& p) { cylinder(p, QColor(120, 160, 220)); },  // 3 information store
    [](QPainter& p) { cylinder(p, QColor(170, 210, 255)); },  // 4 store selected / Stores
    [](QPainter& p) { envelope(p, false); },                  // 5 message
    [](QPainter& p) { envelope(p, true); },                   // 6 message, selected
    [](QPainter& p) { document(p, QColor(120, 120, 120)); },  // 7 message property
    [](QPainter& p) { letterIcon(p, QStringLiteral("S"), QColor(40, 140, 60)); },  // 8 session on
    [](QPainter& p) {
        letterIcon(p, QStringLiteral("S"), QColor(150, 150, 150));
    },                                                                              // 9 session off
    [](QPainter& p) { letterIcon(p, QStringLiteral("F"), QColor(120, 80, 160)); },  // 10 fields
    [](QPainter& p) { letterIcon(p, QStringLiteral("f"), QColor(160, 120, 200)); },  // 11 field
    [](QPainter& p) {                                                                // 12
        person(p, QColor(80, 120, 200), -2);
        person(p, QColor(60, 90, 170), 2);
    },
    [](QPainter& p) { person(p, QColor(80, 120, 200)); },                    // 13 recipient
    [](QPainter& p) { person(p, QColor(200, 90, 60)); },                     // 14 sender
    [](QPainter& p) { stack(p, [](QPainter& q, bool) { paperclip(q); }); },  // 15 attachments
    [](QPainter& p) { paperclip(p); },                                       // 16 attachment
    [](QPainter& p) { handWithPencil(p); },                                  // 17
    [](QPainter& p) { stack(p, folder); },                                   // 18 Folders
    [](QPainter& p) { cylinder(p, QColor(90, 130, 200)); },                  // 19 Store class
    [](QPainter& p) { stack(p, envelope); },                                 // 20 Messages
    [](QPainter& p) {                                                        // 21
        folder(p, true);
        p.setPen(Qt::darkRed);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("R"));
    },
    [](QPainter& p) { letterIcon(p, QStringLiteral("#"), QColor(200, 130, 30)); },  // 22 counter
    [](QPainter& p) { letterIcon(p, QStringLiteral("Y"), QColor(30, 130, 150)); },  // 23 filter
    [](QPainter& p) { book(p, QColor(170, 40, 40)); },  // 24 address book
    [](QPainter& p) {                                   // 25
        p.translate(1, -1);
        book(p, QColor(60, 120, 60));
        p.translate(-2, 2);
        book(p, QColor(40, 90, 40));
    },
    [](QPainter& p) { book(p, QColor(60, 120, 60)); },  // 26 address list
    [](QPainter& p) {                                   // 27
        person(p, QColor(150, 150, 60), -2);
        person(p, QColor(120, 120, 40), 2);
    },
    [](QPainter& p) { person(p, QColor(150, 150, 60)); },  // 28 address entry
    // 29 filter fields
    [](QPainter& p) { letterIcon(p, QStringLiteral("FF"), QColor(30, 130, 150)); },
    [](QPainter& p) { document(p, QColor(40, 120, 200)); },                       // 30 details
    [](QPainter& p) { letterIcon(p, QStringLiteral("="), QColor(90, 90, 90)); },  // 31 return value
    // 32 recipient detail
    [](QPainter& p) { letterIcon(p, QStringLiteral("i"), QColor(70, 110, 170)); },
};
static_assert(std::size(kPictures) == kTreeImageCount);

void draw(QPainter& p, int image) {
    if (image >= 1 && image <= static_cast<int>(std::size(kPictures))) kPictures[image - 1](p);
}

}  // namespace

QPixmap treeImagePixmap(int image, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, image);
    return pm;
}

std::shared_ptr<const std::vector<QIcon>> treeImages() {
    // Shared while some window uses it; never outlives the application's
    // windows (pixmaps must not be destroyed after the application object).
    static std::weak_ptr<const std::vector<QIcon>> cache;
    if (auto alive = cache.lock()) return alive;
    auto images = [] {
        auto v = std::make_shared<std::vector<QIcon>>();
        v->reserve(kTreeImageCount);
        for (int i = 1; i <= kTreeImageCount; ++i) {
            QIcon icon;
            icon.addPixmap(treeImagePixmap(i, 16));
            icon.addPixmap(treeImagePixmap(i, 32));
            v->push_back(icon);
        }
        return std::shared_ptr<const std::vector<QIcon>>(std::move(v));
    }();
    cache = images;
    return images;
}

}  // namespace app
