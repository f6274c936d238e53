#pragma once

class LumoDocCam;

// Device arrival and removal, on the GUI thread. A device is reported in one role at a time: as a document
// camera or as a web cam. A role change is reported as a removal in the old role followed by an arrival in
// the new one.
class DocCamManagerEventListener
{
public:
    virtual ~DocCamManagerEventListener() = default;
    virtual void docCamArrived(LumoDocCam *camera) = 0;
    virtual void docCamRemoved(LumoDocCam *camera) = 0;
    virtual void webCamArrived(LumoDocCam *camera) = 0;
    virtual void webCamRemoved(LumoDocCam *camera) = 0;
};
