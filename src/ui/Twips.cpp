#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace ui {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;

double dpiX() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchX() : kFallbackDpi;
    return dpi > 0 ? dpi : kFallbackDpi;
}

double dpiY() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchY() : kFallbackDpi;
    return dpi > 0 ? dpi : kFallbackDpi;
}

int toPixels(double twips, double perTwip) {
    return static_cast<int>(std::lround(twips * perTwip));
}

}  // namespace

double pixelsPerTwipX() {
    return dpiX() / kTwipsPerInch;
}
double pixelsPerTwipY() {
    return dpiY() / kTwipsPerInch;
}
int twipsToPixelsX(double twips) {
    return toPixels(twips, pixelsPerTwipX());
}
int twipsToPixelsY(double twips) {
    return toPixels(twips, pixelsPerTwipY());
}
double pixelsToTwipsX(int pixels) {
    return pixels / pixelsPerTwipX();
}
double pixelsToTwipsY(int pixels) {
    return pixels / pixelsPerTwipY();
}

void setTwipGeometry(QWidget* w, double left, double top, double width, double height) {
    w->setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width),
                   twipsToPixelsY(height));
}

double leftTwips(const QWidget* w) {
    return pixelsToTwipsX(w->x());
}
double topTwips(const QWidget* w) {
    return pixelsToTwipsY(w->y());
}
double widthTwips(const QWidget* w) {
    return pixelsToTwipsX(w->width());
}
double heightTwips(const QWidget* w) {
    return pixelsToTwipsY(w->height());
}

void setLeftTwips(QWidget* w, double v) {
    w->move(twipsToPixelsX(v), w->y());
}
void setTopTwips(QWidget* w, double v) {
    w->move(w->x(), twipsToPixelsY(v));
}
void setWidthTwips(QWidget* w, double v) {
    w->resize(std::max(0, twipsToPixelsX(v)), w->height());
}
void setHeightTwips(QWidget* w, double v) {
    w->resize(w->width(), std::max(0, twipsToPixelsY(v)));
}

}  // namespace ui
