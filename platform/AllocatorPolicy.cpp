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
// Freed space at the top of the heap is kept up to one 1080p frame (8.3 MB) and a little, so that a live
// frame freed and the next one allocated reuse the same pages instead of faulting them in again (measured on
// the live view: 30 frames a second, as with no limit). A larger reserve is memory held for nothing: at 32 MiB
// the soak kept up to 20 MB free at the top of each heap after a screen grab or a video. Fixing the mmap
// threshold fixes this one at 128 KiB unless it is set too.
constexpr int kTrimThresholdBytes = 9 << 20;
// One arena. A second arena is a heap of its own (64 MB regions) that gives back only what lies free at its
// top: the recording, playback and decoding threads cut their frames out of it, and a few small blocks those
// threads keep pin the space around them, so the soak's second arena held 64 MB with 1.4 MB in use. In one
// arena the frames reuse the space the others freed. The threads' own caches of small blocks spare them the
// waiting a shared arena could cost, and large blocks are a few a frame (live view: 30 frames a second either
// way).
constexpr int kArenaMax = 1;

} // namespace

void AllocatorPolicy::apply()
{
    mallopt(M_MMAP_THRESHOLD, kMmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, kTrimThresholdBytes);
    mallopt(M_ARENA_MAX, kArenaMax);
}
