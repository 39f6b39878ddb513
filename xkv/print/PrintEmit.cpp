// The PostScript emitters: the common stroke set-up (colour, width, dash,
// fill pattern), lines, polygons, boxes, rounded boxes, ellipses and wedges,
// connectors with rounded corners, texts, images and clipping.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <locale.h>
#include <wraster.h>
#include <vector>

#include "xkv/colour/Colour.h"
#include "xkv/image/Image.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"
#include "xkv/print/PrintInternal.h"
#include "xkv/types/DrawTables.h"

namespace {

// Switches the calling thread to the "C" locale while numbers are written.
class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t CLocale()
    {
        static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }
    locale_t previous_;
};

struct Rgb {
    double red = 0, green = 0, blue = 0;
};

Rgb ColourOf(int32_t index)
{
    ColorEntry entry{static_cast<int16_t>(index), 0, 0, 0};
    if (index < 0 || index >= kColorTableSize || Color_GetRGB(&entry, 0) == 0) {
        return {};
    }
    return {entry.red / 255.0, entry.green / 255.0, entry.blue / 255.0};
}

void EmitColour(int32_t index)
{
    if (Print_Output().colour) {
        Rgb c = ColourOf(index);
        Print_Write("%.10f %.10f %.10f setrgbcolor\n", c.red, c.green, c.blue);
    }
}

struct Stroke {
    Fixed width;
    uint32_t dash;
    int32_t lineColour;
    uint32_t fillColour;
    uint32_t pattern = 0;
    bool close = false;
};

void EmitDash(uint32_t dash)
{
    const DashPattern* pattern = LinePat_Get(static_cast<int32_t>(dash));
    if (pattern == nullptr) {
        Print_Write("[] 0 setdash \n");
        return;
    }
    Print_Write("[");
    for (uint32_t i = 0; i < pattern->count; ++i) {
        Print_Write("%d ", pattern->dashes[i]);
    }
    Print_Write("] ");
    Print_Write("%d setdash \n", static_cast<int>(pattern->offset));
}

// The ending every path shares: colour, width, dash, closing, fill, stroke.
void FinishPath(const Stroke& s)
{
    PrintOutput& out = Print_Output();
    EmitColour(s.lineColour);
    int32_t width = static_cast<int32_t>(Print_Points(static_cast<Fixed>(std::abs(int64_t{s.width}))));
    if (out.lastWidth != width) {
        Print_Write("%d setlinewidth \n", width);
        out.lastWidth = width;
    }
    if (out.lastDash != s.dash) {
        EmitDash(s.dash);
        out.lastDash = s.dash;
    }
    if (s.close) {
        Print_Write("closepath \n");
    }
    if (s.pattern != 0) {
        Print_Write("gsave\n");
        unsigned long number = s.pattern;
        if (out.colour) {
            Rgb c = ColourOf(static_cast<int32_t>(s.fillColour));
            Print_Write("%.10f %.10f %.10f pat%02lu setpattern\n", c.red, c.green, c.blue, number);
        } else {
            Print_Write("%d %d %d pat%02lu setpattern\n", 0, 0, 0, number);
        }
        Print_Write("eofill grestore \n");
    }
    if (s.dash != kDashNone) {
        Print_Write("stroke \n");
    }
}

bool Active()
{
    return Print_Output().stream != nullptr;
}

void MoveTo(long x, long y)
{
    Print_Write("%ld %ld moveto \n", x, y);
}

void LineTo(long x, long y)
{
    Print_Write("%ld %ld lineto \n", x, y);
}

std::vector<FixPoint> PointsOf(PtArray array)
{
    std::vector<FixPoint> points(PtArray_Count(array));
    for (uint16_t i = 0; i < points.size(); ++i) {
        PtArray_GetPoint(array, i, &points[i]);
    }
    return points;
}

// The path through the points; false when there are none.
bool PointPath(PtArray array)
{
    std::vector<FixPoint> points = PointsOf(array);
    if (points.empty()) {
        return false;
    }
    Print_Write("newpath \n");
    MoveTo(Print_Points(points[0].x), -Print_Points(points[0].y));
    for (size_t i = 1; i < points.size(); ++i) {
        LineTo(Print_Points(points[i].x), -Print_Points(points[i].y));
    }
    return true;
}

void RectPath(FixRect box)
{
    long left = Print_Points(box.left), top = Print_Points(box.top);
    long width = Print_Points(box.right) - left, height = Print_Points(box.bottom) - top;
    Print_Write("newpath \n");
    MoveTo(left, -top);
    Print_Write("%ld %ld rlineto \n", width, 0L);
    Print_Write("%ld %ld rlineto \n", 0L, -height);
    Print_Write("%ld %ld rlineto \n", -width, 0L);
    Print_Write("%ld %ld rlineto \n", 0L, height);
}

