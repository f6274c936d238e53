#pragma once

#include "CameraParameters.h"

#include <QImage>

// The picture changes a stream makes in software, for the controls its device lacks. Applied on the
// stream's worker thread to each frame before delivery; a neutral adjustment returns the frame untouched
// (no pixel copy).
struct FrameAdjust
{
    double zoomRatio = CameraParameters::ZoomMinimum;
    uint rotation = 0;
    bool mirror = false;
    int colorEffect = CameraParameters::ColorEffectNone;
    // Levels 0..100, neutral at 50.
    int brightness = CameraParameters::LevelNeutral;
    int contrast = CameraParameters::LevelNeutral;
    int exposure = CameraParameters::LevelNeutral;
    int redGain = CameraParameters::LevelNeutral;
    int blueGain = CameraParameters::LevelNeutral;

    bool operator==(const FrameAdjust &other) const = default;

    QImage apply(const QImage &frame) const;

private:
    bool changesLevels() const;
    void applyLevels(QImage &image) const;
};
