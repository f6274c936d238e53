#include "GraphicGeometry.h"

#include <QtMath>

#include <algorithm>

bool fuzzyEqual(double a, double b)
{
    return qAbs(a - b) < kGeometryEpsilon;
}

bool fuzzyIsZero(double a)
{
    return qAbs(a) < kGeometryEpsilon;
}

bool fuzzyIsOne(double a)
{
    return qAbs(a - 1.0) < kGeometryEpsilon;
}

double squaredDistance(const QPointF &a, const QPointF &b)
{
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

void negateVector(QVector2D &v)
{
    v = -v;
}

namespace {

// One axis of dragRect: returns (start of the span, its length).
std::pair<double, double> dragSpan(double start, double delta, double side, bool freeAspect)
{
    if (delta > 0)
        return {start, freeAspect ? delta : side};
    if (freeAspect)
        return {start + delta, -delta};
    return {start - side, side};
}

} // namespace

QRectF dragRect(const QPointF &start, const QPointF &current, bool freeAspect)
{
    double dx = current.x() - start.x();
    double dy = current.y() - start.y();
    if (fuzzyIsZero(dx))
        dx = 1.0;
    if (fuzzyIsZero(dy))
        dy = 1.0;
    const double side = std::min(qAbs(dx), qAbs(dy));
    const auto [left, width] = dragSpan(start.x(), dx, side, freeAspect);
    const auto [top, height] = dragSpan(start.y(), dy, side, freeAspect);
    return QRectF(left, top, width, height);
}
