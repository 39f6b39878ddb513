// PostScript and EPS output of a diagram built here: the documents are
// rendered by Ghostscript and checked pixel by pixel; the EPS bounding box,
// the master page's fields, the spooler command and safe file writing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "process.h"
#include "xkv/colour/Colour.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/text/Text.h"
#include "xkv/print/Print.h"

namespace fs = std::filesystem;
using tolq::test::TempDir;

namespace {

constexpr Fixed Pt(int32_t points)
{
    return points * 0x8000;
}

// Colour indexes loaded by the fixture.
constexpr uint32_t kBlack = 0, kRed = 1, kBlue = 2, kGreen = 3;

struct Rgb {
    int r, g, b;
};

// A raster rendered by Ghostscript at 72 dpi (one pixel per point).
struct Raster {
    int width = 0, height = 0;
    std::vector<unsigned char> bytes;
    Rgb At(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {bytes[i], bytes[i + 1], bytes[i + 2]};
    }
};

bool ReadPpm(const std::string& path, Raster* out)
{
    std::ifstream in(path, std::ios::binary);
    auto token = [&in] {
        std::string word;
        while (in >> word && word[0] == '#') {
            std::string rest;
            std::getline(in, rest);
        }
        return word;
    };
    std::string magic = token();
    out->width = std::atoi(token().c_str());
    out->height = std::atoi(token().c_str());
    token();
    in.get();
    if (magic != "P6" || !in) {
        return false;
    }
    out->bytes.resize(static_cast<size_t>(out->width) * out->height * 3);
    in.read(reinterpret_cast<char*>(out->bytes.data()), static_cast<std::streamsize>(out->bytes.size()));
    return static_cast<bool>(in);
}

// Renders the file; the Ghostscript run must succeed.
Raster Render(const std::string& file, const TempDir& dir, bool eps = false)
{
    std::string image = dir.file("page.ppm");
    std::vector<std::string> argv = {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=ppmraw", "-r72",
                                     "-sOutputFile=" + image};
    if (eps) {
        argv.push_back("-dEPSCrop");
    }
    argv.push_back(file);
    tolq::test::ProcessResult result = tolq::test::run_process(argv);
    EXPECT_EQ(result.exit_status, 0) << result.out << result.err;
    EXPECT_EQ(result.err, "");
    Raster raster;
    EXPECT_TRUE(ReadPpm(image, &raster)) << result.out << result.err;
    return raster;
}

// Every mark Ghostscript finds on the EPS file's page lies inside the
// bounding box the file declares.
void ExpectMarksWithinBoundingBox(const std::string& file)
{
    const std::string text = tolq::test::read_file(file);
    int declared[4] = {};
    const size_t at = text.find("%%BoundingBox: ");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(std::sscanf(text.c_str() + at, "%%%%BoundingBox: %d %d %d %d", &declared[0], &declared[1],
                          &declared[2], &declared[3]),
              4);
    tolq::test::ProcessResult r =
        tolq::test::run_process({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", file});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    double marks[4] = {};
    const size_t hires = r.err.find("%%HiResBoundingBox: ");
    ASSERT_NE(hires, std::string::npos) << r.err;
    ASSERT_EQ(std::sscanf(r.err.c_str() + hires, "%%%%HiResBoundingBox: %lf %lf %lf %lf", &marks[0], &marks[1],
                          &marks[2], &marks[3]),
              4);
    EXPECT_LE(declared[0], marks[0]) << r.err;
    EXPECT_LE(declared[1], marks[1]) << r.err;
    EXPECT_GE(declared[2], marks[2]) << r.err;
    EXPECT_GE(declared[3], marks[3]) << r.err;
}

bool IsColour(Rgb c, Rgb want)
{
    return std::abs(c.r - want.r) < 40 && std::abs(c.g - want.g) < 40 && std::abs(c.b - want.b) < 40;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class PrintTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        static const uint16_t rows[][3] = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 160, 0}};
        Color_LoadTable(rows, 1, 0, 4);
        ASSERT_EQ(Core_AddPage(&page_), kStatusOk);
        SetPrint({{24, 1}, {28, 100}, {32, 0}, {36, 0}, {40, 1}, {44, 0}});
    }
    void TearDown() override
    {
        Print_CloseOutput();
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        Core_CloseModel();
        for (PtArray array : arrays_) {
            PtArray_Free(array);
        }
        KernelTest::TearDown();
    }

