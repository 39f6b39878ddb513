// The reader's scanner. Each state tries its rules on the input at the current
// position and takes the longest match, the earlier rule on a tie; a line that
// holds an end marker ("-->", "</ignore>", "</text>") ends at the last marker.
#include "Interchange/XmlScanner.h"

#include "Interchange/XmlFormat.h"

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '.' || c == '-'; }

// The last occurrence of the marker (any case) in the text, or npos.
size_t findLastNoCase(std::string_view text, std::string_view marker) {
    if (text.size() < marker.size()) return std::string_view::npos;
    for (size_t i = text.size() - marker.size() + 1; i-- > 0;) {
        if (XmlEqualNoCase(text.substr(i, marker.size()), marker)) return i;
    }
    return std::string_view::npos;
}

}  // namespace

XmlScanner::XmlScanner(std::string input) : input_(std::move(input)) {}

bool XmlScanner::startsWithNoCase(std::string_view what) const {
    return XmlEqualNoCase(std::string_view(input_).substr(pos_, what.size()), what);
}

int XmlScanner::fail(std::string_view message) {
    // The token that could not be read is quoted by its beginning.
    constexpr size_t kQuoted = 40;
    markTokenLine();
    text_ = std::string_view(input_).substr(pos_, kQuoted);
    error_ = message;
    finished_ = true;
    return kXmlTokError;
}

void XmlScanner::markTokenLine() {
    for (; countedTo_ < pos_; ++countedTo_)
        if (input_[countedTo_] == '\n') ++countedLine_;
    tokenLine_ = countedLine_;
}

int XmlScanner::token(int kind, size_t length) {
    markTokenLine();
    text_ = std::string_view(input_).substr(pos_, length);
    pos_ += length;
    return kind;
}

bool XmlScanner::lineEnd(size_t& end) {
    size_t limit = input_.size() - pos_ > kXmlMaxTokenLength ? pos_ + kXmlMaxTokenLength : input_.size();
    size_t nl = input_.find('\n', pos_);
    if (nl == std::string::npos || nl >= limit) {
        if (limit < input_.size()) return false;
        end = input_.size();
        return true;
    }
    end = nl;
    return true;
}

int XmlScanner::next() {
    if (finished_) return error_.empty() ? kXmlTokEnd : kXmlTokError;
    value_.clear();
    while (pos_ < input_.size()) {
        int result = -2;
        switch (state_) {
            case State::Initial: result = scanInitial(); break;
            case State::Tag: result = scanTag(); break;
            case State::Value: result = scanValue(); break;
            case State::Text: result = scanText(); break;
            case State::Comment: result = skipUntil("-->", false); break;
            case State::Ignore: result = skipUntil("</ignore>", true); break;
        }
        if (result != -2) return result;
    }
    finished_ = true;
    text_ = {};
    markTokenLine();
    return kXmlTokEnd;
}

// Returns -2 to go on scanning (the input was skipped), else a token.
int XmlScanner::scanInitial() {
    char c = input_[pos_];
    if (c == '\n') {
        ++line_;
        ++pos_;
        return -2;
    }
    if (c != '<') {
        ++pos_;
        return -2;
    }
    for (std::string_view root : {"<tolq>", "</tolq>", "<tolqet>", "</tolqet>"}) {
        if (startsWithNoCase(root)) {
            pos_ += root.size();
            return -2;
        }
    }
    if (startsWithNoCase("<!--")) {
        pos_ += 4;
        state_ = State::Comment;
        return -2;
    }
    if (startsWithNoCase("<ignore>")) {
        pos_ += 8;
        ++ignoreDepth_;
        state_ = State::Ignore;
        return -2;
    }
    if (startsWithNoCase("<text>")) {
        --line_;
        state_ = State::Text;
        return token(kXmlTokTextBegin, 6);
    }
    size_t first = pos_ + 1;
    bool end = first < input_.size() && input_[first] == '/';
    if (end) ++first;
    if (first >= input_.size() || !isLetter(input_[first])) {
        ++pos_;
        return -2;
    }
    size_t last = first;
    while (last < input_.size() && isNameChar(input_[last])) ++last;
    if (last - pos_ > kXmlMaxTokenLength) return fail(kXmlOverflowMessage);
    if (!end) {
        value_ = input_.substr(first, last - first);
        state_ = State::Tag;
        return token(kXmlTokStartTag, last - pos_);
    }
    if (last < input_.size() && input_[last] == '>') {
        value_ = input_.substr(first, last - first);
        return token(kXmlTokEndTag, last + 1 - pos_);
    }
    ++pos_;  // no end tag: its characters are skipped one by one
    return -2;
}

