// Cursor resource files: the scanner and grammar as a table of cases, then loading
// files into X cursors on a private server with their warnings and messages, and
// the current and override cursors.
#include <gtest/gtest.h>

#include "xclient.h"
#include "xvfb.h"

#include "xkv/cursor/Cursor.h"
#include "xkv/cursor/CursorFile.h"
#include "xkv/platform/xwindows/Platform.h"

#include <X11/cursorfont.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

// What the parser reported, as readable lines.
std::vector<std::string> ParseToLines(const std::string& text, bool* ok = nullptr)
{
    std::vector<std::string> lines;
    CursorFileSink sink;
    sink.directory = [&](const std::string& d) { lines.push_back("dir " + d); };
    sink.entry = [&](const CursorDefinition& e) {
        std::string line = "cursor " + std::to_string(e.id) + " glyph " + std::to_string(e.glyph);
        if (e.bitmap) line += " bitmap " + *e.bitmap;
        if (e.mask) line += " mask " + *e.mask;
        lines.push_back(line);
    };
    sink.error = [&](const char* message, int line) {
        lines.push_back(std::string(message) + " at " + std::to_string(line));
    };
    bool parsed = CursorFile_Parse(text, sink);
    if (ok != nullptr) *ok = parsed;
    return lines;
}

TEST(CursorFileGrammar, TableOfFiles)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"font glyph, null cursor with bitmap and mask",
         "Directory bitmaps Cursor 1 XC_watch Cursor 2 Null_Cursor busy.xbm busy_mask.xbm",
         {"dir bitmaps", "cursor 1 glyph 150", "cursor 2 glyph 0 bitmap busy.xbm mask busy_mask.xbm"}},
        {"comment over lines, absolute directory, numeric glyph",
         "{ kernel cursors\n  over two lines }\nDirectory /abs/path\tCursor 3 68",
         {"dir /abs/path", "cursor 3 glyph 68"}},
        {"an empty file", "", {}},
        {"blanks, tabs and stars separate", "***Directory\t*d*Cursor*4*XC_left_ptr*", {"dir d", "cursor 4 glyph 68"}},
        {"12x is a word, not a number", "Directory d Cursor 7 12x", {"dir d", "syntax error at 1"}},
        {"a quoted name without blanks is a word and keeps its quotes",
         "Directory \"dir\" Cursor 1 2 \"a.xbm\" \"b.xbm\"",
         {"dir \"dir\"", "cursor 1 glyph 2 bitmap \"a.xbm\" mask \"b.xbm\""}},
        {"a quoted name with a blank is a string", "Directory \"my dir\" Cursor 1 2",
         {"dir my dir", "cursor 1 glyph 2"}},
        {"a backslash puts a quote into a string", "Directory \"a \\\"b\\\" c\" Cursor 1 2",
         {"dir a \"b\" c", "cursor 1 glyph 2"}},
        {"lines are counted, but not inside comments", "{\n\n}Directory d\n\nCursor 1 XC_watch\nCursor x",
         {"dir d", "cursor 1 glyph 150", "syntax error at 4"}},
        {"no Directory first", "Cursor 1 XC_watch", {"syntax error at 1"}},
        {"a Directory needs entries", "Directory d", {"dir d", "syntax error at 1"}},
        {"an id that does not fit 32 bits", "Directory d Cursor 99999999999 2", {"dir d", "syntax error at 1"}},
        {"entries before the error stay", "Directory d Cursor 1 2 Cursor 2 3 Cursor",
         {"dir d", "cursor 1 glyph 2", "cursor 2 glyph 3", "syntax error at 1"}},
        {"a third name after the mask", "Directory d Cursor 1 2 a b c", {"dir d", "syntax error at 1"}},
        {"keywords longer as words are words", "Directory d Cursor 1 2 Null_Cursors", {"dir d", "cursor 1 glyph 2 bitmap Null_Cursors"}},
        {"a longer word is no shape", "Directory d Cursor 1 Null_Cursors", {"dir d", "syntax error at 1"}},
        {"an unknown XC_ name gives glyph 0 without an error", "Directory d Cursor 1 XC_nosuch", {"dir d", "cursor 1 glyph 0"}},
        {"a brace inside a word is part of it", "Directory a{b} Cursor 1 2", {"dir a{b}", "cursor 1 glyph 2"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseToLines(c.text), c.expected) << c.name;
    }
}

