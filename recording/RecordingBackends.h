#pragma once

#include <memory>

class AudioSource;
class RecordingClock;
class ScreenGrabber;
class VideoEncoderFactory;

// What the AVI writer records from and with. Any member left null is replaced by the real facility.
struct RecordingBackends
{
    std::shared_ptr<RecordingClock> clock;
    std::shared_ptr<ScreenGrabber> grabber;
    std::shared_ptr<AudioSource> audio;
    std::shared_ptr<VideoEncoderFactory> encoderFactory;
};
