// ExportedPanel: one Corvane as a host gets it, from the library's export, on a RecordingHost, with the
// host's records built on the heap at their exact size so the sanitizers see any read past their end.
//
// The instance lookups answer as the test says (router and tally driver), and debug lines are caught
// into the log. sent() answers what went out since the last look: commands, hand-backs and debug lines.
// The panel is deleted through its interface by close() or the destructor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvo_client_callback.h"
#include "parsed_command.h"
#include "recording_host.h"

using Lines = std::vector<std::string>;

class ExportedPanel {
public:
    // nullopt answers the lookup with no text (the host does not know the name).
    explicit ExportedPanel(std::optional<std::string> tallyAnswer = "7 0",
                           std::optional<std::string> routerAnswer = "3 0");
    ~ExportedPanel();
    ExportedPanel(const ExportedPanel&) = delete;
    ExportedPanel& operator=(const ExportedPanel&) = delete;

    // A button record with these texts (any may be null) and a message parsed by the host.
    char* button(const char* panelId, const char* controlId, const ParsedCommand* message);
    // The same with `message` cut by the host's reader (null: no message at all).
    char* button(const char* panelId, const char* controlId, const char* message);
    // The operator clicks row 3; the list answers selectedindex=2.
    void chooseRow3();
    void press(const char* control);
    // A revertive record whose text is stored in the record itself.
    char* report(int32_t device, int32_t slot, const std::string& text);
    // A parent request; a returned text is read and handed back.
    std::optional<std::string> ask(const char* request);
    char* notify(void* data, int32_t kind);

    Lines sent();
    void close();

    RecordingHost host;
    orvo_client_callback* panel = nullptr;
};

// Every answer the host gave was handed back exactly once, and nothing else came back.
void expectHandBacksBalanced(const RecordingHost& host);

// A host-filled message: every pointer as given (nulls included) and whatever count the host wrote.
ParsedCommand carelessMessage(const char* command, const char* value, int32_t subWordCount);
