// HostDoor: the host object a script is handed, which outlives the host behind it.
//
// A script may keep its host pointer where the host cannot reach it (a static object whose destructor
// runs at exit, a thread it left running) and call it after the host has ended the script and gone. The
// door is never freed, so such a call always lands in valid code: while its host lives it passes every
// request through unchanged; once the host is gone (close()) a request is the breach
// request-after-destruction: one line on standard error, "host contract: ERROR request-after-destruction:
// ...", naming the request, and the process ends with status 1. There is no host left to answer, and a
// bare crash at exit, after the tests have passed, would tell the author nothing.
//
// A door belongs to one host and is opened and closed on the host's thread; the doors live in a list of
// their own that is never freed, so a leak check sees them as reachable.
#pragma once

#include <cstdint>
#include <string>

#include "orvo_host.h"

class HostDoor final : public orvo_host {
public:
    // A new door to `host`, valid for the rest of the process.
    static HostDoor* open(orvo_host& host);
    // The host behind the door is gone; `why` ends the message of a later request ("the test's
    // TestedPanel has ended").
    void close(const std::string& why);

    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

private:
    explicit HostDoor(orvo_host& host) : host_(&host) {}
    [[noreturn]] void afterDestruction(const std::string& what);

    orvo_host* host_;
    char why_[160] = {};
};
