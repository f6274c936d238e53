#include "SNProvider.h"

#include "SNErrorMap.h"
#include "SNResponse.h"

SNProvider::~SNProvider() = default;

int SNProvider::failureCode(const SNResponse &response) const
{
    return SNErrorMap::httpStatusCode(response.status);
}
