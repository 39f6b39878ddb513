// Declarations in the real tolq with the real evaluator, made the way a user
// makes them: the global declaration node selected, TOLQ > New
// Declaration..., the kind chosen, the kind's dialog filled in and checked
// (compiled by the evaluator); the declaration browser opened from the TOLQ
// menu; the node's text converted into entries with TOLQ > Convert
// Declarations. A place retyped to a new colour set then passes the syntax
// check; a declaration that does not compile leaves the compiler's message
// in the error box of its entry. The saved diagram is read back here.
#include "MainRoadSession.h"

#include "atolq/CEditor/NetRegions.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;

// The global declaration node of the example, in the drawing area.
constexpr Spot kDeclarationNode{140, 169};

// Sizes of the dialogs: the kind choice and the entry dialogs.
constexpr int kKindWidth = 370, kKindHeight = 296;
constexpr int kEntryWidth = 710, kEntryHeight = 470;
constexpr int kQuestionWidth = 370, kQuestionHeight = 160;

// Places of the items inside the dialogs (centres).
constexpr Spot kKindColourSet{31, 57}, kKindFun{31, 82}, kKindVal{31, 107}, kKindLocal{31, 207};
constexpr Spot kKindOk{310, 268};
constexpr Spot kEntryCheck{370, 438}, kEntryCancel{550, 438}, kEntryOk{640, 438}, kBrowserClose{640, 438};
constexpr Spot kColourSetName{170, 29}, kColourSetItems{185, 165}, kRangeLow{140, 223}, kRangeHigh{282, 223};
constexpr Spot kValueName{180, 57}, kValueExpression{180, 150};
constexpr Spot kFunParameters{180, 111}, kFunBody{180, 250};
constexpr Spot kBlockText{180, 200};
constexpr Spot kQuestionNo{130, 132};

// The kind list of the colour-set dialog lies at (20, 48) and lists the 24
// kinds; "int" is its third row.
constexpr int kKindRows = 24;
constexpr int kIntRow = 2;

// Every colour-set kind besides int, a function that a subset uses, and a
// timed colour set, typed as one text into the text dialog.
const char* const kAllKinds =
    "colorset U = unit with u; colorset B = bool with (no, yes); colorset Re = real with 0.0 .. 1.0; "
    "colorset S = string with \"a\" .. \"z\" length 1 .. 5; colorset E = with red | green | blue; "
    "colorset I = index id with 1 .. 3; colorset L = list Count with 0 .. 3; colorset P = product Count * E; "
    "colorset Rec = record a:Count * b:B; colorset Un = union one + two:Count; fun small x = x < 5; "
    "colorset Sub = subset Count by small; colorset SL = subset E with [red, green]; colorset T = time; "
    "colorset D = Count; colorset Big = IntInf with 0 .. 10; colorset TS = int timed;";

