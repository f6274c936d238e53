#pragma once

#include <QtGlobal>

// Where a resumable upload's server says it has got to, round after round. A server that keeps naming a
// place it had already reached takes the same bytes again and again without end; bytes keep flowing, so
// no stall ends the job. This tells the provider when to give up.
class ResumeProgress
{
public:
    // Takes the place the server named after a chunk; false once it has named no new place too many
    // rounds in a row.
    bool advance(qint64 offset);

private:
    qint64 m_furthest = 0;
    int m_roundsWithoutProgress = 0;
};
