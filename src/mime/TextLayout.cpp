#include "mime/TextLayout.h"

#include <algorithm>

namespace mime {

namespace {

// The white space HTML collapses; other spaces (no-break, em ...) are text.
bool collapsible(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

}  // namespace

void TextLayout::beforeContent() {
    if (pendingLines_ > 0) {
        // Nothing before the first content: no leading empty lines.
        if (!out_.empty()) {
            const int n = pendingLines_ - newlines_;
            if (n > 0) {
                out_.append(static_cast<size_t>(n), '\n');
                newlines_ += n;
            }
            lineStart_ = true;
        }
        pendingLines_ = 0;
        pendingSpace_ = pendingCell_ = false;
    }
    if (!lineStart_) {
        if (pendingCell_) {
            out_ += '\t';
        } else if (pendingSpace_) {
            out_ += ' ';
        }
    }
    pendingSpace_ = pendingCell_ = false;
}

void TextLayout::text(std::string_view s) {
    if (s.empty()) return;
    if (pre_ > 0) {
        beforeContent();
        int trailing = 0;
        bool content = false;
        for (char c : s) {
            if (c == '\r') continue;
            out_ += c;
            if (c == '\n') {
                ++trailing;
            } else {
                trailing = 0;
                content = true;
            }
        }
        newlines_ = content ? trailing : newlines_ + trailing;
        lineStart_ = out_.empty() || out_.back() == '\n';
        return;
    }
    size_t i = 0;
    while (i < s.size()) {
        if (collapsible(s[i])) {
            pendingSpace_ = true;
            ++i;
            continue;
        }
        size_t j = i;
        while (j < s.size() && !collapsible(s[j])) ++j;
        beforeContent();
        out_.append(s.substr(i, j - i));
        newlines_ = 0;
        lineStart_ = false;
        i = j;
    }
}

void TextLayout::lineBreak() {
    beforeContent();
    out_ += '\n';
    ++newlines_;
    lineStart_ = true;
}

void TextLayout::blockEdge(int lines) {
    pendingLines_ = std::max(pendingLines_, lines);
    pendingSpace_ = false;
}

void TextLayout::cell() {
    pendingCell_ = true;
}

QString TextLayout::result() const {
    std::string s;
    s.reserve(out_.size());
    size_t blankLines = 0;
    size_t start = 0;
    while (start <= out_.size()) {
        size_t end = out_.find('\n', start);
        if (end == std::string::npos) end = out_.size();
        std::string line;
        for (size_t i = start; i < end; ++i) {
            // U+00A0 in UTF-8: a reader shows a plain blank.
            if (out_[i] == '\xc2' && i + 1 < end && out_[i + 1] == '\xa0') {
                line += ' ';
                ++i;
            } else {
                line += out_[i];
            }
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) {
            ++blankLines;
        } else {
            if (!s.empty()) s.append(blankLines > 0 ? "\n\n" : "\n");
            s += line;
            blankLines = 0;
        }
        start = end + 1;
    }
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace mime
