#include "seeds.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace {

template <typename Item>
void addUnique(std::vector<Item>& list, const Item& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(item);
    }
}

template <typename Item>
void addAll(std::vector<Item>& list, const std::vector<Item>& items) {
    for (const Item& item : items) {
        addUnique(list, item);
    }
}

void learn(Seeds& seeds, const ScenarioSeed& scenario) {
    for (const std::string& request : scenario.requests) {
        addUnique(seeds.requests, request);
        size_t split = request.find_first_of("= ");
        addUnique(seeds.requestWords, request.substr(0, split));
        if (split != std::string::npos) {
            addUnique(seeds.requestValues, request.substr(split + 1));
        }
    }
    addAll(seeds.messages, scenario.messages);
    addAll(seeds.texts, scenario.texts);
    addAll(seeds.controls, scenario.controls);
    addAll(seeds.choices, scenario.choices);
    addAll(seeds.ticks, scenario.ticks);
    addAll(seeds.advances, scenario.advances);
    addAll(seeds.numbers, scenario.numbers);
}

}  // namespace

const std::vector<std::string>& Seeds::prefixFor(uint64_t pick) const {
    static const std::vector<std::string> none;
    if (!from.empty()) {
        return from;
    }
    return scenarios.empty() ? none : scenarios[pick % scenarios.size()].prefix;
}

std::shared_ptr<const Seeds> readSeeds(const std::vector<std::string>& paths, const std::string& from) {
    auto seeds = std::make_shared<Seeds>();
    for (const std::string& path : paths) {
        std::error_code error;
        std::vector<std::string> files;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
                if (entry.is_regular_file() && entry.path().extension() == ".scenario") {
                    files.push_back(entry.path().string());
                }
            }
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(path, error)) {
            files.push_back(path);
        } else {
            throw std::runtime_error(path + ": no such scenario file or folder");
        }
        for (const std::string& file : files) {
            seeds->scenarios.push_back(readScenarioSeed(file));
            learn(*seeds, seeds->scenarios.back());
        }
    }
    if (!from.empty()) {
        ScenarioSeed start = readScenarioSeed(from);
        learn(*seeds, start);
        seeds->from = start.prefix;
        if (seeds->from.empty()) {
            throw std::runtime_error(from + ": --from needs a scenario with steps that drive the script");
        }
    }
    return seeds;
}