int XmlScanner::scanTag() {
    char c = input_[pos_];
    if (c == '\n') {
        ++line_;
        ++pos_;
        return -2;
    }
    if (startsWithNoCase("/>")) {
        state_ = State::Initial;
        return token(kXmlTokGreater, 2);
    }
    if (c == '>') {
        state_ = State::Initial;
        return token(kXmlTokGreater, 1);
    }
    if (c == '=') {
        state_ = State::Value;
        return token(kXmlTokEquals, 1);
    }
    if (isNameChar(c)) {
        size_t last = pos_;
        while (last < input_.size() && isNameChar(input_[last])) ++last;
        if (last - pos_ > kXmlMaxTokenLength) return fail(kXmlOverflowMessage);
        value_ = input_.substr(pos_, last - pos_);
        return token(kXmlTokOptId, last - pos_);
    }
    ++pos_;
    return -2;
}

int XmlScanner::scanValue() {
    char c = input_[pos_];
    if (c == '\n') {
        ++line_;
        ++pos_;
        return -2;
    }
    if (c == ' ' || c == '\t' || c == '>') {
        ++pos_;
        return -2;
    }
    // The unquoted form: up to a blank, tab, newline or '>'.
    size_t bare = pos_;
    while (bare < input_.size() && input_[bare] != ' ' && input_[bare] != '\t' && input_[bare] != '\n' &&
           input_[bare] != '>')
        ++bare;
    size_t bareLength = bare - pos_;
    size_t quotedLength = 0;
    if (c == '\'' || c == '"') {
        size_t close = input_.find(c, pos_ + 1);
        if (close != std::string::npos) quotedLength = close + 1 - pos_;
    }
    // A closed quote makes a quoted value even when the unquoted form would
    // reach further (as it does before "/>"), else no empty element written
    // with a quoted last value could be read.
    size_t length = quotedLength > 0 ? quotedLength : bareLength;
    if (length > kXmlMaxTokenLength) return fail(kXmlOverflowMessage);
    if (quotedLength > 0)
        value_ = input_.substr(pos_ + 1, quotedLength - 2);
    else
        value_ = input_.substr(pos_, bareLength);
    INT_UnescapeText(value_);
    state_ = State::Tag;
    return token(kXmlTokOptVal, length);
}

int XmlScanner::scanText() {
    size_t end = 0;
    if (!lineEnd(end)) return fail(kXmlOverflowMessage);
    std::string_view line = std::string_view(input_).substr(pos_, end - pos_);
    size_t close = findLastNoCase(line, "</text>");
    if (close == 0) {
        state_ = State::Initial;
        ++line_;
        return token(kXmlTokTextEnd, 7);
    }
    if (close != std::string_view::npos) {
        value_ = std::string(line.substr(0, close));
        INT_UnescapeText(value_);
        return token(kXmlTokTextLine, close);
    }
    if (end == input_.size()) {  // an unfinished last line: skipped
        pos_ = end;
        return -2;
    }
    ++line_;
    value_ = input_.substr(pos_, end + 1 - pos_);
    INT_UnescapeText(value_);
    return token(kXmlTokTextLine, end + 1 - pos_);
}

int XmlScanner::skipUntil(std::string_view marker, bool consumeMarker) {
    size_t end = 0;
    if (!lineEnd(end)) return fail(kXmlOverflowMessage);
    std::string_view line = std::string_view(input_).substr(pos_, end - pos_);
    size_t close = findLastNoCase(line, marker);
    if (close != std::string_view::npos) {
        pos_ += close;
        if (consumeMarker) {
            // The ignored region's closing tag goes with the region, so that
            // no end tag without its start tag reaches the grammar.
            pos_ += marker.size();
            if (--ignoreDepth_ <= 0) {
                ignoreDepth_ = 0;
                state_ = State::Initial;
            }
        } else {
            state_ = State::Initial;  // the marker is skipped there
        }
        return -2;
    }
    if (end < input_.size()) ++line_;
    pos_ = end < input_.size() ? end + 1 : end;
    return -2;
}
