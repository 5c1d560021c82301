// CallGuard: what the operator is told when the script takes the whole process down during a call into
// it: a crash (a fault signal on POSIX, an unhandled exception on Windows, an abort) or the script
// ending the process with exit().
//
// The host marks each call into the script with enter() and leave(). enter() writes, into a fixed
// buffer, which step is being played and which call is running, so the handlers only copy bytes that
// are already there: they allocate nothing, take no lock and call only write(2) and _exit(). They write
// "panel_host: file:line: the script crashed (SIGSEGV) during notify kind 2" (or "... ended the process
// (exit) ...") to standard error and end the process with status 3. The transcript so far is on
// standard output, as the host flushes it before every call into the script and before every return to
// it. A fault outside a call is the host's own and takes its default course. On POSIX the handlers run
// on an alternate signal stack, so a script that overflows its stack is reported like any other crash;
// that stack is the installing thread's, so the thread that calls the script installs the guard. The
// guard is one per process; it owns nothing but that stack, which lives as long as the process.
#pragma once

#include <string>

namespace call_guard {

// Exit status of a run the script crashed or ended.
constexpr int kScriptEndedStatus = 3;

// Installs the handlers (once per process), the calling thread's alternate signal stack (once per
// thread) and, each time, a hook at process exit. Call it after loading a library, so the hook runs
// before the library's own exit-time code.
void install();

// The library being played, for a run that plays more than one ("" for none).
void setLibrary(const std::string& library);

// The step being played, as "file:line", for the message.
void setStep(const std::string& where);

// Around each call into the script; `call` names it ("notify kind 2", "the export", "the destructor").
void enter(const std::string& call);
void leave();

// True while a call into the script is in progress.
bool inCall();

// What a process that died during a call into the script said on standard error, read back by the
// process that watched it (the validator's isolation, the workbench's panel process): the guard's last
// line, cut into the step and what happened, and the breach of the host contract that brought it about
// when one was named ("record-read-after-call: ..."). All empty when the text holds no such line.
struct Report {
    std::string breach;  // "<rule>: <words>", or ""
    std::string where;   // "storm:12", or ""
    std::string what;    // "the script crashed (SIGSEGV) during notify kind 2"
};
Report readReport(const std::string& errorText);

}  // namespace call_guard
