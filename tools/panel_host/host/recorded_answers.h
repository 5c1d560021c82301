// RecordedAnswers: the host's answers a recorded session holds, which a replay hands the script in place
// of the host model's.
//
// The runner adds each `host answers` step; the host takes the first answer recorded for exactly the
// command text the script sent, so repeated requests get their answers in the recorded order. A request
// the recording has no answer for is a difference (the host then answers from its model), and so is an
// answer recorded for a step that the script did not ask for; takeDifferences() hands both over after
// each step. It holds texts only and calls nothing.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

class RecordedAnswers {
public:
    // `answer` is nullopt for a request the host left unanswered.
    void add(const std::string& command, const std::optional<std::string>& answer);

    // The recorded answer to `command`, removed; nullopt, and a difference, when the recording has none.
    std::optional<std::optional<std::string>> take(const std::string& command);

    // What differed from the recording since the last call, one text each; emptied, and the answers not
    // taken are dropped.
    std::vector<std::string> takeDifferences();

private:
    struct Answer {
        std::string command;
        std::optional<std::string> text;
    };
    std::deque<Answer> answers_;
    std::vector<std::string> differences_;
};
