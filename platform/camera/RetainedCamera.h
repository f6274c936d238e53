#pragma once

#include "LumoDocCam.h"

// One counted reference to a camera, held for as long as this object lives (also inside a queued call
// that is dropped without running).
class RetainedCamera
{
public:
    explicit RetainedCamera(LumoDocCam *camera)
        : m_camera(camera)
    {
        m_camera->retain();
    }
    RetainedCamera(const RetainedCamera &other)
        : RetainedCamera(other.m_camera)
    {
    }
    RetainedCamera &operator=(const RetainedCamera &) = delete;
    ~RetainedCamera() { m_camera->release(); }

    LumoDocCam *get() const { return m_camera; }

private:
    LumoDocCam *m_camera;
};