    void SetWords(uint32_t property, std::initializer_list<std::pair<size_t, uint32_t>> words)
    {
        std::vector<uint8_t> record(Default_PropertySize(property));
        ASSERT_EQ(Default_Get(0, kDefaultLevelNew, property, record.data()), kStatusOk);
        for (auto [offset, value] : words) {
            std::memcpy(record.data() + offset, &value, sizeof value);
        }
        ASSERT_EQ(Default_Set(0, kDefaultLevelNew, property, record.data()), kStatusOk);
    }
    void SetPrint(std::initializer_list<std::pair<size_t, uint32_t>> words) { SetWords(14, words); }
    void SetEps(std::initializer_list<std::pair<size_t, uint32_t>> words) { SetWords(15, words); }

    void SetPage(ObjectHandle page, uint32_t number, const char* name)
    {
        Model_SetFieldValue(page, Field::kPageNumber, number);
        std::vector<uint8_t> record(Default_PropertySize(kPropPage));
        ASSERT_EQ(Default_Get(page, kDefaultLevelObject, kPropPage, record.data()), kStatusOk);
        std::memset(record.data() + kPageRecordName, 0, kPageRecordNameSize);
        std::memcpy(record.data() + kPageRecordName, name, std::strlen(name));
        std::memset(record.data(), 0xff, kChangedBytes);
        ASSERT_EQ(Default_Set(page, kDefaultLevelObject, kPropPage, record.data()), kStatusOk);
    }

    // A node with its looks: fill pattern, line style, width and colours.
    ObjectHandle Shape(FixRect box, uint32_t kind, uint32_t pattern, uint32_t fill, uint32_t style = 0,
                       Fixed width = Pt(1), ObjectHandle page = 0)
    {
        ObjectHandle node = 0;
        EXPECT_EQ(Core_AddNode(page != 0 ? page : page_, box, kind, 0, &node), kStatusOk);
        Look(node, pattern, fill, style, width, kBlack);
        return node;
    }
    void Look(ObjectHandle object, uint32_t pattern, uint32_t fill, uint32_t style, Fixed width, uint32_t line)
    {
        Model_SetFieldValue(object, Field::kPattern, pattern);
        Model_SetFieldValue(object, Field::kLineStyle, style);
        Model_SetFieldValue(object, Field::kLineWidth, static_cast<uint32_t>(width));
        Model_SetFieldValue(object, Field::kColours, (line << 24) | (fill << 16));
    }
    // Point arrays for the test: freed with the fixture.
    PtArray Points(std::initializer_list<FixPoint> points)
    {
        PtArray array = 0;
        PtArray_Create(&array, static_cast<uint16_t>(points.size()));
        for (const FixPoint& p : points) {
            PtArray_Append(array, p);
        }
        arrays_.push_back(array);
        return array;
    }

    // Prints the pages through the spooler command "true" and returns the
    // document, which stays in the print directory.
    std::string PrintPages(std::initializer_list<ObjectHandle> pages, std::string* file = nullptr)
    {
        ScopedEnv directory("VelkorPrintDirectory", dir_.path());
        ScopedEnv command("VelkorPrintCommand", "true");
        EXPECT_EQ(Print_BeginDocument(), kStatusOk);
        EXPECT_EQ(Print_IsActive(), 1u);
        for (ObjectHandle page : pages) {
            EXPECT_EQ(Print_DrawPage(page), kStatusOk);
        }
        EXPECT_EQ(Print_EndDocument(), 0u);
        EXPECT_EQ(Print_IsActive(), 0u);
        std::vector<std::string> names = FilesIn(dir_.path());
        EXPECT_EQ(names.size(), 1u);
        if (names.empty()) {
            return "";
        }
        std::string path = dir_.file(names[0]);
        EXPECT_EQ(names[0].rfind("Plexmor.PS", 0), 0u);
        if (file != nullptr) {
            *file = path;
        }
        std::string text = tolq::test::read_file(path);
        fs::remove(path);
        return text;
    }

