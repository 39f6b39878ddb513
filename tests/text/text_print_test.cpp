// Texts written into PostScript: a TAB splits a line into pieces placed at
// the tab stop, a framed text is clipped to its frame, a label is not.
#include "TextFixture.h"

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "process.h"
#include "xkv/print/Print.h"
#include "xkv/text/TextDisplay.h"

namespace {

using texttest::TextFixture;

struct Shown {
    long x;
    std::string characters;
};

class TextPrintTest : public TextFixture {
protected:
    void SetUp() override
    {
        TextFixture::SetUp();
        Text_SetTabSize(4);
        setenv("VelkorPrintDirectory", directory.path().c_str(), 1);
        setenv("VelkorPrintCommand", "true", 1);
    }
    void TearDown() override
    {
        Print_CloseOutput();
        unsetenv("VelkorPrintDirectory");
        unsetenv("VelkorPrintCommand");
        TextFixture::TearDown();
    }

    // The PostScript written while the objects' texts are drawn.
    std::string Printed(const std::vector<ObjectHandle>& objects)
    {
        EXPECT_EQ(Print_BeginDocument(), kStatusOk);
        for (ObjectHandle object : objects) {
            Text_DrawObjectText(object);
        }
        EXPECT_EQ(Print_EndDocument(), 0u);
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
            all += tolq::test::read_file(entry.path().string());
            std::filesystem::remove(entry.path());
        }
        return all;
    }

    static std::vector<Shown> ShowsOf(const std::string& postscript)
    {
        std::vector<Shown> shows;
        std::regex show(R"((-?\d+) (-?\d+) moveto \n\((.*)\) show)");
        for (auto it = std::sregex_iterator(postscript.begin(), postscript.end(), show); it != std::sregex_iterator();
             ++it) {
            shows.push_back({std::stol((*it)[1]), (*it)[3]});
        }
        return shows;
    }

    tolq::test::TempDir directory;
};

TEST_F(TextPrintTest, ATabPlacesTheNextPieceAtTheTabStop)
{
    ObjectHandle node = NodeWithText(100);
    Put(node, "ab\tc", 0);
    std::string postscript = Printed({node});
    std::vector<Shown> shows = ShowsOf(postscript);
    ASSERT_EQ(shows.size(), 2u) << postscript;
    EXPECT_EQ(shows[0].characters, "ab");
    EXPECT_EQ(shows[1].characters, "c");
    // A character is 2 points; the stop lies 4 spaces, 8 points, after the line's start.
    EXPECT_EQ(shows[1].x - shows[0].x, 8);
    EXPECT_NE(postscript.find("gsave clip"), std::string::npos) << "a framed text is clipped to its frame";
}

TEST_F(TextPrintTest, ALabelIsNotClippedAway)
{
    ObjectHandle node = NewNodeAt(page, 0, 0, F(10), F(10));
    MemHandle label = Text_Create(node, FixRect{F(5), F(5), F(5), F(5)}, 0);
    ASSERT_NE(label, 0u);
    Model_SetFieldValue(node, Field::kText, label);
    Text_SetFontFamily(label, 3);
    Text_SetFontSize(label, 12);
    Text_SetFontStyle(label, 0);
    Put(node, "label", 0);
    std::string postscript = Printed({node});
    std::vector<Shown> shows = ShowsOf(postscript);
    ASSERT_EQ(shows.size(), 1u) << postscript;
    EXPECT_EQ(shows[0].characters, "label");
    EXPECT_EQ(postscript.find("gsave clip"), std::string::npos) << postscript;
}

}  // namespace
