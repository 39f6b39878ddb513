// tolq's Aux menu on a copy of the example net, picked with the pointer as a
// user does: Convert to Aux strips the selected transition of its net role
// and keeps it as a drawn object; Make Node turns a plain region back into a
// free node and refuses an inscription of the net. The saved diagram and net
// data base are read back here.
#include "MainRoadSession.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;
constexpr const char* kNoteText = "note";

// Where an object of the diagram lies in the page's drawing area, found from
// its distance to Produce, whose place on the screen is known.
Spot SpotOf(const NetDiagram& diagram, ObjectHandle object)
{
    Fixed px = 0, py = 0, x = 0, y = 0;
    QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
    QXRdAttr_GetPosition(object, &x, &y);
    return {kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
}

class AuxMenuProgramTest : public TolqSession {
protected:
    // The place on the screen of the object with the text, read from the
    // diagram as it is on disk.
    Spot SpotOfText(const std::string& text)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle object = diagram.ObjectWithText(text);
        EXPECT_NE(object, 0u) << "no object reads " << text;
        return SpotOf(diagram, object);
    }

    // Gives Buffer a plain (auxiliary) text region "note" below it, saved
    // with the program's own writer; where it lies on the screen.
    Spot AddPlainRegionToBuffer()
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle buffer = diagram.NodeNamed("Buffer");
        EXPECT_NE(buffer, 0u);
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(buffer, &x, &y);
        const ObjectHandle note = QXStr_CreateLabel(QXStr_GetObjectPage(buffer), x + 90 * kPixel, y + 60 * kPixel,
                                                    40 * kPixel, 16 * kPixel, kNoteText);
        EXPECT_NE(note, 0u);
        EXPECT_EQ(QXStr_MakeRegion(note, buffer), 1u);
        EXPECT_TRUE(diagram.Save());
        return SpotOf(diagram, note);
    }
};

TEST_F(AuxMenuProgramTest, ConvertToAuxStripsTheSelectedTransitionOfItsNetRole)
{
    const Spot consume = SpotOfText("Consume");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(DataBaseHolds(diagram_, "Consume"));
    ClickAt(consume);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to Aux"));
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "the command refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_FALSE(DataBaseHolds(diagram_, "Consume"));
    EXPECT_TRUE(DataBaseHolds(diagram_, "Produce"));
    EXPECT_TRUE(DataBaseHolds(diagram_, "Buffer"));
    {
        // The drawing stays: a node that reads Consume, without a net record.
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        EXPECT_EQ(saved.NodeNamed("Consume"), 0u);
        const ObjectHandle drawn = saved.ObjectWithText("Consume");
        ASSERT_NE(drawn, 0u) << "the converted transition is gone from the diagram";
        SEHead* record = nullptr;
        EXPECT_TRUE(GE_GetSERecord(QXStr_GetBaseObject(drawn), &record) == 0 || record == nullptr);
    }
    EXPECT_TRUE(tolq_.running());
}

TEST_F(AuxMenuProgramTest, ConvertToAuxWithNothingSelectedRefusesAndChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt({kProduceSpot.x, kProduceSpot.y + 250});  // an empty spot: nothing selected
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to Aux"));
    EXPECT_TRUE(AnswerMessageBox()) << "no refusal was shown";
    ASSERT_NO_FATAL_FAILURE(Save());
    for (const char* name : {"Produce", "Consume", "Next", "Buffer"})
        EXPECT_TRUE(DataBaseHolds(diagram_, name)) << name;
    EXPECT_TRUE(tolq_.running());
}

TEST_F(AuxMenuProgramTest, MakeNodeTurnsAPlainRegionBackIntoAFreeNode)
{
    const Spot note = AddPlainRegionToBuffer();
    ASSERT_FALSE(HasFailure());
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(note);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Make Node"));
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "the command refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle node = saved.ObjectWithText(kNoteText);
    ASSERT_NE(node, 0u) << "the region is gone";
    EXPECT_EQ(QXRdAttr_GetObjectType(node), kQXKindNode);
    const ObjectHandle buffer = saved.NodeNamed("Buffer");
    ASSERT_NE(buffer, 0u) << "Buffer lost its net record";
    const std::vector<ObjectHandle> regions = RegionsOf(buffer);
    EXPECT_EQ(std::find(regions.begin(), regions.end(), node), regions.end());
    EXPECT_TRUE(tolq_.running());
}

TEST_F(AuxMenuProgramTest, MakeNodeRefusesAnInscriptionOfTheNet)
{
    const Spot inscription = SpotOfText("n + 1");
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(inscription);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Make Node"));
    EXPECT_TRUE(AnswerMessageBox()) << "no refusal was shown";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle region = saved.ObjectWithText("n + 1");
    ASSERT_NE(region, 0u);
    EXPECT_EQ(QXRdAttr_GetObjectType(region), kQXKindRegion);
    EXPECT_TRUE(DataBaseHolds(diagram_, "n + 1"));
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
