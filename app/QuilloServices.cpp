#include "QuilloServices.h"

#include "AnnotationImpl.h"
#include "CaptureImpl.h"
#include "LumoVisionImpl.h"
#include "MediaLibraryImpl.h"
#include "RecordingImpl.h"
#include "SettingImpl.h"
#include "SpotlightImpl.h"
#include "VideoImpl.h"
#include "VisorImpl.h"
#include "WebCamImpl.h"

QuilloServices QuilloServices::system()
{
    QuilloServices services;
    services.video = [](QWidget *parent) -> VideoIntf * { return VideoImpl::create(parent); };
    services.settings = []() -> SettingIntf * { return SettingImpl::getInstance(); };
    services.annotation = [] { return AnnotationImpl::getInstance(); };
    services.docCam = [](QWidget *parent) { return LumoVisionImpl::getInstance(parent); };
    services.webCam = [](QWidget *parent) -> WebCamIntf * { return WebCamImpl::getInstance(parent); };
    services.mediaLibrary = [](QWidget *parent) -> MediaLibraryIntf * {
        return MediaLibraryImpl::getInstance(parent, CaptureImpl::getInstance());
    };
    services.recording = []() -> RecordingIntf * { return RecordingImpl::getInstance(); };
    services.capture = [] { return CaptureImpl::getInstance(); };
    services.visor = [](QWidget *parent) { return VisorImpl::getInstance(parent); };
    services.spotlight = [](QWidget *parent) { return SpotlightImpl::getInstance(parent); };
    return services;
}
