#pragma once

#include <QPointF>
#include <QRectF>
#include <QVector2D>

// Small geometry helpers shared by the graphics and the canvas view. The tolerance is far below a
// pixel and far above the rounding noise of the transforms they compare.
constexpr double kGeometryEpsilon = 1e-8;

bool fuzzyEqual(double a, double b);
bool fuzzyIsZero(double a);
bool fuzzyIsOne(double a);
double squaredDistance(const QPointF &a, const QPointF &b);
void negateVector(QVector2D &v);

// The rectangle a drag from start to current covers. Without freeAspect it is the square of side
// min(|dx|, |dy|) in the drag's quadrant, anchored at start; an extent that has not moved counts as 1.
QRectF dragRect(const QPointF &start, const QPointF &current, bool freeAspect);
