#include "coverage.h"

void Coverage::merge(const Coverage& other) {
    for (const auto& group : other.groups) {
        for (const auto& item : group.second) {
            bool& reachedHere = groups[group.first][item.first];
            reachedHere = reachedHere || item.second;
        }
    }
    commandsSent.insert(other.commandsSent.begin(), other.commandsSent.end());
}

int Coverage::reachable() const {
    int count = 0;
    for (const auto& group : groups) {
        count += static_cast<int>(group.second.size());
    }
    return count;
}

int Coverage::reached() const {
    int count = 0;
    for (const auto& group : groups) {
        for (const auto& item : group.second) {
            count += item.second ? 1 : 0;
        }
    }
    return count;
}

double Coverage::percent() const {
    int all = reachable();
    return all == 0 ? 0.0 : 100.0 * reached() / all;
}
