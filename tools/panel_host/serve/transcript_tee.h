// TranscriptTee: a stream buffer that passes everything on to another one unchanged (standard output,
// as the command line prints it) and hands each finished line to a listener as well.
//
// The workbench puts it under std::cout, so the page sees exactly the transcript the command line shows,
// line by line, without the transcript knowing about pages. The tee does not own the buffer it passes
// on to; the listener is called on the writing thread.
#pragma once

#include <functional>
#include <streambuf>
#include <string>

class TranscriptTee : public std::streambuf {
public:
    TranscriptTee(std::streambuf* next, std::function<void(const std::string&)> onLine)
        : next_(next), onLine_(std::move(onLine)) {}

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void take(const char* text, std::streamsize count);

    std::streambuf* next_;
    std::function<void(const std::string&)> onLine_;
    std::string pending_;  // the line written so far
};
