#pragma once

// Geometry is kept in twips (1440 per inch) as the window layouts give it, and
// converted with the screen's logical DPI.

#include <QRect>

class QWidget;

namespace ui {

double pixelsPerTwipX();
double pixelsPerTwipY();
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
double pixelsToTwipsX(int pixels);
double pixelsToTwipsY(int pixels);

// Places a widget at a twip rectangle (left, top, width, height) within its parent.
void setTwipGeometry(QWidget* w, double left, double top, double width, double height);

// Read back what the widget reports, in twips, after pixel rounding.
double leftTwips(const QWidget* w);
double topTwips(const QWidget* w);
double widthTwips(const QWidget* w);
double heightTwips(const QWidget* w);
void setLeftTwips(QWidget* w, double v);
void setTopTwips(QWidget* w, double v);
void setWidthTwips(QWidget* w, double v);
void setHeightTwips(QWidget* w, double v);

}  // namespace ui
