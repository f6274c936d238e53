#pragma once

class CameraWidget;

// Told when a live view receives a picture after having none. The view does not own its delegate and
// never deletes it through this interface.
class CameraWidgetDelegate
{
public:
    virtual void firstFrameArrived(CameraWidget *widget) = 0;

protected:
    ~CameraWidgetDelegate() = default;
};
