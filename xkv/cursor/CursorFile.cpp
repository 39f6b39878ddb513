// Scanner and parser of cursor resource files. Tokens are found by longest match
// (a word longer than a keyword, number, font name or string wins); the grammar is
//   file:  [ Directory name entry... ]
//   entry: Cursor number (font-name | Null_Cursor | number) [name [name]]
#include "xkv/cursor/CursorFile.h"

#include <X11/cursorfont.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <utility>

namespace {

struct GlyphName {
    std::string_view name;
    uint32_t glyph;
};

constexpr GlyphName kGlyphs[] = {
    {"XC_X_cursor", XC_X_cursor},
    {"XC_arrow", XC_arrow},
    {"XC_based_arrow_down", XC_based_arrow_down},
    {"XC_based_arrow_up", XC_based_arrow_up},
    {"XC_boat", XC_boat},
    {"XC_bogosity", XC_bogosity},
    {"XC_bottom_left_corner", XC_bottom_left_corner},
    {"XC_bottom_right_corner", XC_bottom_right_corner},
    {"XC_bottom_side", XC_bottom_side},
    {"XC_bottom_tee", XC_bottom_tee},
    {"XC_box_spiral", XC_box_spiral},
    {"XC_center_ptr", XC_center_ptr},
    {"XC_circle", XC_circle},
    {"XC_clock", XC_clock},
    {"XC_coffee_mug", XC_coffee_mug},
    {"XC_cross", XC_cross},
    {"XC_cross_reverse", XC_cross_reverse},
    {"XC_crosshair", XC_crosshair},
    {"XC_diamond_cross", XC_diamond_cross},
    {"XC_dot", XC_dot},
    {"XC_dotbox", XC_dotbox},
    {"XC_double_arrow", XC_double_arrow},
    {"XC_draft_large", XC_draft_large},
    {"XC_draft_small", XC_draft_small},
    {"XC_draped_box", XC_draped_box},
    {"XC_exchange", XC_exchange},
    {"XC_fleur", XC_fleur},
    {"XC_gobbler", XC_gobbler},
    {"XC_gumby", XC_gumby},
    {"XC_hand1", XC_hand1},
    {"XC_hand2", XC_hand2},
    {"XC_heart", XC_heart},
    {"XC_icon", XC_icon},
    {"XC_iron_cross", XC_iron_cross},
    {"XC_left_ptr", XC_left_ptr},
    {"XC_left_side", XC_left_side},
    {"XC_left_tee", XC_left_tee},
    {"XC_leftbutton", XC_leftbutton},
    {"XC_ll_angle", XC_ll_angle},
    {"XC_lr_angle", XC_lr_angle},
    {"XC_man", XC_man},
    {"XC_middlebutton", XC_middlebutton},
    {"XC_mouse", XC_mouse},
    {"XC_pencil", XC_pencil},
    {"XC_pirate", XC_pirate},
    {"XC_plus", XC_plus},
    {"XC_question_arrow", XC_question_arrow},
    {"XC_right_ptr", XC_right_ptr},
    {"XC_right_side", XC_right_side},
    {"XC_right_tee", XC_right_tee},
    {"XC_rightbutton", XC_rightbutton},
    {"XC_rtl_logo", XC_rtl_logo},
    {"XC_sailboat", XC_sailboat},
    {"XC_sb_down_arrow", XC_sb_down_arrow},
    {"XC_sb_h_double_arrow", XC_sb_h_double_arrow},
    {"XC_sb_left_arrow", XC_sb_left_arrow},
    {"XC_sb_right_arrow", XC_sb_right_arrow},
    {"XC_sb_up_arrow", XC_sb_up_arrow},
    {"XC_sb_v_double_arrow", XC_sb_v_double_arrow},
    {"XC_shuttle", XC_shuttle},
    {"XC_sizing", XC_sizing},
    {"XC_spider", XC_spider},
    {"XC_spraycan", XC_spraycan},
    {"XC_star", XC_star},
    {"XC_target", XC_target},
    {"XC_tcross", XC_tcross},
    {"XC_top_left_arrow", XC_top_left_arrow},
    {"XC_top_left_corner", XC_top_left_corner},
    {"XC_top_right_corner", XC_top_right_corner},
    {"XC_top_side", XC_top_side},
    {"XC_top_tee", XC_top_tee},
    {"XC_trek", XC_trek},
    {"XC_ul_angle", XC_ul_angle},
    {"XC_umbrella", XC_umbrella},
    {"XC_ur_angle", XC_ur_angle},
    {"XC_watch", XC_watch},
    {"XC_xterm", XC_xterm},
};

enum class Kind { End, Directory, Cursor, NullCursor, Number, FontName, String, Word };

struct Token {
    Kind kind = Kind::End;
    std::string text;
    uint64_t number = 0;
    bool numberFits = true;
};

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '*' || c == '\n';
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    int line() const { return line_; }