    std::vector<PtArray> arrays_;
    TempDir dir_;
    TempDir work_;
    ObjectHandle page_ = 0;
};

// The page origin lies in the middle of the printable area: on A4 at
// (32 + 266, 33 + 388) points from the lower left corner.
int Column(int x)
{
    return 298 + x;
}
int Row(int y)
{
    return 842 - 421 + y;
}

std::vector<ObjectHandle> gSelectedPages;
uintptr_t SelectedPages(uintptr_t count, uintptr_t pages, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* list = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * gSelectedPages.size()));
    std::copy(gSelectedPages.begin(), gSelectedPages.end(), list);
    *reinterpret_cast<uint16_t*>(count) = static_cast<uint16_t>(gSelectedPages.size());
    *reinterpret_cast<uint32_t**>(pages) = list;
    return 1;
}

ObjectHandle gLabel = 0;
uintptr_t DrawLabelText(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    // Stands in for the text editor, which prints an object's text after its shape.
    if (object == gLabel) {
        Print_Text(FontSpec{3, 40, 2}, {Pt(-200), Pt(250)}, static_cast<int32_t>(kBlue), "MWMW");
    }
    return 1;
}

TEST_F(PrintTest, DiagramRendersWithFillsOutlinesConnectorsAndText)
{
    Shape({Pt(-200), Pt(-200), Pt(-100), Pt(-100)}, 1, 1, kRed);           // solid red box
    Shape({Pt(50), Pt(-200), Pt(150), Pt(-150)}, 2, 1, kBlue);             // blue ellipse
    Shape({Pt(200), Pt(-200), Pt(260), Pt(-140)}, 7, 4, kGreen);           // rounded box, checkered
    ObjectHandle polygon = 0;
    ASSERT_EQ(Core_AddPolygon(page_, Points({{Pt(-200), Pt(50)}, {Pt(-100), Pt(50)}, {Pt(-150), Pt(150)}}), &polygon),
              kStatusOk);
    Look(polygon, 1, kGreen, 0, Pt(1), kBlack);
    ObjectHandle dashed = 0;
    ASSERT_EQ(Core_AddLine(page_, Points({{Pt(0), Pt(200)}, {Pt(200), Pt(200)}}), &dashed), kStatusOk);
    Look(dashed, 0, kBlack, 2, Pt(3), kBlack);
    ObjectHandle from = Shape({Pt(40), Pt(90), Pt(60), Pt(110)}, 1, 0, kBlack);
    ObjectHandle to = Shape({Pt(200), Pt(90), Pt(220), Pt(110)}, 1, 0, kBlack);
    ObjectHandle connector = 0;
    ASSERT_EQ(Core_AddConnector(page_, from, to, 0, &connector, 1), kStatusOk);
    Look(connector, 1, kRed, 0, Pt(3), kRed);
    Model_SetFieldValue(connector, Field::kDirection, 1);
    Model_SetFieldValue(connector, Field::kArrowHeight, static_cast<uint32_t>(Pt(20)));
    Model_SetFieldValue(connector, Field::kArrowWidth, static_cast<uint32_t>(Pt(10)));
    RebuildRequest request;
    Core_RebuildObject(connector, &request);
    gLabel = Shape({Pt(-200), Pt(200), Pt(-190), Pt(210)}, 12, 0, kBlack, kDashNone);
    Hook_Register(36, DrawLabelText);

    std::string file;
    std::string text = PrintPages({page_}, &file);
    ASSERT_FALSE(text.empty());
    std::string copy = dir_.file("doc.ps");
    tolq::test::write_file(copy, text);
    Raster r = Render(copy, dir_);
    ASSERT_GE(r.width, 595) << "Ghostscript's own A4 is 595 points wide";
    ASSERT_EQ(r.height, 842);
    const Rgb red{255, 0, 0}, blue{0, 0, 255}, green{0, 160, 0}, white{255, 255, 255}, black{0, 0, 0};
    EXPECT_TRUE(IsColour(r.At(Column(-150), Row(-150)), red));
    EXPECT_TRUE(IsColour(r.At(Column(100), Row(-175)), blue));
    EXPECT_TRUE(IsColour(r.At(Column(53), Row(-197)), white)) << "outside the ellipse, inside its box";
    EXPECT_TRUE(IsColour(r.At(Column(-150), Row(80)), green));
    EXPECT_TRUE(IsColour(r.At(Column(-195), Row(140)), white)) << "outside the triangle";
    // The checkered fill of the rounded box has both colours inside it.
    int greenCount = 0, whiteCount = 0;
    for (int x = 210; x < 250; ++x) {
        greenCount += IsColour(r.At(Column(x), Row(-170)), green);
        whiteCount += IsColour(r.At(Column(x), Row(-170)), white);
    }
    EXPECT_GT(greenCount, 5);
    EXPECT_GT(whiteCount, 5);
    // The connector runs red between the nodes and ends in a filled head.
    EXPECT_TRUE(IsColour(r.At(Column(130), Row(100)), red));
    EXPECT_TRUE(IsColour(r.At(Column(192), Row(100)), red)) << "inside the arrow head";
    EXPECT_TRUE(IsColour(r.At(Column(130), Row(120)), white));
    // The dashed line has gaps.
    int dark = 0, light = 0;
    for (int x = 10; x < 190; ++x) {
        (IsColour(r.At(Column(x), Row(200)), black) ? dark : light) += 1;
    }
    EXPECT_GT(dark, 20);
    EXPECT_GT(light, 20);
    // The text is drawn in blue above its position.
    int textPixels = 0;
    for (int y = 215; y < 250; ++y) {
        for (int x = -200; x < -60; ++x) {
            textPixels += IsColour(r.At(Column(x), Row(y)), blue);
        }
    }
    EXPECT_GT(textPixels, 200);
}