void ArcTo(long x1, long y1, long x2, long y2, long radius)
{
    Print_Write("%ld %ld %ld %ld %ld arcto 4 {pop} repeat \n", x1, y1, x2, y2, radius);
}

double Length(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

uint32_t Print_Line(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, FixPoint from, FixPoint to)
{
    if (!Active()) {
        return 1;
    }
    Print_Write("newpath \n");
    MoveTo(Print_Points(from.x), -Print_Points(from.y));
    LineTo(Print_Points(to.x), -Print_Points(to.y));
    FinishPath({width, dash, lineColour, fillColour});
    return 1;
}

uint32_t Print_Polyline(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, PtArray points)
{
    if (Active() && PointPath(points)) {
        FinishPath({width, dash, lineColour, fillColour});
    }
    return 1;
}

uint32_t Print_Polygon(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                       PtArray points)
{
    if (Active() && PointPath(points)) {
        FinishPath({width, dash, lineColour, fillColour, pattern, true});
    }
    return 1;
}

uint32_t Print_Rect(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern, FixRect box)
{
    if (Active()) {
        RectPath(box);
        FinishPath({width, dash, lineColour, fillColour, pattern, true});
    }
    return 1;
}

uint32_t Print_RoundRect(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                         FixRect box, Fixed corner)
{
    if (!Active()) {
        return 1;
    }
    long left = Print_Points(box.left), top = -Print_Points(box.top);
    long right = Print_Points(box.right), bottom = -Print_Points(box.bottom);
    long smaller = std::min(std::labs(right - left), std::labs(top - bottom));
    long radius = std::min(Print_Points(corner), smaller) / 2;
    if (radius > 1) {
        Print_Write("newpath \n");
        MoveTo(left + radius, top);
        ArcTo(right, top, right, bottom, radius);
        ArcTo(right, bottom, left, bottom, radius);
        ArcTo(left, bottom, left, top, radius);
        ArcTo(left, top, right, top, radius);
    } else {
        RectPath(box);
    }
    FinishPath({width, dash, lineColour, fillColour, pattern, true});
    return 1;
}

uint32_t Print_Oval(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                    FixRect box, int32_t first, int32_t second)
{
    if (!Active()) {
        return 1;
    }
    long left = Print_Points(box.left), right = Print_Points(box.right);
    long top = Print_Points(box.top), bottom = Print_Points(box.bottom);
    long cx = (left + right) / 2, cy = -((top + bottom) / 2);
    long rx = std::labs(right - left) / 2, ry = std::labs(bottom - top) / 2;
    if (rx == 0 || ry == 0) {
        return 1;  // a flat ellipse would make the ellipse procedure's matrix singular
    }
    bool circle = std::fabs(static_cast<double>(rx) / static_cast<double>(ry) - 1.0) <= 0.01;
    auto arc = [&] {
        if (circle) {
            Print_Write("%ld %ld %ld %d %d arc \n", cx, cy, rx, first, second);
        } else {
            Print_Write("%ld %ld %ld %ld %d %d ellipse \n", cx, cy, rx, ry, first, second);
        }
    };
    bool wedge = !(first == 0 && second == 360);
    if (!wedge) {
        Print_Write("newpath \n");
        arc();
        FinishPath({width, dash, lineColour, fillColour, pattern, true});
        return 1;
    }
    if (pattern != 0) {
        Print_Write("newpath \n");
        MoveTo(cx, cy);
        arc();
        FinishPath({width, kDashNone, lineColour, fillColour, pattern, true});
    }
    Print_Write("newpath \n");
    arc();
    FinishPath({width, dash, lineColour, fillColour});
    return 1;
}

KernelStatus Print_ArcConnector(ObjectHandle connector, Fixed width, uint32_t dash)
{
    PtArray path = 0;
    Fixed corner = 0;
    Model_GetField(connector, Field::kPath, &path);
    Model_GetField(connector, Field::kCornerRadius, &corner);
    std::vector<FixPoint> fixed = PointsOf(path);
    if (!Active() || corner < 1 || fixed.size() < 3) {
        return kStatusFailed;
    }
    uint32_t colours = Model_GetFieldValue(connector, Field::kColours);
    Stroke line{width, dash, static_cast<int32_t>(colours >> 24), (colours >> 16) & 0xff};
    struct P {
        double x, y;
    };
    std::vector<P> points;
    for (const FixPoint& p : fixed) {
        points.push_back({p.x / 32768.0, -p.y / 32768.0});
    }
    auto rounded = [](double v) { return std::lround(v); };
    auto straight = [&](P a, P b) {
        Print_Write("newpath \n");
        MoveTo(rounded(a.x), rounded(a.y));
        LineTo(rounded(b.x), rounded(b.y));
        FinishPath(line);
    };
    double radius = corner / 32768.0;
    P from = points.front();
    for (size_t i = 1; i + 1 < points.size(); ++i) {
        P before = points[i - 1], at = points[i], after = points[i + 1];
        double in = Length(at.x - before.x, at.y - before.y);
        double out = Length(after.x - at.x, after.y - at.y);
        if (in == 0 || out == 0) {
            straight(from, at);
            from = at;
            continue;
        }
        double cut = std::min({in / 2, out / 2, radius});
        P start{at.x - (at.x - before.x) * cut / in, at.y - (at.y - before.y) * cut / in};
        P end{at.x + (after.x - at.x) * cut / out, at.y + (after.y - at.y) * cut / out};
        straight(from, start);
        Print_Write("newpath %ld %ld moveto \n", rounded(start.x), rounded(start.y));
        Print_Write("%ld %ld %ld %ld %f arcto 4 {pop} repeat \n", rounded(at.x), rounded(at.y), rounded(end.x),
                    rounded(end.y), cut);
        LineTo(rounded(end.x), rounded(end.y));
        FinishPath(line);
        from = end;
    }
    straight(from, points.back());
    return kStatusOk;
}

void Print_EmitFont()
{
    const FontSpec& font = Print_Output().font;
    bool bold = (font.style & 2) != 0, italic = (font.style & 4) != 0;
    std::string name = font.family == 3 ? "Helvetica" : font.family == 5 ? "Times" : "Courier";
    if (font.family == 5 && !bold && !italic) {
        name += "-Roman";
    }
    if (bold || italic) {
        name += "-";
        if (bold) {
            name += "Bold";
        }
        if (italic) {
            name += font.family == 5 ? "Italic" : "Oblique";
        }
    }
    Print_Write("/%s findfont \n", name.c_str());
    Print_Write("%d scalefont setfont \n", font.size);
}

uint32_t Print_Text(const FontSpec& font, FixPoint at, int32_t colour, std::string_view characters)
{
    if (!Active()) {
        return 1;
    }
    Print_Write("gsave\n");
    EmitColour(colour);
    Print_Output().font = font;
    Print_EmitFont();
    Print_Write("%ld %ld moveto \n", Print_Points(at.x), static_cast<long>((0x4000 - int64_t{at.y}) >> 15));
    std::string escaped = "(";
    for (char c : characters) {
        if (c == '(' || c == ')' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    Print_Write("%s) show \n", escaped.c_str());
    Print_Write("grestore\n");
    return 1;
}

uint32_t Print_Image(RImage* image, FixRect box)
{
    if (!Active() || image == nullptr) {
        return 1;
    }
    int32_t imageWidth = image->width, imageHeight = image->height;
    if (imageWidth <= 0 || imageHeight <= 0) {
        return 1;
    }
    PrintOutput& out = Print_Output();
    Print_Write("gsave\n");
    Print_Write("%ld %ld translate\n", Print_Points(box.left), -Print_Points(box.top));
    Print_Write("%f %f scale\n", (int64_t{box.right} - box.left) / 32768.0 / imageWidth,
                (int64_t{box.top} - box.bottom) / 32768.0 / imageHeight);
    fflush(out.stream);
    Image_WritePostScriptBody(image, out.stream);
    if (std::ferror(out.stream)) {
        out.writeFailed = true;
    }
    Print_Write("grestore\n");
    return 1;
}

void Print_Clip(const FixRect* box)
{
    if (!Active()) {
        return;
    }
    if (box != nullptr) {
        RectPath(*box);
        Print_Write("gsave clip \n");
    } else {
        Print_Write("grestore \n");
    }
}

// ---- Writing ----

PrintOutput& Print_Output()
{
    static PrintOutput output;
    return output;
}

void Print_Write(const char* format, ...)
{
    PrintOutput& out = Print_Output();
    if (out.stream == nullptr) {
        return;
    }
    CLocaleScope c;
    va_list arguments;
    va_start(arguments, format);
    if (std::vfprintf(out.stream, format, arguments) < 0) {
        out.writeFailed = true;
    }
    va_end(arguments);
}
