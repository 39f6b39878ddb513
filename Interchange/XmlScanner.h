// The reader's scanner: cuts an XML file into the handful of tokens that the
// grammar knows (start and end tags, attribute names and values, text block
// begin, lines and end), skipping the root element's tags, comments, ignored
// regions and everything unexpected, and counting lines for messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum XmlToken : int {
    kXmlTokEnd = 0,
    kXmlTokError = -1,  // the scanner could not go on; see XmlScanner::error()
    kXmlTokEquals = '=',
    kXmlTokGreater = '>',
    kXmlTokTextBegin = 257,
    kXmlTokTextEnd = 258,
    kXmlTokStartTag = 259,
    kXmlTokEndTag = 260,
    kXmlTokOptId = 261,
    kXmlTokOptVal = 262,
    kXmlTokTextLine = 263,
};

// No token (nor line scanned for one) may be longer than this.
inline constexpr size_t kXmlMaxTokenLength = 16382;

inline constexpr std::string_view kXmlOverflowMessage =
    "input buffer overflow, can't enlarge buffer because scanner uses REJECT";

class XmlScanner {
public:
    explicit XmlScanner(std::string input);

    // The next token; after kXmlTokEnd or kXmlTokError it stays there.
    int next();
    // The value of the last token (names, attribute values, text lines).
    const std::string& value() const { return value_; }
    // The input text that the last token was made from.
    std::string_view text() const { return text_; }
    // The line counter: 1 at the start, counting newlines outside quoted values.
    int line() const { return line_; }
    // The line of the file on which the last token begins (every newline
    // counted), for messages that point the user at the token.
    int tokenLine() const { return tokenLine_; }
    const std::string& error() const { return error_; }

private:
    enum class State { Initial, Tag, Value, Text, Comment, Ignore };

    int scanInitial();
    int scanTag();
    int scanValue();
    int scanText();
    // Comment and ignored region: skip to the end marker or the end of line.
    int skipUntil(std::string_view marker, bool consumeMarker);
    // The end of the current line (index of '\n', or the input's size), or
    // nothing when that is further than a token may reach.
    bool lineEnd(size_t& end);
    int token(int kind, size_t length);
    // Counts the newlines up to the current position into the token's line.
    void markTokenLine();
    int fail(std::string_view message);
    bool startsWithNoCase(std::string_view what) const;

    std::string input_;
    size_t pos_ = 0;
    State state_ = State::Initial;
    int line_ = 1;
    int tokenLine_ = 1;
    size_t countedTo_ = 0;  // the newlines before this position are in countedLine_
    int countedLine_ = 1;
    int ignoreDepth_ = 0;
    std::string value_;
    std::string_view text_;
    std::string error_;
    bool finished_ = false;
};
