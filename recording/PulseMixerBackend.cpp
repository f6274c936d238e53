#include "PulseMixerBackend.h"

#include "RecordingLog.h"

#include <QDeadlineTimer>

#include <pulse/pulseaudio.h>

#include <cmath>

namespace {

// A local server answers within a millisecond; a quarter second keeps a hung one from freezing the
// settings dialog that asks.
constexpr int kAnswerMs = 250;

struct VolumeQuery
{
    bool done = false;
    bool found = false;
    pa_cvolume volume{};
};

template<typename Info>
void volumeAnswer(pa_context *, const Info *info, int eol, void *userdata)
{
    auto *query = static_cast<VolumeQuery *>(userdata);
    if (eol != 0) {
        query->done = true;
        return;
    }
    if (info) {
        query->found = true;
        query->volume = info->volume;
    }
}

struct SetQuery
{
    bool done = false;
    bool success = false;
};

void setAnswer(pa_context *, int success, void *userdata)
{
    auto *query = static_cast<SetQuery *>(userdata);
    query->success = success != 0;
    query->done = true;
}

} // namespace

PulseMixerBackend::PulseMixerBackend() = default;

PulseMixerBackend::~PulseMixerBackend()
{
    disconnect();
}

quint32 PulseMixerBackend::toServerVolume(quint32 value)
{
    const double scaled = double(qMin<quint32>(value, 65535)) * PA_VOLUME_NORM / 65535.0;
    return quint32(std::lround(scaled));
}

quint32 PulseMixerBackend::fromServerVolume(quint32 serverVolume)
{
    const double scaled = double(serverVolume) * 65535.0 / PA_VOLUME_NORM;
    return quint32(qMin<long>(std::lround(scaled), 65535));
}

void PulseMixerBackend::disconnect()
{
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    if (m_loop) {
        pa_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

bool PulseMixerBackend::runUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(kAnswerMs);
    while (!done()) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        if (pa_mainloop_prepare(m_loop, int(remaining * 1000)) < 0 || pa_mainloop_poll(m_loop) < 0
            || pa_mainloop_dispatch(m_loop) < 0)
            return false;
    }
    return true;
}

bool PulseMixerBackend::connect()
{
    disconnect();
    m_loop = pa_mainloop_new();
    m_context = m_loop ? pa_context_new(pa_mainloop_get_api(m_loop), "Quillo") : nullptr;
    if (!m_context || pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        recordingLog(LogSystem::LOG_INFO, "PulseMixerBackend::connect - no sound server, volumes are not available");
        disconnect();
        return false;
    }
    const bool settled = runUntil([this] {
        const pa_context_state_t state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!settled || !ready()) {
        recordingLog(LogSystem::LOG_INFO, "PulseMixerBackend::connect - the sound server does not answer");
        disconnect();
        return false;
    }
    return true;
}

bool PulseMixerBackend::ready()
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool PulseMixerBackend::finish(pa_operation *operation, const bool &done)
{
    if (!operation)
        return false;
    const bool answered = runUntil([&done] { return done; });
    if (!answered) {
        // The answer may still come; it must not reach the caller's finished query.
        pa_operation_cancel(operation);
    }
    pa_operation_unref(operation);
    return answered;
}

bool PulseMixerBackend::volume(Device kind, const QByteArray &name, quint32 *value)
{
    if (!ready() && !connect())
        return false;
    VolumeQuery query;
    pa_operation *operation =
        kind == Device::Source
            ? pa_context_get_source_info_by_name(m_context, name.constData(), &volumeAnswer<pa_source_info>, &query)
            : pa_context_get_sink_info_by_name(m_context, name.constData(), &volumeAnswer<pa_sink_info>, &query);
    if (!finish(operation, query.done) || !query.found || !pa_cvolume_valid(&query.volume))
        return false;
    *value = fromServerVolume(pa_cvolume_max(&query.volume));
    return true;
}

bool PulseMixerBackend::setVolume(Device kind, const QByteArray &name, quint32 value)
{
    if (!ready() && !connect())
        return false;
    // The new level is laid over the device's own channels, keeping their balance.
    VolumeQuery current;
    pa_operation *lookup =
        kind == Device::Source
            ? pa_context_get_source_info_by_name(m_context, name.constData(), &volumeAnswer<pa_source_info>, &current)
            : pa_context_get_sink_info_by_name(m_context, name.constData(), &volumeAnswer<pa_sink_info>, &current);
    if (!finish(lookup, current.done) || !current.found || !pa_cvolume_valid(&current.volume))
        return false;
    pa_cvolume volume = current.volume;
    pa_cvolume_scale(&volume, toServerVolume(value));
    SetQuery query;
    pa_operation *operation =
        kind == Device::Source
            ? pa_context_set_source_volume_by_name(m_context, name.constData(), &volume, &setAnswer, &query)
            : pa_context_set_sink_volume_by_name(m_context, name.constData(), &volume, &setAnswer, &query);
    return finish(operation, query.done) && query.success;
}
