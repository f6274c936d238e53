#pragma once

#include "CallRecorder.h"
#include "MediaIntf.h"

// One media record for window tests (see CallRecorder for calls and answers). Made with one reference,
// counted like the real record: the last release() deletes it, so its calls can no longer be read then;
// alive() tells how many fakes still exist, refCount() what a living one holds. lockFile answers 1 (held)
// unless set.
//     auto *media = new MediaFake("/tmp/a.jpg");
//     panel.show(media);         // takes its own reference
//     media->release();          // the test's
//     ...
//     QCOMPARE(MediaFake::alive(), 0);
class MediaFake : public MediaIntf, public CallRecorder
{
public:
    explicit MediaFake(const QString &path);

    static int alive();
    int refCount() const;

    void addRef() override;
    void release() override;
    int lockFile() override;
    void unlockFile() override;
    QString path() const override;

private:
    ~MediaFake() override;

    const QString m_path;
    int m_refs = 1;
};