// A cursor table on the test's server, with files in a scratch resource directory.
class CursorFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
        Platform_Attach(nullptr, display_);
        Platform_SetProgramName("tolq");
        dir_ = fs::temp_directory_path() / ("tolq-cursor-" + std::to_string(getpid()));
        fs::create_directories(dir_ / "bitmaps");
        Platform_SetResourceDirectory(dir_.c_str());
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 50, 50, 0, 0, 0);
        current = window_;
        Cursor_SetWindowQueries(CurrentWindow, CurrentWindow);
    }
    void TearDown() override
    {
        Cursor_SetOverride(kNoCursor);
        Cursor_FreeAll();
        Cursor_SetWindowQueries(nullptr, nullptr);
        XDestroyWindow(display_, window_);
        Platform_Attach(nullptr, nullptr);
        XCloseDisplay(display_);
        fs::remove_all(dir_);
    }

    std::string Write(const std::string& name, const std::string& text)
    {
        fs::path path = dir_ / name;
        std::ofstream(path) << text;
        return path.string();
    }

    static Window CurrentWindow() { return current; }
    static inline Window current = 0;

    Display* display_ = nullptr;
    fs::path dir_;
    Window window_ = 0;
};

TEST_F(CursorFiles, DuplicatesWarnAndTheLaterDefinitionWins)
{
    std::string kernel = Write("KernelCursor.res", "Directory bitmaps Cursor 4 XC_left_ptr Cursor 5 XC_watch");
    std::string app = Write("Cursor.res", "Directory bitmaps Cursor 5 XC_hand2 Cursor 3001 XC_dotbox");
    ASSERT_EQ(Cursor_LoadFile(nullptr), 1u);
    ASSERT_NE(Cursor_Find(5), nullptr);
    Cursor first = Cursor_Find(5)->cursor;
    testing::internal::CaptureStderr();
    ASSERT_EQ(Cursor_LoadFile(app.c_str()), 1u);
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(warnings, "Warning: Duplicate cursor ID '5'.\n"
                        "         Previous definition for cursor ID is overwritten!\n");
    EXPECT_EQ(Cursor_Count(), 3u);
    EXPECT_NE(Cursor_Find(5)->cursor, first);
    EXPECT_NE(Cursor_Find(3001), nullptr);
}

TEST_F(CursorFiles, SyntaxErrorsAreReportedWithTheLine)
{
    std::string file = Write("bad.res", "Directory bitmaps\nCursor 1 XC_watch\nCursor 7 12x\nCursor 8 2\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Cursor_LoadFile(file.c_str()), 1u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tolq: syntax error in cursor resource file line 3.\n");
    EXPECT_NE(Cursor_Find(1), nullptr);
    EXPECT_EQ(Cursor_Find(7), nullptr) << "a broken entry defines nothing";
    EXPECT_EQ(Cursor_Find(8), nullptr);
}

TEST_F(CursorFiles, MissingFilesAndBadShapes)
{
    EXPECT_EQ(Cursor_LoadFile((dir_ / "none.res").c_str()), 0u);
    EXPECT_EQ(Cursor_LoadFile(nullptr), 0u) << "no KernelCursor.res in the resource directory";
    EXPECT_EQ(Cursor_Count(), 0u);
    // Glyphs outside the cursor font and bitmaps that cannot be read fall back safely.
    std::string longName(400, 'x');
    std::string file = Write("odd.res", "Directory bitmaps Cursor 1 4000000000 Cursor 2 153 Cursor 3 XC_watch missing.xbm "
                                        "missing_mask.xbm Cursor 4 2 " + longName + " " + longName);
    EXPECT_EQ(Cursor_LoadFile(file.c_str()), 1u);
    XSync(display_, False);
    EXPECT_EQ(Cursor_Count(), 4u);
    for (uint32_t id = 1; id <= 4; ++id) {
        ASSERT_NE(Cursor_Find(id), nullptr);
        EXPECT_NE(Cursor_Find(id)->cursor, static_cast<Cursor>(None));
    }
}

