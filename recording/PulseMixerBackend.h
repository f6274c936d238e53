#pragma once

#include "MixerBackend.h"

#include <functional>

struct pa_context;
struct pa_mainloop;
struct pa_operation;

// Volumes of the sound server's sinks and sources through one client connection, each request answered
// before the call returns (a local round trip; a server that does not answer in time counts as gone).
class PulseMixerBackend : public MixerBackend
{
public:
    PulseMixerBackend();
    ~PulseMixerBackend() override;

    // False when no server answers.
    bool connect();
    bool volume(Device kind, const QByteArray &name, quint32 *value) override;
    bool setVolume(Device kind, const QByteArray &name, quint32 value) override;

    // The server's volume scale (0 to its nominal 0x10000) against ours (0 to 65535), rounded so that a
    // value set reads back unchanged.
    static quint32 toServerVolume(quint32 value);
    static quint32 fromServerVolume(quint32 serverVolume);

private:
    bool ready();
    // Runs the client's loop until done answers true; false on a time-out or a broken connection.
    bool runUntil(const std::function<bool()> &done);
    bool finish(pa_operation *operation, const bool &done);
    void disconnect();

    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
};