TEST_F(PrintTest, PrologueOfA4PortraitAndRepeatedAttributesEmittedOnce)
{
    Shape({Pt(0), Pt(0), Pt(10), Pt(10)}, 1, 0, kBlack, 2, Pt(2));
    Shape({Pt(20), Pt(0), Pt(30), Pt(10)}, 1, 0, kBlack, 2, Pt(2));
    std::string text = PrintPages({page_});
    EXPECT_EQ(text.rfind("%!PS-Adobe-3.0\n", 0), 0u);
    EXPECT_NE(text.find("%%IncludeFeature: *PageSize A4\n"), std::string::npos);
    EXPECT_NE(text.find("32 33 translate \n0 setlinewidth \n266 388 translate \n"), std::string::npos);
    EXPECT_EQ(text.find("0 scale \n"), std::string::npos);
    EXPECT_NE(text.find("/pat38 exch def"), std::string::npos);
    EXPECT_NE(text.find("<01000000000000>") == std::string::npos ? text.find("{<0100000000000000>}") : 0,
              std::string::npos);
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("2 setlinewidth"), 1u);
    EXPECT_EQ(count("setdash \n"), 1u);
    EXPECT_EQ(count("%%Page: (1) 1\n"), 1u);
    EXPECT_NE(text.find("%%Trailer\n%%Pages: 1\n%%EOF\n"), std::string::npos);
}

