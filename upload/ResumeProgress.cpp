#include "ResumeProgress.h"

namespace {

// A resumable service names an old place at most once after it lost part of a chunk (and a lost
// connection is counted by the job engine's tries, not here); three such answers in a row mean it will
// not take the file.
constexpr int kMaxRoundsWithoutProgress = 3;

} // namespace

bool ResumeProgress::advance(qint64 offset)
{
    if (offset > m_furthest) {
        m_furthest = offset;
        m_roundsWithoutProgress = 0;
        return true;
    }
    return ++m_roundsWithoutProgress < kMaxRoundsWithoutProgress;
}
