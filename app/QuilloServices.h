#pragma once

#include <functional>

class AnnotationIntf;
class CaptureIntf;
class LumoVisionIntf;
class MediaLibraryIntf;
class QWidget;
class RecordingIntf;
class SettingIntf;
class SpotlightIntf;
class VideoIntf;
class VisorIntf;
class WebCamIntf;

// Where the main window gets each service it uses. Every getter but video hands out one counted reference
// that the window gives back with the service's release(); video makes a new object that the window owns.
// A parent, where one is taken, is the window's central widget: the service's view lives there. Tests
// construct the window over fakes by setting these; the program uses system().
struct QuilloServices
{
    std::function<VideoIntf *(QWidget *parent)> video;
    std::function<SettingIntf *()> settings;
    std::function<AnnotationIntf *()> annotation;
    std::function<LumoVisionIntf *(QWidget *parent)> docCam;
    std::function<WebCamIntf *(QWidget *parent)> webCam;
    std::function<MediaLibraryIntf *(QWidget *parent)> mediaLibrary;
    std::function<RecordingIntf *()> recording;
    std::function<CaptureIntf *()> capture;
    std::function<VisorIntf *(QWidget *parent)> visor;
    std::function<SpotlightIntf *(QWidget *parent)> spotlight;

    // The real services of this program.
    static QuilloServices system();
};
