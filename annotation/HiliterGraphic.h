#pragma once

#include "FreehandGraphic.h"

// A freehand stroke drawn with a translucent pen, so the picture below stays readable.
class HiliterGraphic : public FreehandGraphic
{
public:
    static constexpr unsigned kCapabilities = FreehandGraphic::kCapabilities & ~unsigned(CAP_OPACITY);
    // Half-transparent: marked text remains legible under the colour.
    static constexpr int kAlpha = 127;

    explicit HiliterGraphic(QGraphicsItem *parent = nullptr);
    HiliterGraphic(const HiliterGraphic &other);

    int type() const override { return TYPE_HILITER; }
    void setPen(const QPen &pen) override;
};
