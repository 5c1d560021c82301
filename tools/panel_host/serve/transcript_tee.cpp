#include "transcript_tee.h"

void TranscriptTee::take(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i) {
        if (text[i] == '\n') {
            onLine_(pending_);
            pending_.clear();
        } else {
            pending_ += text[i];
        }
    }
}

TranscriptTee::int_type TranscriptTee::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    char c = traits_type::to_char_type(ch);
    take(&c, 1);
    return next_->sputc(c);
}

std::streamsize TranscriptTee::xsputn(const char* text, std::streamsize count) {
    take(text, count);
    return next_->sputn(text, count);
}

int TranscriptTee::sync() {
    return next_->pubsync();
}
