#include "CaptureImpl.h"

#include <QMutexLocker>
#include <QRecursiveMutex>

namespace {
QRecursiveMutex serviceMutex;
CaptureImpl *instance = nullptr;
} // namespace

CaptureIntf *CaptureImpl::getInstance()
{
    QMutexLocker lock(&serviceMutex);
    if (instance)
        ++instance->m_refCount;
    else
        instance = new CaptureImpl;
    return instance;
}

void CaptureImpl::release()
{
    QMutexLocker lock(&serviceMutex);
    if (--m_refCount > 0)
        return;
    instance = nullptr;
    lock.unlock();
    delete this;
}

CaptureImpl::CaptureImpl() = default;
CaptureImpl::~CaptureImpl() = default;

int CaptureImpl::captureScreen(QString *path) { return path ? -1 : -2000; }
int CaptureImpl::captureVision(QString *path) { return path ? -1000 : -2000; }
int CaptureImpl::toggleTimeLapseSetup() { return -1000; }
int CaptureImpl::getTimeLapseParameters(uint *totalTime, uint *interval)
{
    return totalTime && interval ? 0 : -2000;
}
int CaptureImpl::setTimeLapseParameters(uint, uint) { return -1000; }
int CaptureImpl::startTimeLapseCapture() { return -1000; }
int CaptureImpl::stopTimeLapseCapture() { return -2002; }
int CaptureImpl::confirmExit() { return 0; }
uint CaptureImpl::actionStatus() { return m_status; }
