#pragma once

#include <functional>

class UploadIntf;

// The one way to the upload service for the areas that must not depend on the upload library: the
// program binds the real service at start-up, a test binds a fake.
class UploadAccess
{
public:
    using Provider = std::function<UploadIntf *()>;

    // The bound service, or null when none is bound.
    static UploadIntf *service();
    // An empty provider unbinds the service.
    static void setProvider(Provider provider);
};
