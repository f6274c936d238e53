#include "MediaFake.h"

#include <atomic>

namespace {

std::atomic<int> living{0};

} // namespace

MediaFake::MediaFake(const QString &path)
    : m_path(path)
{
    ++living;
}

MediaFake::~MediaFake()
{
    --living;
}

int MediaFake::alive()
{
    return living;
}

int MediaFake::refCount() const
{
    return m_refs;
}

void MediaFake::addRef()
{
    record("addRef");
    ++m_refs;
}

void MediaFake::release()
{
    record("release");
    if (--m_refs == 0)
        delete this;
}

int MediaFake::lockFile()
{
    return respond<int>("lockFile", {}, 1);
}
void MediaFake::unlockFile()
{
    record("unlockFile");
}
QString MediaFake::path() const
{
    record("path");
    return m_path;
}