    Token Next()
    {
        SkipBlanksAndComments();
        if (pos_ >= text_.size()) {
            return {};
        }
        size_t wordEnd = pos_;
        while (wordEnd < text_.size() && !IsSeparator(text_[wordEnd])) {
            ++wordEnd;
        }
        if (text_[pos_] == '"') {
            std::string content;
            size_t closing = ScanString(&content);
            if (closing - pos_ > wordEnd - pos_) {
                pos_ = std::min(closing + 1, text_.size());
                return {Kind::String, std::move(content)};
            }
        }
        std::string word(text_.substr(pos_, wordEnd - pos_));
        pos_ = wordEnd;
        return Classify(std::move(word));
    }

private:
    // Blanks, tabs, "*", line ends (counted) and brace comments (their lines are not).
    void SkipBlanksAndComments()
    {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '*') {
                ++pos_;
            } else if (c == '{' && CommentBeatsWord()) {
                pos_ = text_.find('}', pos_) + 1;
            } else {
                return;
            }
        }
    }

    bool CommentBeatsWord() const
    {
        size_t close = text_.find('}', pos_);
        if (close == std::string_view::npos) {
            return false;
        }
        size_t wordEnd = pos_;
        while (wordEnd < text_.size() && !IsSeparator(text_[wordEnd])) {
            ++wordEnd;
        }
        return close + 1 >= wordEnd;
    }

    // From the opening quote to the closing one (or the end); a backslash before a
    // quote puts the quote into the string. Returns the closing quote's position.
    size_t ScanString(std::string* content) const
    {
        size_t p = pos_ + 1;
        while (p < text_.size() && text_[p] != '"') {
            if (text_[p] == '\\' && p + 1 < text_.size() && text_[p + 1] == '"') {
                content->push_back('"');
                p += 2;
                continue;
            }
            content->push_back(text_[p]);
            ++p;
        }
        return p;
    }

    static Token Classify(std::string word)
    {
        if (word == "Directory") {
            return {Kind::Directory, std::move(word)};
        }
        if (word == "Cursor") {
            return {Kind::Cursor, std::move(word)};
        }
        if (word == "Null_Cursor") {
            return {Kind::NullCursor, std::move(word)};
        }
        if (std::all_of(word.begin(), word.end(), [](unsigned char c) { return std::isdigit(c); })) {
            Token token{Kind::Number, word};
            for (char c : word) {
                token.number = token.number * 10 + static_cast<uint64_t>(c - '0');
                if (token.number > std::numeric_limits<uint32_t>::max()) {
                    token.numberFits = false;
                    token.number = std::numeric_limits<uint32_t>::max();
                }
            }
            return token;
        }
        if (word.size() > 3 && word.compare(0, 3, "XC_") == 0) {
            return {Kind::FontName, std::move(word)};
        }
        return {Kind::Word, std::move(word)};
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    Parser(std::string_view text, const CursorFileSink& sink) : scanner_(text), sink_(sink) { Advance(); }

    bool File()
    {
        if (token_.kind == Kind::End) {
            return true;
        }
        if (token_.kind != Kind::Directory) {
            return Fail();
        }
        Advance();
        if (!IsName()) {
            return Fail();
        }
        if (sink_.directory) {
            sink_.directory(token_.text);
        }
        Advance();
        do {
            if (!Entry()) {
                return false;
            }
        } while (token_.kind != Kind::End);
        return true;
    }

private:
    bool Entry()
    {
        if (token_.kind != Kind::Cursor) {
            return Fail();
        }
        Advance();
        if (token_.kind != Kind::Number || !token_.numberFits) {
            return Fail();
        }
        CursorDefinition entry;
        entry.id = static_cast<uint32_t>(token_.number);
        if (sink_.id) {
            sink_.id(entry.id);
        }
        Advance();
        switch (token_.kind) {
        case Kind::FontName:
            entry.glyph = CursorFile_GlyphOfName(token_.text);
            break;
        case Kind::NullCursor:
            entry.glyph = 0;
            break;
        case Kind::Number:
            if (!token_.numberFits) {
                return Fail();
            }
            entry.glyph = static_cast<uint32_t>(token_.number);
            break;
        default:
            return Fail();
        }
        Advance();
        if (IsName()) {
            entry.bitmap = token_.text;
            Advance();
            if (IsName()) {
                entry.mask = token_.text;
                Advance();
            }
        }
        if (token_.kind != Kind::Cursor && token_.kind != Kind::End) {
            return Fail();
        }
        if (sink_.entry) {
            sink_.entry(entry);
        }
        return true;
    }

    bool IsName() const { return token_.kind == Kind::Word || token_.kind == Kind::String; }

    void Advance() { token_ = scanner_.Next(); }

    bool Fail()
    {
        if (sink_.error) {
            sink_.error("syntax error", scanner_.line());
        }
        return false;
    }

    Scanner scanner_;
    const CursorFileSink& sink_;
    Token token_;
};

} // namespace

uint32_t CursorFile_GlyphOfName(std::string_view name)
{
    for (const GlyphName& entry : kGlyphs) {
        if (entry.name == name) {
            return entry.glyph;
        }
    }
    return 0;
}

bool CursorFile_Parse(std::string_view text, const CursorFileSink& sink)
{
    Parser parser(text, sink);
    return parser.File();
}
