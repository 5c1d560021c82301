# Doxygen input filter: the headers' contract comments are plain // comments, and this turns them into
# documentation as Doxygen reads the file, so there is one text for readers of the header and of the
# reference alike. The file on disk is never changed.
# - The comment that opens a file documents the file, and also the class or struct it names first
#   ("// RecordingHost: a fake host ...") unless that class has a comment of its own.
# - A comment directly above a declaration documents it; one followed by a blank line, a section rule
#   ("// --- ... ---") or one inside a function body stays a plain comment.
# - A comment after code on the same line documents that member ("///<").
# - < and > in comment text are escaped, so a placeholder like <why> is text, not an HTML tag.

function escape(text) {
    gsub(/</, "\\<", text)
    gsub(/>/, "\\>", text)
    return text
}

# Writes the held comment lines, as documentation when `document` is set.
function flush(document,    i, line, at, text) {
    for (i = 1; i <= held; i++) {
        line = pending[i]
        if (document) {
            at = index(line, "//")
            text = substr(line, at + 2)
            sub(/^ /, "", text)
            line = substr(line, 1, at - 1) "/// " escape(text)
        }
        print line
    }
    held = 0
}

BEGIN { opening = 1; held = 0; depth = 0; openingLines = 0; named = "" }

{
    if ($0 ~ /^[ \t]*\/\//) {
        if ($0 ~ /^[ \t]*\/\/ ?---/) {
            flush(0)
            print
            next
        }
        if (opening && held == 0) {
            print "/// \\file"
            if (match($0, /^\/\/ [A-Za-z_]+:/)) {
                named = substr($0, 4, RLENGTH - 4)
            }
        }
        pending[++held] = $0
        if (opening) {
            openingText[++openingLines] = $0
        }
        next
    }
    if (held > 0) {
        flush(!opening ? ($0 !~ /^[ \t]*$/ && depth <= 1) : 1)
    }
    opening = 0
    # The class the opening comment is about, when nothing above it documents it already.
    if (named != "" && depth == 0 && $0 ~ ("^(class|struct) " named "([ :{]|$)")) {
        for (i = 1; i <= openingLines; i++) {
            pending[++held] = openingText[i]
        }
        flush(1)
        named = ""
    }
    line = $0
    # A trailing comment on a line of code documents what the line declares.
    position = index(line, "  // ")
    if (position > 0 && line !~ /^[ \t]*#/ && depth <= 1) {
        code = substr(line, 1, position + 1)
        line = code "///< " escape(substr(line, position + 5))
    }
    print line
    # Track braces roughly, to leave comments inside function bodies alone: depth 0 is file scope,
    # 1 inside a class or enum; deeper is a body.
    opens = gsub(/{/, "{", $0)
    closes = gsub(/}/, "}", $0)
    depth += opens - closes
}

END { flush(0) }
