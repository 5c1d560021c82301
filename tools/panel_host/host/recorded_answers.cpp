#include "recorded_answers.h"

#include "text.h"

void RecordedAnswers::add(const std::string& command, const std::optional<std::string>& answer) {
    answers_.push_back({command, answer});
}

std::optional<std::optional<std::string>> RecordedAnswers::take(const std::string& command) {
    for (auto answer = answers_.begin(); answer != answers_.end(); ++answer) {
        if (answer->command == command) {
            std::optional<std::string> text = answer->text;
            answers_.erase(answer);
            return text;
        }
    }
    differences_.push_back("the recording has no answer to " + escapedControls(command) +
                           "; the host answered from its model");
    return std::nullopt;
}

std::vector<std::string> RecordedAnswers::takeDifferences() {
    for (const Answer& answer : answers_) {
        differences_.push_back("the recording answers " + (answer.text ? quotedText(*answer.text) : "none") +
                               " to " + escapedControls(answer.command) + ", which the script did not send");
    }
    answers_.clear();
    std::vector<std::string> differences;
    differences.swap(differences_);
    return differences;
}
