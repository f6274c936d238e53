#pragma once

struct SNResponse;

// The library's code for an error answer of the video and photo services: their JSON error names a reason
// ("quotaExceeded", "forbidden", ...) that says more than the status.
class GoogleApiError
{
public:
    static int code(const SNResponse &response);
};
