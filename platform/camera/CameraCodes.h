#pragma once

// Result codes of the camera layer. Every failure is negative; callers compare against these values.
namespace CameraCodes {

constexpr int Success = 0;
// The device disappeared (unplugged, or its driver went away); also the code of the stream stop it causes.
constexpr int DeviceGone = int(0xE0000000u);
// The request or its argument makes no sense for this device (out of range, unsupported value).
constexpr int InvalidArgument = int(0xE0000001u);
// The device does not offer the operation.
constexpr int NotSupported = int(0xE0000002u);
// The device refused an operation for another reason (an ioctl failed, a mapping could not be made).
constexpr int DeviceError = int(0xE0000003u);
// Another stream or application holds the device.
constexpr int DeviceBusy = int(0xE0000004u);
// No live frame has been delivered yet, so there is nothing to copy.
constexpr int NoFrame = int(0xE0000005u);
// The stream was released, or has ended; it accepts no more requests.
constexpr int StreamClosed = int(0xE0000006u);
// Positive: a contrast change started a tuning process; parameterTuningProcessEnded follows.
constexpr int TuningInProgress = 0x20000;

} // namespace CameraCodes
