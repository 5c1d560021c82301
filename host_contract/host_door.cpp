#include "host_door.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "contract_checker.h"

HostDoor* HostDoor::open(orvo_host& host) {
    // Never freed: a script may call through a door at any time until the process ends.
    static std::vector<HostDoor*>* const doors = new std::vector<HostDoor*>();
    doors->push_back(new HostDoor(host));
    return doors->back();
}

void HostDoor::close(const std::string& why) {
    host_ = nullptr;
    std::snprintf(why_, sizeof why_, "%s", why.c_str());
}

void HostDoor::afterDestruction(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr,
                 "host contract: ERROR %s: %s after the script was destroyed and its host ended (%s)\n",
                 faultName(Fault::AfterDestruction), what.c_str(), why_);
    std::fflush(stderr);
    std::_Exit(1);
}

void HostDoor::reserved() {
    if (host_ == nullptr) {
        afterDestruction("a call of the host object's first slot");
    }
    host_->reserved();
}

intptr_t HostDoor::request(void* data, int32_t kind) {
    if (host_ == nullptr) {
        afterDestruction("a request " + ContractChecker::describe(data, kind));
    }
    return host_->request(data, kind);
}
