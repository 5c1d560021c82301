// orvo_script_helper: the base class of every panel script.
//
// It implements notify() and turns each host event into one call of a handler that the concrete script
// overrides; it holds the host object, through which every command operation below sends its text; and
// it carries the alarm facility, which stays off unless a script switches it on.
//
// Ownership: the host object is the host's and is never deleted. Texts passed to the command operations
// are only read. Every answer the host returns is read at once and handed back within the same call.
// A text returned for a parent request is the script's until the host hands it back with kind 5.
//
// Without a host object every command operation sends nothing and every query yields its empty result
// (false, 0, an empty text or list), except that panelInit/panelShow report true and readName leaves its
// output as it was.
//
// Nothing here throws out of notify() or the destructor: a failure inside a handler (an allocation,
// typically) drops the event, notify() writes the debug line "notify: dropped a kind-N event: WHAT"
// and returns null; the script keeps working for the next one.
#pragma once

#include <cstdint>

#include "event_wrappers.h"
#include "held_answers.h"
#include "orvo_client_callback.h"
#include "orvo_host.h"
#include "orvo_string.h"
#include "orvo_stringlist.h"

class orvo_script_helper : public orvo_client_callback {
public:
    // Keeps `host` (may be null) and copies `basePath` (null reads as empty).
    orvo_script_helper(orvo_host* host, const char* basePath);
    // Sends "AS" as the script's last command when there is a host object, after the derived script's
    // own destructor has run. Frees any parent-request answer the host never handed back.
    ~orvo_script_helper() override;

    orvo_script_helper(const orvo_script_helper&) = delete;
    orvo_script_helper& operator=(const orvo_script_helper&) = delete;

    // Routes kind 1 to onRevertive, 2 to onButton (through the alarm facility when it is on), 3 to
    // onParentRequest, 4 to onTimer, 5 to the release of an earlier answer, 6 to onRecordEvent and 7 to
    // onIntegerEvent. Other kinds are ignored. Returns null except for a non-empty parent-request answer.
    char* notify(void* data, int32_t kind) override;

    // Handlers. Each is called once per event, on the host's thread, and may send commands.
    virtual void onButton(ButtonEvent* event) = 0;
    // The result is not used by the dispatcher.
    virtual int32_t onRevertive(RevertiveEvent* event) = 0;
    // The answer goes to the host as a copy; an empty answer reaches the host as no text (null).
    virtual orvo_string onParentRequest(ParentRequest* request) = 0;
    virtual void onIntegerEvent(int32_t* value);
    virtual void onTimer(int32_t timerId) = 0;
    virtual void onRecordEvent(RecordEvent* event);

    // --- Panel and control commands -------------------------------------------------------------------
    // PI '{panel}' '{basePath}/{file}' ['{extra}']: the base path and "/" only when basePath is not
    // empty, the extra field only when extra is not empty. True when the host loaded the layout (or when
    // there is no host object).
    bool panelInit(const orvo_string& panel, const orvo_string& file, const orvo_string& extra);
    // PS, built exactly as PI.
    bool panelShow(const orvo_string& panel, const orvo_string& file, const orvo_string& extra);
    // CE '{panel}' '{control}'
    void controlEnable(const orvo_string& panel, const orvo_string& control);
    // CD '{panel}' '{control}'
    void controlDisable(const orvo_string& panel, const orvo_string& control);
    // TP '{param}={value}' '{panel}' '{control}'
    void textPut(const orvo_string& param, const orvo_string& value, const orvo_string& panel,
                 const orvo_string& control);
    // TP '{text}' '{panel}' '{control}'
    void textPut(const orvo_string& text, const orvo_string& panel, const orvo_string& control);
    // TG '{panel}' '{control}' '{param}'. `out` gets the value of the answer {param}={value}, or for param
    // "all" the whole answer; the empty text when there is no host, no answer, or the answer is for
    // another parameter (which also writes a debug line). `out` is always overwritten.
    void textGet(const orvo_string& param, const orvo_string& panel, const orvo_string& control,
                 orvo_string& out);
    // XI '{panel}' '{filter}'. The host's comma-separated answer as a list; empty without an answer.
    orvo_stringlist controlIdList(const orvo_string& panel, const orvo_string& filter);
    // Writes the text to the platform's debug output unchanged; no line end is added.
    void debug(const orvo_string& text);
    void debug(const char* text);
    // Fills %1 to %9 of `format` with the nine texts in one pass (a filled-in text is never searched for
    // markers again), then writes the result as debug() does.
    void debugFormat(const orvo_string& format, const orvo_string& a1, const orvo_string& a2,
                     const orvo_string& a3, const orvo_string& a4, const orvo_string& a5,
                     const orvo_string& a6, const orvo_string& a7, const orvo_string& a8,
                     const orvo_string& a9);

    // --- Device, lookup and timer commands ------------------------------------------------------------
    // SD '{instanceName}'. Sets *device and *offset (either may be null) from the first two tokens of the
    // answer, 0 where there is none. True whenever the host answered at all.
    bool instanceLookup(const orvo_string& instanceName, int32_t* device, int32_t* offset);
    // IR {device} {first} {last}, with " 'ADD'" appended when add is true.
    void infoRegister(int32_t device, int32_t first, int32_t last, bool add);
    // IP {device} {first} {last}
    void infoPoll(int32_t device, int32_t first, int32_t last);
    // IU {device}
    void infoUnregister(int32_t device);
    // IW {device} '{text}' {slot} {1|0}. The text goes in unchanged; over 256 characters it also writes
    // a debug line, and is still sent whole.
    void infoWrite(int32_t device, const orvo_string& text, int32_t slot, bool flag);
    // RN {device} {database} {index}. `out` gets the answer; a null answer leaves it as it was. The answer
    // is handed back even when it is null.
    void readName(int32_t device, int32_t database, int32_t index, orvo_string& out);
    // ET {id} {interval}; ET {id} when interval is 0.
    void timerStart(int32_t id, int32_t interval);
    // ET {id}
    void timerStop(int32_t id);

    // --- Alarm facility -------------------------------------------------------------------------------
    // Applies a level text to every control of panel 1 that the host lists for the filter "alm_": "ack"
    // or "4" acknowledges, another single character sets that level, anything else only passes the text
    // on in each control's "alarm" parameter.
    void alarmAction(const orvo_string& levelText);

protected:
    // Switches the alarm facility on or off; when on, presses on "ActionAll" (message alarm=...) and
    // "AckAll" are taken by the helper and never reach onButton.
    void setAlarmHandling(bool on) { alarmHandling = on; }

    orvo_host* hostHandle;  // not owned; may be null
    orvo_string basePath;   // put in front of layout file names
    uint8_t alarmHandling;  // the alarm facility's switch; off at creation

private:
    // Sends one command text; returns the host's result, or 0 without a host object.
    intptr_t send(const char* command);
    // The value textGet() writes to its output.
    orvo_string readControlText(const orvo_string& param, const orvo_string& panel,
                                const orvo_string& control);
    // The alarm facility's look at a button event; true when it consumed the event.
    bool interceptAlarmButton(const ButtonEvent& event);
    bool layoutCommand(const char* word, const orvo_string& panel, const orvo_string& file,
                       const orvo_string& extra);

    char* answerParentRequest(const char* text);
    void releaseAnswer(void* answer);

    // Answers returned for parent requests that the host has not handed back yet. A kind-5 pointer that
    // is not here is foreign (or a second release) and is ignored rather than freed.
    orvo_held_answers heldAnswers_;
};
