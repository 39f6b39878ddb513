// The PostScript document: prologue with the fill patterns and the ellipse
// procedure, the EPS bounding box, pages laid out one to a sheet, fitted to
// the sheet or tiled, the trailer, and handing a printed document to the
// spooler command.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <numbers>
#include <string>
#include <utility>

#include "xkv/comm/Comm.h"
#include "xkv/dialog/DialogFill.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"
#include "xkv/print/PrintInternal.h"
#include "xkv/types/DrawTables.h"
#include "xkv/types/Geometry.h"
#include "xkv/window/Window.h"

namespace {


constexpr const char* kEllipseProcedure[] = {
    "/ellipsedict 8 dict def \n",
    "ellipsedict /mtrx matrix put \n",
    "/ellipse { ellipsedict begin \n",
    "/endangle exch def \n",
    "/startangle exch def \n",
    "/yrad exch def \n",
    "/xrad exch def \n",
    "/y exch def \n",
    "/x exch def \n",
    "/savematrix mtrx currentmatrix def \n",
    "x y translate \n",
    "xrad yrad scale \n",
    "0 0 1 startangle endangle arc \n",
    "savematrix setmatrix end } def \n",
};

constexpr uint32_t kLayoutSingle = 0;
constexpr uint32_t kLayoutFit = 1;
constexpr uint32_t kLayoutTiles = 2;
constexpr uint32_t kLayoutOverlappingTiles = 3;
constexpr uint32_t kAllButPages = 3071;
constexpr uint32_t kAllObjects = 4095;

// A scale word of the settings in percent: 0 (and anything below 1, which a
// file or a typing slip may hold) means 100; at most 10000, so that a tiled
// page never asks for more sheets than can be written.
uint32_t ScalePercent(uint32_t word)
{
    const auto percent = static_cast<int32_t>(word);
    return percent <= 0 ? 100 : static_cast<uint32_t>(std::min(percent, 10000));
}

std::string EnvOr(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string CreationDate()
{
    std::time_t now = std::time(nullptr);
    char buffer[64] = {};
    if (now == static_cast<std::time_t>(-1) || ctime_r(&now, buffer) == nullptr) {
        return "";
    }
    std::string text = buffer;
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// A new file for the spooler in the print directory; false when none can be made.
bool OpenSpoolFile(PrintOutput& out)
{
    std::string directory = EnvOr("VelkorPrintDirectory", "./");
    if (!directory.empty() && directory.back() != '/') {
        directory += '/';
    }
    std::string name = directory + "Plexmor.PSXXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    out.stream = fdopen(fd, "w");
    if (out.stream == nullptr) {
        close(fd);
        unlink(name.c_str());
        return false;
    }
    out.fileName = name;
    return true;
}

void WritePatterns()
{
    for (int32_t n = 1; n <= kFillPatternCount; ++n) {
        Print_Write("<<\n");
        Print_Write("  /PaintType 2\n");
        Print_Write("    /PatternType 1\n");
        Print_Write("    /TilingType 1\n");
        Print_Write("    /BBox [0 0 8 8]\n");
        Print_Write("    /XStep 8\n");
        Print_Write("    /YStep 8\n");
        Print_Write("    /PaintProc {\n");
        Print_Write("         pop\n");
        Print_Write("         8 8\n");
        Print_Write("         true\n");
        Print_Write("         [1 0 0 1 0 0]\n");
        Print_Write("         {<");
        for (uint8_t row : Dialog_FillPatternBits(n)) {
            Print_Write("%2.2x", row);
        }
        Print_Write(">}\n");
        Print_Write("         imagemask\n");
        Print_Write("    }\n");
        Print_Write(">>\n");
        Print_Write("matrix\n");
        Print_Write("makepattern\n");
        Print_Write("/pat%02lu exch def\n\n", static_cast<unsigned long>(n));
    }
}

// A page's extent in points, unrounded: left, top, right, bottom. The
// stroked extent holds half of every line's width.
struct PointBox {
    double left, top, right, bottom;
};

PointBox ExactExtent(ObjectHandle page, bool withFrame)
{
    FixRect rect{};
    if (Model_GetStrokedExtent(withFrame ? 1 : 0, page, &rect) != kStatusOk &&
        Model_GetStrokedExtent(1, page, &rect) != kStatusOk) {
        rect = {};
    }
    constexpr double kPoint = 0x8000;
    return {rect.left / kPoint, rect.top / kPoint, rect.right / kPoint, rect.bottom / kPoint};
}

// The emitters round every coordinate to the nearest point and every line
// width to whole points, which can take a stroke up to this far past the
// unrounded extent.
constexpr double kRoundingSlack = 1.0;

void WriteBoundingBox(const PropertyRecord& eps, const int32_t paper[2])
{
    PrintOutput& out = Print_Output();
    PointBox box = ExactExtent(out.exportPage, eps.Word(kEpsNoFrame) == 0);
    if (eps.Word(kEpsNoMaster) == 0 && out.master != 0) {
        const PointBox master = ExactExtent(out.master, true);
        box = {std::min(box.left, master.left), std::min(box.top, master.top), std::max(box.right, master.right),
               std::max(box.bottom, master.bottom)};
    }
    box = {box.left - kRoundingSlack, box.top - kRoundingSlack, box.right + kRoundingSlack,
           box.bottom + kRoundingSlack};
    double angle = static_cast<int32_t>(eps.Word(kEpsRotation)) * std::numbers::pi / 180.0;
    double scale = ScalePercent(eps.Word(kEpsScale)) / 100.0;
    // The origin where the prologue puts it: whole points, the printable
    // area's halves rounded down.
    const double tx = (paper[0] - 64) / 2 + 32, ty = (paper[1] - 66) / 2 + 33;
    double low[2] = {INFINITY, INFINITY}, high[2] = {-INFINITY, -INFINITY};
    for (double x : {box.left, box.right}) {
        for (double y : {-box.top, -box.bottom}) {
            double px = (x * std::cos(angle) - y * std::sin(angle)) * scale + tx;
            double py = (x * std::sin(angle) + y * std::cos(angle)) * scale + ty;
            low[0] = std::min(low[0], px);
            low[1] = std::min(low[1], py);
            high[0] = std::max(high[0], px);
            high[1] = std::max(high[1], py);
        }
    }
    Print_Write("%%%%BoundingBox: %d %d %d %d\n", static_cast<int>(std::floor(low[0])),
                static_cast<int>(std::floor(low[1])), static_cast<int>(std::ceil(high[0])),
                static_cast<int>(std::ceil(high[1])));
}

void WriteScale(uint32_t percent)
{
    if (percent != 0 && percent != 100) {
        Print_Write("%f %f scale \n", percent / 100.0, percent / 100.0);
    }
}

void WritePrologue(const PropertyRecord& eps, const PropertyRecord& print, uint32_t paperIndex)
{
    PrintOutput& out = Print_Output();
    int32_t paper[2] = {};
    Print_GetPaperPoints(paperIndex, paper);
    const char* title = Comm_GetFileNameText(1);
    Print_Write("%%!PS-Adobe-3.0%s", out.eps ? " EPSF-3.0\n" : "\n");
    if (out.eps) {
        WriteBoundingBox(eps, paper);
    }
    Print_Write("%%%%Title: (%s)\n", title != nullptr && *title != '\0' ? title : "New Diagram");
    Print_Write("%%%%Creator: (%s)\n", "Velkor/TOLQ v4.0.4");
    Print_Write("%%%%CreationDate: (%s)\n", CreationDate().c_str());
    Print_Write("%%%%For: (%s)\n", EnvOr("USER", "UNKNOWN").c_str());
    Print_Write("%%%%LanguageLevel: 2\n");
    if (!out.eps) {
        Print_Write("%%%%Pages: (atend)\n");
    }
    Print_Write("%%%%EndComments\n");
    if (!out.eps) {
        Print_Write("%%%%IncludeFeature: *PageSize %s\n", Print_GetPaperName(paperIndex));
    }
    WritePatterns();
    for (const char* line : kEllipseProcedure) {
        Print_Write("%s", line);
    }
    if (!out.colour) {
        // Fill patterns are set with three colour components in either mode.
        Print_Write("/DeviceRGB setcolorspace \n");
    }
    Print_EmitFont();
    int32_t printable[2] = {paper[0] - 64, paper[1] - 66};
    if (!out.eps) {
        Print_Write("newpath \n");
        Print_Write("%ld %ld moveto \n", 31L, 32L);
        Print_Write("%ld %ld rlineto \n", static_cast<long>(printable[0]) + 2, 0L);
        Print_Write("%ld %ld rlineto \n", 0L, static_cast<long>(printable[1]) + 2);
        Print_Write("%ld %ld rlineto \n", -static_cast<long>(printable[0]) - 2, 0L);
        Print_Write("closepath \n");
        Print_Write("clip \n");
    }
    Print_Write("%ld %ld translate \n", 32L, 33L);
    Print_Write("0 setlinewidth \n");
    Print_Write("%ld %ld translate \n", static_cast<long>(printable[0] / 2), static_cast<long>(printable[1] / 2));
    if (out.eps) {
        int32_t rotation = static_cast<int32_t>(eps.Word(kEpsRotation));
        if (rotation != 0) {
            Print_Write("%d rotate \n", rotation);
        }
        WriteScale(ScalePercent(eps.Word(kEpsScale)));
    } else {
        if (print.Word(kPrintLandscape) == 1) {
            Print_Write("90 rotate \n");
        }
        WriteScale(ScalePercent(print.Word(kPrintScale)));
    }
}

struct PageDraw {
    ObjectHandle page;
    bool withFrame;
    bool withMaster;
};

KernelStatus PaintObject(ObjectHandle object, void*)
{
    // One object that cannot be drawn does not end the page.
    return Window_PaintObject(object, nullptr) == kStatusSkipSubtree ? kStatusSkipSubtree : kStatusOk;
}

KernelStatus PaintMasterObject(ObjectHandle object, void* page)
{
    Master_DrawObject(object, static_cast<ObjectHandle>(reinterpret_cast<uintptr_t>(page)));
    return kStatusOk;
}

void DrawPageAt(const PageDraw& draw, double dx, double dy, double percent)
{
    PrintOutput& out = Print_Output();
    ++out.pages;
    uint32_t number = Model_GetFieldValue(draw.page, Field::kPageNumber);
    if (number == kHierarchyPageNumber) {
        Print_Write("%%%%Page: (Hierarchy) %d\n", out.pages);
    } else {
        Print_Write("%%%%Page: (%d) %d\n", static_cast<int>(number), out.pages);
    }
    Print_Write("gsave \n");
    if (dx != 0 || dy != 0) {
        Print_Write("%f %f translate \n", dx * percent / 100, dy * percent / 100);
    }
    if (percent != 100 && percent != 0) {
        Print_Write("%f %f scale \n", percent / 100, percent / 100);
    }
    Print_EmitFont();
    Model_WalkTree(1, draw.page, draw.withFrame ? kAllObjects : kAllButPages, PaintObject, nullptr);
    if (draw.withMaster && out.master != 0) {
        ObjectHandle first = Model_GetFirstChild(out.master);
        if (first != 0) {
            Model_WalkPreOrder(first, kAllButPages, PaintMasterObject,
                               reinterpret_cast<void*>(static_cast<uintptr_t>(draw.page)));
        }
    }
    Print_Write("gsave showpage grestore grestore \n");
}

void DrawFitted(const PageDraw& draw, const int32_t printable[2], const int32_t extent[4], uint32_t scale)
{
    double sw = double(scale) * extent[2] / 100, sh = double(scale) * extent[3] / 100;
    double cx = extent[2] / 2.0 + extent[0], cy = extent[3] / 2.0 + extent[1];
    double fx = sw > printable[0] ? 100.0 * printable[0] / sw : 100;
    double fy = sh > printable[1] ? 100.0 * printable[1] / sh : 100;
    DrawPageAt(draw, -cx, cy, std::min(fx, fy));
}

void DrawTiled(const PageDraw& draw, const int32_t printable[2], const int32_t extent[4], uint32_t scale,
               uint32_t layout)
{
    const int32_t pw = printable[0], ph = printable[1];
    double sw = double(scale) * extent[2] / 100, sh = double(scale) * extent[3] / 100;
    int32_t columns = static_cast<int32_t>((sw - 1) / pw), rows = static_cast<int32_t>((sh - 1) / ph);
    // Sheet sizes are paper points; the page is drawn in units already
    // scaled by the print scale, so sheet distances are divided by it.
    double unit = 100.0 / scale;
    double tx = -(pw / 2.0 * unit + extent[0]), ty = ph / 2.0 * unit + extent[1];
    if (columns == 0 && -pw / 2.0 < double(extent[0]) * scale / 100) {
        tx = 0;
    }
    if (rows == 0 && -ph / 2.0 < double(extent[1]) * scale / 100) {
        ty = 0;
    }
    Print_Write("gsave %ld %ld translate \n", std::lround(tx), std::lround(ty));
    int32_t overlap = layout == kLayoutOverlappingTiles ? 12 : 0;
    for (int32_t r = 0; r <= rows; ++r) {
        for (int32_t c = 0; c <= columns; ++c) {
            DrawPageAt(draw, (overlap - (pw + 2)) * c * unit, (ph - (overlap - 2)) * r * unit, 100);
        }
    }
    Print_Write(" grestore \n");
}

void ClearOutput()
{
    Print_Output() = PrintOutput{};
}

std::string& SpoolFailure()
{
    static std::string text;
    return text;
}

// True when the spooler ran and ended with status 0; otherwise the reason,
// naming the command, is kept for Print_TakeSpoolFailure.
bool SpoolerSucceeded(const std::string& spooler, int result)
{
    char reason[64] = {};
    if (result == -1) {
        std::snprintf(reason, sizeof reason, "could not be started");
    } else if (WIFSIGNALED(result)) {
        std::snprintf(reason, sizeof reason, "was ended by signal %d", WTERMSIG(result));
    } else if (WIFEXITED(result) && WEXITSTATUS(result) != 0) {
        std::snprintf(reason, sizeof reason, "failed with exit status %d", WEXITSTATUS(result));
    } else {
        return true;
    }
    SpoolFailure() = "The print command \"" + spooler + "\" " + reason + ".";
    return false;
}

}  // namespace

void Print_PageExtent(ObjectHandle page, bool withFrame, int32_t out[4])
{
    FixRect rect{};
    if (Model_GetStrokedExtent(withFrame ? 1 : 0, page, &rect) != kStatusOk &&
        Model_GetStrokedExtent(1, page, &rect) != kStatusOk) {
        rect = {};
    }
    Geom_RectToX(rect, &out[0], &out[1], &out[2], &out[3]);
}

uint32_t Print_IsActive()
{
    return Print_Output().stream != nullptr ? 1 : 0;
}

KernelStatus Print_BeginDocument()
{
    PrintOutput& out = Print_Output();
    if (out.stream != nullptr && !out.eps) {
        return kStatusFailed;  // one document at a time
    }
    SpoolFailure().clear();
    PropertyRecord eps, print;
    Print_ReadProperty(kPropEps, &eps);
    KernelStatus status = Print_ReadProperty(kPropPrint, &print);
    if (status != kStatusOk) {
        return status;
    }
    uint32_t paperIndex = print.Word(kPrintPaper);
    if (paperIndex >= kPaperCount) {
        SpoolFailure() = "The page setup names no known paper (" + std::to_string(paperIndex) + ").";
        return kStatusFailed;
    }
    out.colour = (out.eps ? eps.Word(kEpsBlackWhite) : print.Word(kPrintBlackWhite)) == 0;
    out.master = Print_FindMasterPage();
    if (!out.eps && !OpenSpoolFile(out)) {
        SpoolFailure() = "The print file could not be made in " + EnvOr("VelkorPrintDirectory", "./") + ": " +
                         std::strerror(errno) + ".";
        return kStatusFailed;
    }
    out.lastWidth.reset();
    out.lastDash.reset();
    out.font = FontSpec{3, 12, 0};
    out.pages = 0;
    out.writeFailed = false;
    WritePrologue(eps, print, paperIndex);
    return kStatusOk;
}

KernelStatus Print_DrawPage(ObjectHandle page)
{
    PrintOutput& out = Print_Output();
    if (out.stream == nullptr) {
        return kStatusFailed;
    }
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    if (page == out.master) {
        return kStatusOk;
    }
    PropertyRecord print, eps;
    KernelStatus status = Print_ReadProperty(kPropPrint, &print);
    if (status != kStatusOk) {
        return status;
    }
    uint32_t layout = print.Word(kPrintLayout);
    bool withFrame = print.Word(kPrintNoFrame) == 0;
    bool withMaster = true;
    if (out.eps) {
        Print_ReadProperty(kPropEps, &eps);
        layout = kLayoutSingle;
        withFrame = eps.Word(kEpsNoFrame) == 0;
        withMaster = eps.Word(kEpsNoMaster) == 0;
    }
    const uint32_t scale = ScalePercent(print.Word(kPrintScale));
    PageDraw draw{page, withFrame, withMaster};
    if (layout < kLayoutFit || layout > kLayoutOverlappingTiles) {
        DrawPageAt(draw, 0, 0, 100);
        return kStatusOk;
    }
    int32_t printable[2] = {};
    status = Print_GetOrientedPrintableSize(print.Word(kPrintPaper), print.Word(kPrintLandscape), printable);
    if (status != kStatusOk) {
        return status;
    }
    int32_t extent[4] = {};
    Print_PageExtent(page, withFrame, extent);
    if (layout == kLayoutFit) {
        DrawFitted(draw, printable, extent, scale);
    } else {
        DrawTiled(draw, printable, extent, scale, layout);
    }
    return kStatusOk;
}

// Flushes and closes the stream; false when anything written was lost.
static bool CloseStream(PrintOutput& out)
{
    bool ok = !out.writeFailed;
    if (std::fflush(out.stream) != 0 || std::ferror(out.stream)) {
        ok = false;
    }
    if (std::fclose(out.stream) != 0) {
        ok = false;
    }
    out.stream = nullptr;
    return ok;
}

std::string Print_TakeSpoolFailure()
{
    return std::exchange(SpoolFailure(), std::string());
}

uint32_t Print_EndDocument()
{
    SpoolFailure().clear();
    PrintOutput& out = Print_Output();
    if (out.stream == nullptr) {
        return 0;
    }
    Print_Write("%%%%Trailer\n");
    Print_Write("%%%%Pages: %d\n", out.pages);
    Print_Write("%%%%EOF\n");
    bool written = CloseStream(out);
    std::string file = out.fileName;
    bool eps = out.eps;
    ClearOutput();
    if (eps) {
        return written ? 0 : 1;
    }
    if (!written) {
        SpoolFailure() = "The print file " + file + " could not be written.";
        unlink(file.c_str());
        return 1;
    }
    const std::string spooler = EnvOr("VelkorPrintCommand", "lpr -r");
    const int result = std::system((spooler + " " + ShellQuoted(file)).c_str());
    if (SpoolerSucceeded(spooler, result)) {
        return 0;  // the file is the spooler's now
    }
    // The document was not printed: nothing of it stays behind.
    unlink(file.c_str());
    return 1;
}

void Print_CloseOutput()
{
    PrintOutput& out = Print_Output();
    if (out.stream != nullptr) {
        CloseStream(out);
        if (!out.eps && !out.fileName.empty()) {
            unlink(out.fileName.c_str());  // an unfinished document is never spooled
        }
    }
    ClearOutput();
}
