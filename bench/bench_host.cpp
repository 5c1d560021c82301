#include "bench_host.h"

#include <cstdio>

#include "orvo_event_kind.h"

namespace {

const char kRouterLookup[] = "3 0";
const char kTallyLookup[] = "12 0";

intptr_t answerWith(const char* text) {
    return reinterpret_cast<intptr_t>(text);
}

}  // namespace

BenchHost::BenchHost() : selectedIndexAnswer_{}, log_(nullptr), requests_(0) {
    setSelectedIndex(-1);
}

void BenchHost::setSelectedIndex(int32_t index) {
    std::snprintf(selectedIndexAnswer_, sizeof selectedIndexAnswer_, "selectedindex=%d",
                  static_cast<int>(index));
}

intptr_t BenchHost::request(void* data, int32_t kind) {
    ++requests_;
    const char* text = static_cast<const char*>(data);
    if (kind == orvo_request_release) {
        if (log_ != nullptr) {
            log_->push_back(std::string("release ") + (text != nullptr ? text : "null"));
        }
        return 0;
    }
    if (text == nullptr) {
        return 0;
    }
    if (log_ != nullptr) {
        log_->push_back(text);
    }
    // The command word is the first two characters; fields start after the blank.
    switch (text[0]) {
        case 'P':  // PI, PS: the layout is loaded
            return 1;
        case 'S':  // SD '{instance}'
            return answerWith(text[1] == 'D' && text[4] == 'Z' ? kRouterLookup : kTallyLookup);
        case 'T':  // TG asks, TP does not
            return text[1] == 'G' ? answerWith(selectedIndexAnswer_) : 0;
        case 'R':  // RN {device} {database} {index}
            return text[1] == 'N' ? answerWith(DEST_NAME) : 0;
        default:
            return 0;
    }
}