struct FontCase {
    uint32_t family;
    uint16_t style;
    const char* name;
};

TEST_F(PrintTest, FontNamesAndEscapedTexts)
{
    const FontCase cases[] = {{5, 6, "Times-BoldItalic"}, {1, 4, "Courier-Oblique"}, {5, 0, "Times-Roman"},
                              {3, 2, "Helvetica-Bold"},   {3, 0, "Helvetica"},       {0, 0, "Courier"}};
    ScopedEnv directory("VelkorPrintDirectory", dir_.path());
    ScopedEnv command("VelkorPrintCommand", "true");
    ASSERT_EQ(Print_BeginDocument(), kStatusOk);
    for (const FontCase& c : cases) {
        Print_Text(FontSpec{c.family, 10, c.style}, {0, 0}, 0, "a(b)c\\d");
    }
    ASSERT_EQ(Print_EndDocument(), 0u);
    std::string text = tolq::test::read_file(dir_.file(FilesIn(dir_.path()).at(0)));
    for (const FontCase& c : cases) {
        EXPECT_NE(text.find(std::string("/") + c.name + " findfont \n10 scalefont setfont \n"), std::string::npos)
            << c.name;
    }
    EXPECT_NE(text.find("(a\\(b\\)c\\\\d) show \n"), std::string::npos);
}

