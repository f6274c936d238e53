#pragma once

#include <QList>

// The waits of the upload library, in milliseconds; tests shorten them.
struct SNTimings
{
    // Before each new try of an interrupted request, in turn; their number is the number of tries.
    QList<int> backoffMs{1000, 2000, 4000, 8000, 16000};
    // A "Retry-After" longer than this is not waited for: the job fails as "too often" instead.
    qint64 retryAfterCapMs = 60 * 1000;
    // No byte moving for this long ends an account check, token request, removal or immediate upload
    // with "timed out". Scheduled uploads use the first start-up value instead.
    int interactiveStallMs = 60 * 1000;
    // A scheduled upload's stall limit; set from the start-up values.
    int scheduledStallMs = 100 * 1000;
    // Once a service starts answering, the whole answer has arrived within this long, or the request fails
    // as "timed out". The answers are small documents that take well under a second; a minute leaves room
    // for a poor line and still ends a server that drips bytes to keep a request open for ever.
    int answerDeadlineMs = 60 * 1000;
    // How long the browser has to come back with a grant (the user signs in and reads the consent page).
    int grantWaitMs = 10 * 60 * 1000;
    // An access token that ends within this much is renewed before it is used.
    int refreshMarginMs = 60 * 1000;
    // Overrides the device login's polling interval when 0 or more.
    int devicePollMs = -1;
};
