#include "host_command.h"

#include <string_view>
#include <utility>

#include "text.h"

namespace {

// "'a' 'b' 'c'" -> a, b, c. The fields are cut at "' '"; the whole must start and end with a quote.
std::vector<std::string> quotedFields(const std::string& word, const std::string& rest) {
    if (rest.size() < 2 || rest.front() != '\'' || rest.back() != '\'') {
        throw CommandError(word + " needs its fields in single quotes");
    }
    std::vector<std::string> fields;
    fields.reserve(3);
    // Cut in place, between the outer quotes: a TP text may be a whole list.
    const std::string_view inner = std::string_view(rest).substr(1, rest.size() - 2);
    size_t start = 0;
    for (;;) {
        size_t cut = inner.find("' '", start);
        if (cut == std::string_view::npos) {
            fields.emplace_back(inner.substr(start));
            return fields;
        }
        fields.emplace_back(inner.substr(start, cut - start));
        start = cut + 3;
    }
}

std::vector<std::string> exactFields(const std::string& word, const std::string& rest, size_t count,
                                     const char* names) {
    std::vector<std::string> fields = quotedFields(word, rest);
    if (fields.size() != count) {
        throw CommandError(word + " takes " + names);
    }
    return fields;
}

int32_t number(const std::string& word, const std::string& text, const char* what) {
    std::optional<int32_t> value = parseInt32(text);
    if (!value) {
        throw CommandError(word + ": " + what + " " + quotedText(text) + " is not a number");
    }
    return *value;
}

std::vector<int32_t> numbers(const std::string& word, const std::string& rest, size_t least, size_t most,
                             const char* names) {
    std::vector<std::string> words = splitWords(rest);
    if (words.size() < least || words.size() > most || rest != trim(rest) ||
        rest.find("  ") != std::string::npos) {
        throw CommandError(word + " takes " + names);
    }
    std::vector<int32_t> out;
    for (const std::string& w : words) {
        out.push_back(number(word, w, "field"));
    }
    return out;
}

}  // namespace

HostCommand parseHostCommand(const std::string& text) {
    HostCommand command;
    size_t blank = text.find(' ');
    command.word = text.substr(0, blank);
    std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    const std::string& word = command.word;
    // Compared with each word in turn: as a view, without a call and a length count per comparison.
    const std::string_view name = word;

    if (name == "AS") {
        if (blank != std::string::npos) {
            throw CommandError("AS takes no fields");
        }
    } else if (name == "PI" || name == "PS") {
        command.texts = quotedFields(word, rest);
        if (command.texts.size() != 2 && command.texts.size() != 3) {
            throw CommandError(word + " takes '{panel}' '{file}' and an optional '{extra}'");
        }
    } else if (name == "CE" || name == "CD") {
        command.texts = exactFields(word, rest, 2, "'{panel}' '{control}'");
    } else if (name == "TG") {
        command.texts = exactFields(word, rest, 3, "'{panel}' '{control}' '{param}'");
    } else if (name == "XI") {
        command.texts = exactFields(word, rest, 2, "'{panel}' '{filter}'");
    } else if (name == "TP") {
        if (rest.size() < 2 || rest.front() != '\'' || rest.back() != '\'') {
            throw CommandError(word + " needs its fields in single quotes");
        }
        // The text may itself hold "' '"; the panel and control are the last two fields of the cut from
        // the front, and the text is all before them, separators and all. Only the last two cuts are kept:
        // a list's whole content may come in one text.
        const std::string_view inner = std::string_view(rest).substr(1, rest.size() - 2);
        size_t cuts = 0;
        size_t before = 0;
        size_t last = 0;
        for (size_t cut = inner.find("' '"); cut != std::string_view::npos;
             cut = inner.find("' '", cut + 3)) {
            before = last;
            last = cut;
            ++cuts;
        }
        if (cuts < 2) {
            throw CommandError("TP takes '{text}' '{panel}' '{control}'");
        }
        command.texts.reserve(3);
        command.texts.emplace_back(inner.substr(0, before));
        command.texts.emplace_back(inner.substr(before + 3, last - before - 3));
        command.texts.emplace_back(inner.substr(last + 3));
    } else if (name == "SD") {
        if (rest.size() < 2 || rest.front() != '\'' || rest.back() != '\'') {
            throw CommandError("SD takes '{instance name}'");
        }
        command.texts = {rest.substr(1, rest.size() - 2)};
    } else if (name == "IR") {
        std::string plain = rest;
        const std::string addForm = " 'ADD'";
        if (plain.size() > addForm.size() &&
            plain.compare(plain.size() - addForm.size(), addForm.size(), addForm) == 0) {
            command.add = true;
            plain = plain.substr(0, plain.size() - addForm.size());
        }
        command.numbers = numbers(word, plain, 3, 3, "{device} {first} {last} and an optional 'ADD'");
    } else if (name == "IP") {
        command.numbers = numbers(word, rest, 3, 3, "{device} {first} {last}");
    } else if (name == "IU") {
        command.numbers = numbers(word, rest, 1, 1, "{device}");
    } else if (name == "RN") {
        command.numbers = numbers(word, rest, 3, 3, "{device} {database} {index}");
    } else if (name == "ET") {
        command.numbers = numbers(word, rest, 1, 2, "{id} and an optional {interval}");
    } else if (name == "IW") {
        // IW {device} '{text}' {slot} {flag}
        size_t open = rest.find(" '");
        size_t close = rest.rfind("' ");
        if (open == std::string::npos || close == std::string::npos || close < open + 2) {
            throw CommandError("IW takes {device} '{text}' {slot} {flag}");
        }
        command.numbers.push_back(number(word, rest.substr(0, open), "device"));
        command.texts.push_back(rest.substr(open + 2, close - open - 2));
        std::vector<int32_t> tail =
            numbers(word, rest.substr(close + 2), 2, 2, "{device} '{text}' {slot} {flag}");
        command.numbers.insert(command.numbers.end(), tail.begin(), tail.end());
        if (command.numbers[2] != 0 && command.numbers[2] != 1) {
            throw CommandError("IW: the flag must be 0 or 1");
        }
    } else if (word.empty()) {
        throw CommandError("an empty command");
    } else {
        throw CommandError("unknown command word " + quotedText(word));
    }
    return command;
}