TEST_F(CursorFiles, BitmapCursorsFromTheBitmapDirectory)
{
    Write("bitmaps/busy.xbm", "#define busy_width 8\n#define busy_height 8\n#define busy_x_hot 3\n#define busy_y_hot 4\n"
                              "static char busy_bits[] = {\n0xff,0x81,0x81,0x81,0x81,0x81,0x81,0xff};\n");
    Write("bitmaps/busy_mask.xbm", "#define m_width 8\n#define m_height 8\n"
                                   "static char m_bits[] = {\n0xff,0xff,0xff,0xff,0xff,0xff,0xff,0xff};\n");
    Write("bitmaps/small_mask.xbm", "#define s_width 4\n#define s_height 4\nstatic char s_bits[] = {\n0xf,0xf,0xf,0xf};\n");
    std::string file = Write("bits.res", "Directory bitmaps Cursor 2 Null_Cursor busy.xbm busy_mask.xbm\n"
                                         "Cursor 3 XC_watch busy.xbm small_mask.xbm\n");
    int hx = -1;
    int hy = -1;
    ASSERT_EQ(Cursor_LoadFile(file.c_str()), 1u);
    EXPECT_NE(Cursor_Find(2), nullptr);
    EXPECT_NE(Cursor_Find(3), nullptr) << "a mask of another size falls back to the font shape";
    XSync(display_, False);
    // The directory of the last file read stays for Cursor_ReadBitmap.
    Pixmap bitmap = Cursor_ReadBitmap("busy.xbm", &hx, &hy);
    ASSERT_NE(bitmap, static_cast<Pixmap>(None));
    EXPECT_EQ(hx, 3);
    EXPECT_EQ(hy, 4);
    XFreePixmap(display_, bitmap);
    EXPECT_EQ(Cursor_ReadBitmap("none.xbm", &hx, &hy), static_cast<Pixmap>(None));
}

TEST_F(CursorFiles, OverrideCursorTakesPrecedenceUntilItEnds)
{
    std::string file = Write("set.res", "Directory bitmaps Cursor 5 XC_watch Cursor 7 XC_hand2 Cursor 4 XC_left_ptr");
    ASSERT_EQ(Cursor_LoadFile(file.c_str()), 1u);
    EXPECT_EQ(Cursor_GetCurrent(), -1);
    EXPECT_EQ(Cursor_Set(4), 0u);
    EXPECT_EQ(Cursor_GetCurrent(), 4);
    EXPECT_EQ(Cursor_Set(99), 6u) << "an unknown id";
    EXPECT_EQ(Cursor_GetCurrent(), 4);
    EXPECT_EQ(Cursor_SetOverride(5), 0u);
    EXPECT_EQ(Cursor_Set(7), 0u);
    EXPECT_EQ(Cursor_GetCurrent(), 5);
    EXPECT_EQ(Cursor_SetOverride(99), 6u);
    EXPECT_EQ(Cursor_SetOverride(kNoCursor), 0u);
    EXPECT_EQ(Cursor_GetCurrent(), 7);
    // Without a current window nothing happens.
    current = 0;
    EXPECT_EQ(Cursor_Set(99), 0u);
    EXPECT_EQ(Cursor_GetCurrent(), 7);
    current = window_;
    Cursor_SetMainWindow(4);
    Cursor_FreeAll();
    EXPECT_EQ(Cursor_GetCurrent(), -1);
}

TEST_F(CursorFiles, ShippedFilesBesideTheProgramDefineTheKernelsCursors)
{
    Platform_SetResourceDirectory(TOLQ_BIN_DIR "/resources");
    testing::internal::CaptureStderr();
    ASSERT_EQ(Cursor_LoadFile(nullptr), 1u);
    ASSERT_EQ(Cursor_LoadFile(TOLQ_BIN_DIR "/resources/Cursor.res"), 1u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (uint32_t id : {1u, 4u, 5u, 7u, 16u, 17u, 19u, 3001u, 3002u, 3003u, 3004u, 3005u, 3006u, 3008u}) {
        EXPECT_NE(Cursor_Find(id), nullptr) << id;
    }
}

} // namespace
} // namespace tolq::test
