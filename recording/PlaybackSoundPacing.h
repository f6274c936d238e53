#pragma once

// The media player's sound output keeps the sound card's pace instead of being corrected towards the
// player's clock.
//
// The player runs its pipeline on the system clock, so its sound sink measures the skew between the sound
// card's clock and that one and shifts the sound by it. Right after a seek (flushing the sink), and more
// often after a seek while paused and the resume that follows, the sink's clock answers a wrapped, absurd
// time before the sound server has sent its first timing after the flush: the sink takes it for a skew of
// many thousands of hours and drops every later block of sound as late, so the file plays on silent until
// the next seek. With the correction off, the sink places the sound by the calibration it takes when it
// starts and never reads that broken time.
class PlaybackSoundPacing
{
public:
    // Once per process, after the player's media framework is loaded (a player exists) and before the
    // sound output of a player is made; sound sinks made afterwards play at their card's pace. Does nothing
    // when the framework beneath is not the one with that sink.
    static void install();
};
