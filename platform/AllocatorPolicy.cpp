#include "AllocatorPolicy.h"

#include <malloc.h>

namespace {

// Blocks from 16 MiB up get pages of their own, given back to the system when they are freed: the 4K stills
// (33 MB) and their copies, which come a few at a time and are gone a moment later. Live-sized pictures
// (camera, screen and video frames up to 1920x1080, 8 MB) stay below it: they come 25 to 30 times a second
// and reuse the block the frame before left, where pages of their own would cost the page faults of a whole
// frame each time (measured on the live view: 30 -> 5 frames a second at 1 MiB). A fixed value also keeps
// glibc from raising the threshold after each large block freed: by default a freed still lifts it to 33 MB,
// and from then on every still is cut out of the heap, which keeps the freed space and grows by tens of
// megabytes per snapshot.
constexpr int kMmapThresholdBytes = 16 << 20;
// Freed space at the top of the heap is kept up to two 1080p frames rather than given back at once: a frame
// freed and the next one allocated would otherwise fault its pages in again each time. Fixing the mmap
// threshold fixes this one at 128 KiB unless it is set too.
constexpr int kTrimThresholdBytes = 32 << 20;
// Two arenas: the capture, recording, thumbnail, camera and playback threads each took an arena of their own,
// and each arena kept its own freed space; the per-thread caches of small blocks spare the threads most of
// the waiting a shared arena could cost.
constexpr int kArenaMax = 2;

} // namespace

void AllocatorPolicy::apply()
{
    mallopt(M_MMAP_THRESHOLD, kMmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, kTrimThresholdBytes);
    mallopt(M_ARENA_MAX, kArenaMax);
}