class DeclarationsProgramTest : public TolqSession {
protected:
    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                out.push_back(w);
        return out;
    }

    std::optional<WindowInfo> WaitForDialog(int width, int height, std::chrono::milliseconds limit = 10s) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : Dialogs())
                if (w.width == width && w.height == height)
                    found = w;
            return found.has_value();
        }, limit);
        return found;
    }

    bool DialogGone(int width, int height, std::chrono::milliseconds limit = 60s) const
    {
        return wait_until([&] {
            for (const WindowInfo& w : Dialogs())
                if (w.width == width && w.height == height)
                    return false;
            return true;
        }, limit);
    }

    void ClickIn(const WindowInfo& dialog, Spot spot)
    {
        client_.click(dialog.root_x + spot.x, dialog.root_y + spot.y);
        Settle();
    }

    void TypeIn(const WindowInfo& dialog, Spot field, const std::string& text)
    {
        ClickIn(dialog, field);
        client_.type_text(text);
        Settle();
    }

    // TOLQ > New Declaration... on the global node, the kind chosen: the
    // kind's dialog.
    std::optional<WindowInfo> NewDeclaration(Spot kind)
    {
        ClickAt(kDeclarationNode);
        Pick("TOLQ", "New Declaration...");
        const std::optional<WindowInfo> choice = WaitForDialog(kKindWidth, kKindHeight);
        if (!choice.has_value())
            return std::nullopt;
        ClickIn(*choice, kind);
        ClickIn(*choice, kKindOk);
        if (!DialogGone(kKindWidth, kKindHeight, 10s))
            return std::nullopt;
        return WaitForDialog(kEntryWidth, kEntryHeight);
    }

    // Clicks a row of the colour-set dialog's kind list.
    bool ChooseKindRow(const WindowInfo& dialog, int row)
    {
        for (const WindowInfo& w : client_.window_tree()) {
            const bool inKindList = w.root_x >= dialog.root_x + 20 && w.root_x <= dialog.root_x + 24 &&
                                    w.root_y >= dialog.root_y + 48 && w.root_y <= dialog.root_y + 52;
            if (!inKindList || w.height < 120)
                continue;
            const int rowHeight = (w.height - 4) / kKindRows;
            client_.click(w.root_x + 30, w.root_y + 2 + rowHeight * row + rowHeight / 2);
            Settle();
            return true;
        }
        return false;
    }

    // Where the page shows an object of the example as saved.
    Spot SpotOf(const NetDiagram& diagram, ObjectHandle object) const
    {
        Fixed px = 0, py = 0, x = 0, y = 0;
        QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
        QXRdAttr_GetPosition(object, &x, &y);
        return {kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
    }

    // The colour-set region of a place as the example has it, and its spot.
    std::pair<std::string, Spot> ColourSetOf(const std::string& place)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        for (ObjectHandle region : RegionsOf(diagram.NodeNamed(place))) {
            uint32_t kind = 0;
            QXRdAttr_GetRegionKind(region, &kind);
            if (static_cast<int32_t>(kind) == kRegionColourSet)
                return {TextOf(region), SpotOf(diagram, region)};
        }
        ADD_FAILURE() << place << " has no colour set region";
        return {};
    }

    // Retypes a text on the page: a click, text editing on, the old text
    // rubbed out, the new one typed, a click on an empty spot.
    void Retype(Spot spot, const std::string& old, const std::string& typed)
    {
        ClickAt(spot);
        Keys("alt+t");
        for (size_t i = 0; i < old.size(); ++i)
            client_.key("BackSpace");
        Settle();
        xdotool({"type", typed});
        Settle();
        ClickAt(kEmpty);
    }

    // The check from the TOLQ menu, its closing message box answered.
    void CheckFromTheMenu()
    {
        Pick("TOLQ", "Syntax Check");
        ASSERT_TRUE(AnswerMessageBox(120s)) << "the check showed no result";
    }

    std::string SavedPageTexts()
    {
        NetDiagram saved(diagram_);
        EXPECT_TRUE(saved.ok());
        std::string texts;
        for (ObjectHandle page : saved.NetPages())
            texts += saved.PageTexts(page);
        return texts;
    }

    static constexpr Spot kEmpty{kProduceSpot.x + 20, kProduceSpot.y + 250};
};

