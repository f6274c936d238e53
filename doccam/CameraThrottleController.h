#pragma once

class CameraWidget;

// Asks a view's stream for its next frame. A live view calls it at the end of every paint, with or
// without a picture, so that the camera never runs ahead of the screen.
class CameraThrottleController
{
public:
    virtual ~CameraThrottleController() = default;
    virtual void requestNextFrame(CameraWidget *widget) = 0;
};
