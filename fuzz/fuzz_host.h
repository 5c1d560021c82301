// FuzzHost: the host a fuzzed panel talks to. Its answers come from the fuzz input: no answer, the
// answer a real site would give, any text, a text shaped like the expected answer with fuzzed contents
// (odd keys, several '=', quotes and blanks), or a long text.
//
// It checks the contract from the host's side and stops the run when the script breaks it: every answer
// it gives must come back with kind 5 exactly once (a null hand-back is allowed) before the script's next
// command and before the call into the script returns, nothing else may come back, every command is a
// known command word, and reserved() is never called. This is the kit's hand-back rule, kept here in a
// faster form: an answer that came back is freed when the call ends (callEnded()), not at once, so a
// second hand-back in the same call is told from a newer answer at a reused address; a script that reads
// an answer after the call is caught by the address sanitizer. Commands that
// give no answer return a bogus non-zero result that must never be taken for a text.
//
// With ORVO_FUZZ_TRACE set in the environment it prints every command and hand-back to standard error,
// which is how a saved finding is read back.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "fuzz_input.h"
#include "orvo_host.h"

class FuzzHost : public orvo_host {
public:
    explicit FuzzHost(const std::string& answers);
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

    // Answers given and not yet handed back.
    size_t outstanding() const { return outstanding_.size(); }
    // The call into the script has returned: every answer must be back by now, and those that came back
    // are freed.
    void callEnded();

private:
    const char* answerFor(const std::string& command);
    std::string defaultAnswer(const std::string& command) const;
    std::string shapedAnswer(const std::string& command, const std::string& text) const;

    std::string answerBytes_;  // owns the bytes the reader points into
    FuzzInput answers_;
    std::set<char*> outstanding_;
    std::set<char*> back_;  // handed back during the current call
    bool trace_;
};