TEST_F(DeclarationsProgramTest, DeclarationsMadeInTheirDialogsCompileAndTheNetWithTheNewColourSetChecks)
{
    const auto [bufferColourSet, bufferSpot] = ColourSetOf("Buffer");
    ASSERT_EQ(bufferColourSet, "INT");
    ASSERT_NO_FATAL_FAILURE(Start());

    // Each new declaration after the node goes to the front of its
    // entries: what others use is declared last. First every colour-set
    // kind but int, a timed one among them, as one text.
    std::optional<WindowInfo> dialog = NewDeclaration(kKindLocal);
    ASSERT_TRUE(dialog.has_value()) << "no text dialog";
    TypeIn(*dialog, kBlockText, kAllKinds);
    ClickIn(*dialog, kEntryOk);
    ASSERT_TRUE(DialogGone(kEntryWidth, kEntryHeight)) << "the text was not converted";

    // A function and a value, each checked in its dialog.
    dialog = NewDeclaration(kKindFun);
    ASSERT_TRUE(dialog.has_value()) << "no fun dialog";
    TypeIn(*dialog, kValueName, "twice");
    TypeIn(*dialog, kFunParameters, "x");
    TypeIn(*dialog, kFunBody, "2 * x");
    ClickIn(*dialog, kEntryCheck);
    ASSERT_TRUE(DialogGone(kEntryWidth, kEntryHeight)) << "the function did not compile";

    dialog = NewDeclaration(kKindVal);
    ASSERT_TRUE(dialog.has_value()) << "no value dialog";
    TypeIn(*dialog, kValueName, "limit");
    TypeIn(*dialog, kValueExpression, "100");
    ClickIn(*dialog, kEntryCheck);
    ASSERT_TRUE(DialogGone(kEntryWidth, kEntryHeight)) << "the value did not compile";

    // A colour set: int with a range and a variable, checked in its dialog.
    dialog = NewDeclaration(kKindColourSet);
    ASSERT_TRUE(dialog.has_value()) << "no colour-set dialog";
    TypeIn(*dialog, kColourSetName, "Count");
    ASSERT_TRUE(ChooseKindRow(*dialog, kIntRow)) << "the kind list was not found";
    TypeIn(*dialog, kRangeLow, "0");
    TypeIn(*dialog, kRangeHigh, "100");
    TypeIn(*dialog, kColourSetItems, "c");
    ClickIn(*dialog, kEntryCheck);
    ASSERT_TRUE(DialogGone(kEntryWidth, kEntryHeight)) << "the colour set did not compile";

    // The browser opens from the TOLQ menu and closes.
    Pick("TOLQ", "Declarations...");
    dialog = WaitForDialog(kEntryWidth, kEntryHeight);
    ASSERT_TRUE(dialog.has_value()) << "no declaration browser";
    ClickIn(*dialog, kBrowserClose);
    ASSERT_TRUE(DialogGone(kEntryWidth, kEntryHeight, 10s));

    // Buffer typed by the new colour set: the net passes the check.
    Retype(bufferSpot, bufferColourSet, "Count");
    ASSERT_NO_FATAL_FAILURE(CheckFromTheMenu());
    ASSERT_NO_FATAL_FAILURE(Save());
    std::string texts = SavedPageTexts();
    EXPECT_TRUE(DataBaseHolds(diagram_, "Count")) << "the retyped colour set did not reach the net";
    for (const char* entry : {"colorset Count = int with 0 .. 100", "val limit = 100;", "fun twice x = 2 * x;",
                              "colorset Rec = record a:Count * b:B;", "colorset TS = int timed;", "colorset D = Count;"})
        EXPECT_NE(texts.find(entry), std::string::npos) << entry << " is not on the page:\n" << texts;
    for (const char* failure : {"C.4", "C.7", "C.8", "must be"})
        EXPECT_EQ(texts.find(failure), std::string::npos) << failure << " reported:\n" << texts;

    // A value that does not compile: the compiler's message is shown in the
    // error box of its entry, and the dialog stays open.
    dialog = NewDeclaration(kKindVal);
    ASSERT_TRUE(dialog.has_value()) << "no value dialog";
    TypeIn(*dialog, kValueName, "broken");
    TypeIn(*dialog, kValueExpression, "1 + \"a\"");
    ClickIn(*dialog, kEntryCheck);
    // The declarations changed since the check: the evaluator asks whether
    // to start afresh; it goes on with what it has.
    const std::optional<WindowInfo> question = WaitForDialog(kQuestionWidth, kQuestionHeight, 20s);
    ASSERT_TRUE(question.has_value()) << "no question about the changed declarations";
    ClickIn(*question, kQuestionNo);
    EXPECT_FALSE(DialogGone(kEntryWidth, kEntryHeight, 5s)) << "the dialog closed on a failed compile";
    ClickIn(*dialog, kEntryCancel);
    ASSERT_TRUE(DialogGone(kEntryWidth, kEntryHeight, 10s));
    ASSERT_NO_FATAL_FAILURE(Save());
    texts = SavedPageTexts();
    EXPECT_NE(texts.find("Type error"), std::string::npos) << "no compiler message on the page:\n" << texts;
    EXPECT_TRUE(tolq_.running());
}

TEST_F(DeclarationsProgramTest, ConvertedDeclarationNodeChecks)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Pick("TOLQ", "Convert Declarations");
    ASSERT_NO_FATAL_FAILURE(CheckFromTheMenu());
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string texts = SavedPageTexts();
    EXPECT_NE(texts.find("colorset INT = int"), std::string::npos) << "no entry was made:\n" << texts;
    for (const char* failure : {"C.4", "must be"})
        EXPECT_EQ(texts.find(failure), std::string::npos) << failure << " reported:\n" << texts;
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
