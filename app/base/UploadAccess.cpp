#include "UploadAccess.h"

namespace {

UploadAccess::Provider &provider()
{
    static UploadAccess::Provider instance;
    return instance;
}

} // namespace

UploadIntf *UploadAccess::service()
{
    return provider() ? provider()() : nullptr;
}

void UploadAccess::setProvider(Provider newProvider)
{
    provider() = std::move(newProvider);
}