TEST_F(PrintTest, BlackAndWhiteFillsLeaveNothingOnTheStack)
{
    SetPrint({{44, 1}});
    Shape({Pt(0), Pt(0), Pt(40), Pt(40)}, 1, 4, kRed);
    std::string text = PrintPages({page_});
    EXPECT_EQ(text.find("setrgbcolor"), std::string::npos);
    // Ghostscript reports what a document leaves on the operand stack.
    size_t trailer = text.find("%%Trailer");
    ASSERT_NE(trailer, std::string::npos);
    text.insert(trailer, "count (stack:) print == flush\n");
    std::string copy = dir_.file("bw.ps");
    tolq::test::write_file(copy, text);
    tolq::test::ProcessResult result =
        tolq::test::run_process({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=nullpage", copy});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_NE(result.out.find("stack:0"), std::string::npos) << result.out;
}

struct BoxCase {
    uint32_t scale;
    int32_t rotation;
    Fixed lineWidth;
    const char* line;
};

TEST_F(PrintTest, EpsBoundingBoxFollowsScaleAndRotation)
{
    // The red box lies at (-200, -200)-(-100, -100); the EPS origin on A4 is
    // (298, 421), where the prologue puts it. The bounding box holds half the
    // line's width and a point for the emitters' rounding.
    const BoxCase cases[] = {{100, 0, 0, "%%BoundingBox: 97 520 199 622\n"},
                             {0, 0, 0, "%%BoundingBox: 97 520 199 622\n"},
                             {50, 0, 0, "%%BoundingBox: 197 470 249 522\n"},
                             {100, 90, 0, "%%BoundingBox: 97 220 199 322\n"},
                             {100, 0, Pt(6), "%%BoundingBox: 94 517 202 625\n"},
                             {100, 0, Pt(1), "%%BoundingBox: 96 519 200 623\n"}};
    const ObjectHandle box = Shape({Pt(-200), Pt(-200), Pt(-100), Pt(-100)}, 1, 1, kRed, 0, 0);
    SetPage(page_, 1, "figure");
    ASSERT_EQ(chdir(work_.path().c_str()), 0);
    for (const BoxCase& c : cases) {
        Model_SetFieldValue(box, Field::kLineWidth, static_cast<uint32_t>(c.lineWidth));
        SetEps({{24, c.scale}, {28, static_cast<uint32_t>(c.rotation)}, {32, 1}, {36, 1}, {40, 1}, {44, 1}});
        gSelectedPages = {page_};
        Hook_Register(85, SelectedPages);
        std::error_code ignored;
        fs::remove(work_.file("figure.eps"), ignored);
        ASSERT_EQ(Print_ExportEPS(), 1u) << c.line;
        std::string text = tolq::test::read_file(work_.file("figure.eps"));
        EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);
        EXPECT_NE(text.find(c.line), std::string::npos) << text.substr(0, 80);
        EXPECT_EQ(text.find("%%IncludeFeature"), std::string::npos);
        ExpectMarksWithinBoundingBox(work_.file("figure.eps"));
        Raster r = Render(work_.file("figure.eps"), work_, true);
        // Cropped to the box: its middle is red.
        ASSERT_GT(r.width, 10);
        EXPECT_TRUE(IsColour(r.At(r.width / 2, r.height / 2), {255, 0, 0})) << c.line;
    }
    EXPECT_EQ(FilesIn(work_.path()).size(), 2u) << "only the EPS file and the rendered image";
    ASSERT_EQ(chdir("/"), 0);
}

// Per page the bounding box of its marks, as Ghostscript's bbox device finds
// them: left, bottom, right, top.
std::vector<std::array<double, 4>> MarksPerPage(const std::string& file)
{
    tolq::test::ProcessResult r =
        tolq::test::run_process({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", file});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    std::vector<std::array<double, 4>> pages;
    const std::regex line(R"(%%HiResBoundingBox: (\S+) (\S+) (\S+) (\S+))");
    for (std::sregex_iterator it(r.err.begin(), r.err.end(), line), end; it != end; ++it) {
        pages.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    }
    return pages;
}

struct LayoutCase {
    const char* name;
    uint32_t layout;
    uint32_t scale;
    size_t sheets;
    double width;  // the marks' size on the first sheet, in points
    double height;
};

TEST_F(PrintTest, FitAndTileLayoutsSpreadAWidePageOverItsSheets)
{
    // A solid box 1200 points wide and 200 high; A4's printable area is
    // 533 x 776 points from (32, 33).
    Shape({Pt(-600), Pt(-100), Pt(600), Pt(100)}, 1, 1, kRed, 0, 0);
    const LayoutCase cases[] = {
        {"fitted down to the sheet's width", 1, 100, 1, 533, 200 * 533 / 1200.0},
        {"fitted at twice the size", 1, 200, 1, 533, 200 * 533 / 1200.0},
        {"small enough as it is", 1, 25, 1, 300, 50},
        {"tiled over three sheets", 2, 100, 3, 533, 200},
        {"tiled overlapping", 3, 100, 3, 533, 200},
        {"tiled at half the size", 2, 50, 2, 533, 100},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetPrint({{28, c.scale}, {36, c.layout}});
        std::string file;
        const std::string text = PrintPages({page_}, &file);
        EXPECT_NE(text.find("%%Pages: " + std::to_string(c.sheets) + "\n"), std::string::npos);
        const std::string copy = dir_.file("layout.ps");
        tolq::test::write_file(copy, text);
        const auto marks = MarksPerPage(copy);
        ASSERT_EQ(marks.size(), c.sheets);
        for (const auto& m : marks) {
            // Inside the printable area, which the prologue clips to
            // (31, 32)-(566, 810).
            EXPECT_GE(m[0], 30.9);
            EXPECT_GE(m[1], 31.9);
            EXPECT_LE(m[2], 566.1);
            EXPECT_LE(m[3], 810.1);
        }
        EXPECT_NEAR(marks[0][2] - marks[0][0], c.width, 3);
        EXPECT_NEAR(marks[0][3] - marks[0][1], c.height, 3);
        fs::remove(copy);
    }
}

TEST_F(PrintTest, SpoolerFailureIsReportedWithItsCommandAndLeavesNoFile)
{
    ScopedEnv directory("VelkorPrintDirectory", dir_.path());
    struct Case {
        const char* command;
        uint32_t result;
        const char* failure;
        size_t filesLeft;  // a spooled document is the spooler's to remove
    };
    const Case cases[] = {
        {"true", 0, "", 1},
        {"false", 1, "The print command \"false\" failed with exit status 1.", 0},
        {"sh -c 'exit 3'", 1, "The print command \"sh -c 'exit 3'\" failed with exit status 3.", 0},
        {"/nonexistent/spooler", 1, "The print command \"/nonexistent/spooler\" failed with exit status 127.", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ScopedEnv spooler("VelkorPrintCommand", c.command);
        ASSERT_EQ(Print_BeginDocument(), kStatusOk);
        ASSERT_EQ(Print_DrawPage(page_), kStatusOk);
        EXPECT_EQ(Print_EndDocument(), c.result);
        EXPECT_EQ(Print_TakeSpoolFailure(), c.failure);
        EXPECT_EQ(Print_TakeSpoolFailure(), "") << "taken once";
        EXPECT_EQ(FilesIn(dir_.path()).size(), c.filesLeft);
        for (const std::string& name : FilesIn(dir_.path())) {
            fs::remove(dir_.file(name));
        }
    }
}

TEST_F(PrintTest, FileNameWithBlanksAndQuotesReachesTheSpooler)
{
    std::string odd = dir_.file("it's a \"dir\" $HOME `x`");
    fs::create_directory(odd);
    ScopedEnv directory("VelkorPrintDirectory", odd);
    ScopedEnv spooler("VelkorPrintCommand", "sh -c 'cp \"$1\" \"$0\"' " + dir_.file("spooled.ps"));
    ASSERT_EQ(Print_BeginDocument(), kStatusOk);
    ASSERT_EQ(Print_DrawPage(page_), kStatusOk);
    ASSERT_EQ(Print_EndDocument(), 0u);
    std::vector<std::string> names = FilesIn(odd);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(tolq::test::read_file(dir_.file("spooled.ps")), tolq::test::read_file(odd + "/" + names[0]));
}

TEST_F(PrintTest, UnwritableDirectoryOpensNoOutput)
{
    ScopedEnv directory("VelkorPrintDirectory", dir_.file("missing"));
    EXPECT_NE(Print_BeginDocument(), kStatusOk);
    EXPECT_EQ(Print_IsActive(), 0u);
    EXPECT_EQ(Print_TakeSpoolFailure(),
              "The print file could not be made in " + dir_.file("missing") + ": No such file or directory.");
    SetPrint({{24, 10}});
    ScopedEnv directory2("VelkorPrintDirectory", dir_.path());
    EXPECT_EQ(Print_BeginDocument(), kStatusFailed) << "paper index above 9";
    EXPECT_EQ(Print_TakeSpoolFailure(), "The page setup names no known paper (10).");
    EXPECT_TRUE(FilesIn(dir_.path()).empty());
}

TEST_F(PrintTest, PaperTable)
{
    int32_t size[2] = {};
    EXPECT_EQ(Print_GetPaperPoints(1, size), kStatusOk);
    EXPECT_EQ(size[0], 597);
    EXPECT_EQ(size[1], 842);
    EXPECT_EQ(Print_GetOrientedPrintableSize(9, 1, size), kStatusOk);
    EXPECT_EQ(size[0], 3369 - 66);
    EXPECT_EQ(size[1], 2390 - 64);
    EXPECT_EQ(Print_GetPaperPoints(10, size), kStatusFailed);
    EXPECT_STREQ(Print_GetPaperName(10), "Unknown");
    SetPrint({{24, 6}, {32, 1}});
    EXPECT_EQ(Print_GetPaperSize(size), kStatusOk);
    EXPECT_EQ(size[0], 1195);
    EXPECT_EQ(size[1], 842);
}

class MasterTest : public PrintTest {};

std::vector<std::string> gDrawnTexts;
uintptr_t RecordText(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    uint32_t length = 200;
    char buffer[201] = {};
    if (Text_GetString(static_cast<ObjectHandle>(object), buffer, &length, 0) == kStatusOk) {
        gDrawnTexts.push_back(buffer);
    }
    return 1;
}

void PutText(ObjectHandle object, const std::string& text)
{
    ASSERT_EQ(Text_PutString(object, text.data(), static_cast<uint32_t>(text.size()), 0), kStatusOk);
}

std::string TextOf(ObjectHandle object)
{
    uint32_t length = 200;
    char buffer[201] = {};
    Text_GetString(object, buffer, &length, 0);
    return buffer;
}

TEST_F(MasterTest, FieldsAreFilledInForEachPrintedPage)
{
    ObjectHandle master = 0, second = 0;
    ASSERT_EQ(Core_AddPage(&master), kStatusOk);
    ASSERT_EQ(Core_AddPage(&second), kStatusOk);
    SetPage(page_, 3, "Main");
    SetPage(second, 4, "Other (2)");
    SetPage(master, kMasterPageNumber, "master");
    ObjectHandle header = Shape({Pt(-250), Pt(-400), Pt(250), Pt(-380)}, 1, 0, kBlack, 0, Pt(1), master);
    Shape({Pt(-260), Pt(-410), Pt(260), Pt(410)}, 1, 0, kBlack, 0, Pt(2), master);
    const std::string own = "Page <<P>> of <<N>>, <<X>> <<Q";
    PutText(header, own);
    ASSERT_EQ(Print_FindMasterPage(), master);
    Model_SetModified(0);
    gDrawnTexts.clear();
    Hook_Register(36, RecordText);

    std::string text = PrintPages({page_, master, second});
    EXPECT_NE(text.find("%%Pages: 2\n"), std::string::npos) << "the master page makes no sheet of its own";
    EXPECT_EQ(text.find("%%Page: (10000)"), std::string::npos);
    std::vector<std::string> expanded;
    for (const std::string& t : gDrawnTexts) {
        if (t.starts_with("Page ")) {
            expanded.push_back(t);
        }
    }
    EXPECT_EQ(expanded, (std::vector<std::string>{"Page 3 of Main, <<X>> <<Q", "Page 4 of Other (2), <<X>> <<Q"}));
    // Both pages carry the master page's frame.
    EXPECT_EQ(std::count(gDrawnTexts.begin(), gDrawnTexts.end(), std::string()), 0);
    size_t frames = 0;
    for (size_t at = text.find("2 setlinewidth"); at != std::string::npos; at = text.find("2 setlinewidth", at + 1)) {
        ++frames;
    }
    EXPECT_GE(frames, 2u);
    EXPECT_EQ(TextOf(header), own) << "the object's own text is kept";
    EXPECT_EQ(Model_IsModified(), 0u) << "printing does not change the diagram";
}

TEST_F(MasterTest, TimeDateAndEveryMarkerForm)
{
    SetPage(page_, 12, "Net");
    struct Case {
        const char* text;
        const char* expected;  // a regular expression
    };
    const Case cases[] = {
        {"<<Page Number>>|<<page number>>|<<P>>|<<p>>", "12\\|12\\|12\\|12"},
        {"<<Page Name>>|<<page name>>|<<N>>|<<n>>", "Net\\|Net\\|Net\\|Net"},
        {"<<Time>> <<t>>", "\\d\\d:\\d\\d:\\d\\d \\d\\d:\\d\\d:\\d\\d"},
        {"<<Date>> <<D>>", "[A-Z][a-z]{2}-\\d\\d-\\d{4} [A-Z][a-z]{2}-\\d\\d-\\d{4}"},
        {"<<X>> << P>> <<", "<<X>> << P>> <<"},
        {"a<<P>b>>c", "a<<P>b>>c"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string out = Master_ExpandFields(page_, 0, c.text);
        EXPECT_TRUE(std::regex_match(out, std::regex(c.expected))) << c.text << " -> " << out;
    }
    EXPECT_FALSE(Master_FieldText(page_, 0, 106).has_value());
}

}  // namespace
