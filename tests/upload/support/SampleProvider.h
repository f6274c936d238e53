#pragma once

#include "SNProvider.h"

// A small provider for the engine's own tests, speaking the protocol that SampleServiceEmulation serves; it
// is also the model of a provider. Its parameters:
// - "client_id" (required), "flow" ("device" for device login, else authorization code);
// - "simple_limit": files up to this size go in one request (default 1 MiB), larger ones through a
//   resumable session in chunks of "chunk_size" bytes (default 256 KiB).
// Requests:
// - account: GET api /v1/me -> {"id", "name"};
// - upload, one request: POST content /v1/files?name=<file name> with the file -> {"id", "url"};
// - upload, resumable: POST content /v1/sessions {"name", "size"} -> Location; then PUT <location> with
//   "Content-Range: bytes a-b/size" per chunk -> 308 "Range: bytes=0-n" until the last, which answers
//   {"id", "url"}; after an interruption PUT <location> with "Content-Range: bytes */size" asks how far the
//   server got; a session the server no longer knows (404) starts again from a new one;
// - removal: DELETE api /v1/files/<path> -> 204.
class SampleProvider : public SNProvider
{
public:
    QStringList requiredParameters() const override;
    QUrl defaultEndpoint(const QString &role) const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
};
