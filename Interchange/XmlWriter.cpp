// The XML writer: reads pages, nodes, connectors and regions through the
// kernel's QX functions and the net layer's record accessors and writes them
// in the XML form, line by line; pictures go into a directory beside the file.
#include "Interchange/XmlWriter.h"

#include "Interchange/XmlFormat.h"
#include "Interchange/XmlLog.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/image/Image.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Picture.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kVerbosity = 2;
constexpr int kModeNode = 0, kModeRegion = 1, kModeConnector = 2, kModePage = 3;
constexpr uint16_t kNetPlace = 2, kNetTrans = 3, kNetArc = 4, kNetDecl = 11;
// A segmented connector has at most this many points, its ends included.
constexpr uint16_t kMaxConnPoints = 61;

std::string& pictureDirectory() {
    static std::string path;
    return path;
}
std::string& pictureBase() {
    static std::string path;
    return path;
}

// A QX list of handles, freed when it goes.
struct HandleList {
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    ~HandleList() {
        if (array) QXMem_Free(array);
    }
    std::span<const ObjectHandle> span() const { return {array, array ? count : 0u}; }
};

std::string mm(Fixed v) { return XmlFormatMm(XmlFixedToMm(v)); }

std::string lastComponent(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name beside the path that no file has yet, made by mkstemp; the open
// descriptor, or -1.
int uniqueBeside(const std::string& path, std::string* name) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = mkstemp(buffer.data());
    if (fd >= 0) *name = buffer.data();
    return fd;
}

bool writeAll(int fd, const std::string& text) {
    std::FILE* f = fdopen(fd, "w");
    if (!f) {
        close(fd);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (fsync(fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

// Writes a whole buffer to a file under a temporary name, then swaps it in.
// The file it replaces becomes the "~" backup only once the new file has
// taken the name, so a failure leaves the old file and its backup as they
// were.
bool commitFile(const std::string& path, const std::string& text) {
    std::string temp;
    int fd = uniqueBeside(path, &temp);
    if (fd < 0) return false;
    if (!writeAll(fd, text)) {
        unlink(temp.c_str());
        return false;
    }
    chmod(temp.c_str(), 0644);
    // The old file keeps a second name until the new one is in place.
    std::string keep;
    struct stat st {};
    bool existed = lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (existed) {
        int kfd = uniqueBeside(path + "~", &keep);
        if (kfd >= 0) {
            close(kfd);
            unlink(keep.c_str());
            if (link(path.c_str(), keep.c_str()) != 0) keep.clear();
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        if (!keep.empty()) unlink(keep.c_str());
        return false;
    }
    if (existed && (keep.empty() || std::rename(keep.c_str(), (path + "~").c_str()) != 0)) {
        if (!keep.empty()) unlink(keep.c_str());
        XmlShowMessage("Couldn't make backup file!");
    }
    return true;
}

class Writer {
public:
    Writer(std::string path, std::span<const ObjectHandle> pages) : path_(std::move(path)), pages_(pages.begin(), pages.end()) {
        std::sort(pages_.begin(), pages_.end());
    }

    bool header();
    void diagram();
    std::string& text() { return out_; }

private:
    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void indent(int n) { out_.append(static_cast<size_t>(n), ' '); }
    bool written(ObjectHandle page) const { return std::binary_search(pages_.begin(), pages_.end(), page); }

    template <class F>
    void list(F writer, std::span<const ObjectHandle> handles, int ind, const char* comment) {
        int position = 0;
        for (ObjectHandle h : handles) {
            out_ += "\n";
            if (kVerbosity > 1) printf(comment, std::string(static_cast<size_t>(ind), ' ').c_str(), ++position);
            (this->*writer)(h, ind);
        }
    }
    void page(ObjectHandle page, int);
    void modeAttr(ObjectHandle object, int ind, bool withMult);
    void node(ObjectHandle node, int ind);
    void connector(ObjectHandle connector, int ind);
    void region(ObjectHandle region, int ind);
    void flags(ObjectHandle object, int ind);
    void graphics(ObjectHandle object, int ind, int mode);
    void shape(ObjectHandle object, int ind);
    void points(const char* tag, ObjectHandle object, int ind, std::span<const FixPoint> points, const char* extra);
    void picture(ObjectHandle object, int ind, Fixed width, Fixed height);
    void layering(ObjectHandle object, int ind);
    void textBlock(ObjectHandle object, int ind);
    void subst(ObjectHandle transition, int ind);
    bool endWritten(ObjectHandle end);
    std::string netTag(ObjectHandle node);

    std::string path_;
    std::vector<ObjectHandle> pages_;
    std::string out_;
};

void Writer::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n > 0) {
        size_t old = out_.size();
        out_.resize(old + static_cast<size_t>(n) + 1);
        std::vsnprintf(out_.data() + old, static_cast<size_t>(n) + 1, format, args);
        out_.resize(old + static_cast<size_t>(n));
    }
    va_end(args);
}

int removeEntry(const char* path, bool isDirectory) { return isDirectory ? rmdir(path) : unlink(path); }

bool Writer::header() {
    out_ += "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
    out_ += "<tolqet>\n";
    printf("<generator tool=\"Velkor/TOLQ\" version=\"%s.%s\"/>\n", "4", "0.4");
    printf("<!-- File %s -->\n", path_.c_str());
    printf("<!-- Verbose_Level = %d -->\n", kVerbosity);
    pictureDirectory() = path_ + "_image";
    struct stat st {};
    if (lstat(pictureDirectory().c_str(), &st) != 0) return true;
    std::string backup = pictureDirectory() + "~";
    struct stat bst {};
    if (lstat(backup.c_str(), &bst) == 0 && !S_ISDIR(bst.st_mode)) {
        if (unlink(backup.c_str()) != 0) {
            XmlShowMessage("Couldn't delete create picture backup dir!");
            return false;
        }
        return true;
    }
    if (lstat(backup.c_str(), &bst) == 0 && INT_RemoveTree(backup, removeEntry) != 0) {
        XmlShowMessage("Couldn't delete create picture backup dir!");
        return false;
    }
    if (std::rename(pictureDirectory().c_str(), backup.c_str()) != 0) {
        XmlShowMessage("Couldn't delete create picture backup dir!");
        return false;
    }
    return true;
}

void Writer::diagram() {
    printf("<!-- %d page(s) were found -->\n", static_cast<int>(pages_.size()));
    list(&Writer::page, pages_, 0, "%s<!-- Page %d of the net -->\n");
}

void Writer::modeAttr(ObjectHandle object, int ind, bool withMult) {
    uint16_t v[6] = {};
    if (!EE_GetModeAttributes(object, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5])) return;
    if (withMult) {
        indent(ind);
        printf("<mult insts=\"%d\"/>\n", v[5]);
    }
    auto t = [](uint16_t x) { return XmlBoolText(x == 0).data(); };
    indent(ind);
    printf("<modeattr siminc=\"%s\" observe=\"%s\" propocc=\"%s\" interact=\"%s\" execcode=\"%s\"/>\n", t(v[0]), t(v[1]),
           t(v[2]), t(v[4]), t(v[3]));
}

void Writer::page(ObjectHandle page, int) {
    printf("<%s id=\"id%ld\">\n", "page", static_cast<long>(page));
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    if (QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border)) {
        name[sizeof name - 1] = '\0';
        printf("  <pageattr name=\"%s\" number=\"%d\" visbor=\"%s\"", INT_EscapeText(name).c_str(), number,
               XmlBoolText(border != 0).data());
        uint32_t palette = 0;
        if (QXStr_GetPaletteOption(page, &palette)) printf(" palette=\"%s\"", XmlBoolText(palette != 0).data());
        out_ += "/>\n";
        modeAttr(page, 2, true);
    } else {
        out_ += "  <!-- QXRdAttr_GetPageAttr() failed -->";
    }
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!QXWin_GetGeometry(page, &w, &h, &x, &y)) {
        w = 579;
        h = 774;
        x = 1;
        y = 1;
    }
    printf("  <winattr open=\"%s\" width=\"%ld\" height=\"%ld\" xpos=\"%ld\" ypos=\"%ld\"/>\n",
           XmlBoolText(QXWin_IsOpen(page) != 0).data(), static_cast<long>(w), static_cast<long>(h),
           static_cast<long>(x), static_cast<long>(y));
    graphics(page, 2, kModePage);
    HandleList nodes, conns;
    if (QXStr_GetNodeList(page, &nodes.count, &nodes.array) && QXStr_GetPageConnList(page, &conns.count, &conns.array)) {
        printf("  <!-- %d node(s) were found -->\n", nodes.count);
        list(&Writer::node, nodes.span(), 2, "%s<!-- Node %d of page -->\n");
        printf("  <!-- %d connector(s) were found -->\n", conns.count);
        list(&Writer::connector, conns.span(), 2, "%s<!-- Connector %d of page -->\n");
    } else {
        out_ += "  <!-- QXStr_GetNodeList() failed -->";
        out_ += "  <!-- QXStr_GetPageConnList() failed -->";
    }
    printf("</%s>\n\n", "page");
}

std::string Writer::netTag(ObjectHandle node) {
    uint16_t kind = 0, sub = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(node, &kind, &sub, &record);
    if (kind == kNetPlace) return "place";
    if (kind == kNetTrans) return "trans";
    if (kind == kNetDecl) return sub == 2 ? "locdecl" : sub == 3 ? "tempdecl" : "globdecl";
    uint32_t size = 0;
    if (PGIsHierarchyObject(node, &size)) return "pagenode";
    return "aux";
}

void Writer::flags(ObjectHandle object, int ind) {
    static constexpr uint32_t kMasks[5] = {0x400002, 4, 8, 128, 1};
    bool v[5] = {};
    for (int i = 0; i < 5; ++i) {
        uint32_t value = 0;
        QXRdAttr_GetFlag(object, kMasks[i], &value);
        v[i] = value != 0;
    }
    indent(ind);
    printf("<flags mask=\"%s\" omit=\"%s\" nobound=\"%s\" nosizing=\"%s\" visible=\"%s\"/>\n", XmlBoolText(v[0]).data(),
           XmlBoolText(v[1]).data(), XmlBoolText(v[2]).data(), XmlBoolText(v[3]).data(), XmlBoolText(!v[4]).data());
}

void Writer::layering(ObjectHandle object, int ind) {
    uint32_t mode = 0;
    if (!QXRdAttr_GetLayeringLogic(object, &mode)) return;
    if (auto name = XmlLayeringName(static_cast<int32_t>(mode & 0xFF)))
        printf("%*s<layering type=\"%s\"/>\n", ind, "", std::string(*name).c_str());
}

void Writer::node(ObjectHandle node, int) {
    std::string tag = netTag(node);
    printf("  <%s", tag.c_str());
    printf(" id=\"id%ld\">\n", static_cast<long>(node));
    flags(node, 4);
    SEHead* record = nullptr;
    if (tag == "trans") subst(node, 4);
    if (tag == "place" && GE_GetSERecord(node, &record) && SEIsPort(record))
        printf("    <port type=\"%s\"/>\n", XmlPortTypeName(record->subKind).data());
    graphics(node, 4, kModeNode);
    layering(node, 4);
    HandleList regions;
    QXStr_GetRegionList(node, &regions.count, &regions.array);
    printf("    <!-- %d regions(s) were found -->\n", regions.count);
    list(&Writer::region, regions.span(), 4, "%s<!-- Region %d of node -->\n");
    textBlock(node, 4);
    printf("  </%s>\n\n", tag.c_str());
}

void Writer::subst(ObjectHandle transition, int ind) {
    SEHead* record = nullptr;
    if (!GE_GetSERecord(transition, &record) || !record) return;
    ObjectHandle subpage = SEGetSubpageObj(record);
    if (!subpage || !written(subpage)) return;
    indent(ind);
    printf("<subst subpage=\"id%ld\"", static_cast<long>(subpage));
    SEIter iter{};
    iter.input = record;
    std::string pairs;
    if (SEInitNext(6, &iter)) {
        while (SENextGet(6, &iter)) {
            auto* socket = reinterpret_cast<SEHead*>(iter.result);
            auto* port = reinterpret_cast<SEHead*>(iter.extra);
            char pair[64];
            std::snprintf(pair, sizeof pair, "(id%ld, id%ld)", static_cast<long>(SEGetKVObj(port)),
                          static_cast<long>(SEGetKVObj(socket)));
            pairs += pair;
        }
    }
    if (!pairs.empty()) printf(" portsock=\"%s\"", pairs.c_str());
    out_ += "/>\n";
    modeAttr(transition, ind, false);
}

bool Writer::endWritten(ObjectHandle end) {
    ObjectHandle base = QXStr_GetBaseObject(end);
    if (!base) return false;
    uint16_t kind = 0, sub = 0;
    SEHead* r = nullptr;
    EE_GetObjectKind(base, &kind, &sub, &r);
    if (kind != kNetTrans || end == base) return true;
    SEHead* record = nullptr;
    if (!GE_GetSERecord(base, &record) || !record) return true;
    ObjectHandle subpage = SEGetSubpageObj(record);
    if (!subpage || written(subpage)) return true;
    ObjectHandle key = 0;
    if (!GE_GetRegion(base, GE_KeyRegionKind(4099), &key) || !key) return true;
    for (ObjectHandle o = end; o && o != base; o = QXStr_GetObjectPage(o))
        if (o == key) return false;
    return true;
}

void Writer::connector(ObjectHandle conn, int) {
    ObjectHandle e1 = 0, e2 = 0;
    if (!QXRdAttr_GetConnEnds(conn, 1, &e1, &e2)) return;
    if (!endWritten(e1) || !endWritten(e2)) {
        out_ += "  <!-- Connector dropped since endpoint isn't saved -->\n";
        return;
    }
    uint16_t kind = 0, sub = 0;
    SEHead* r = nullptr;
    EE_GetObjectKind(conn, &kind, &sub, &r);
    uint32_t size = 0;
    bool hier = PGIsHierarchyObject(conn, &size) != 0;
    const char* tag = hier ? "substcon" : kind == kNetArc ? "arc" : "aux-conn";
    uint16_t k1 = 0;
    EE_GetObjectKind(QXStr_GetBaseObject(e1), &k1, &sub, &r);
    bool isArc = !hier && kind == kNetArc;
    printf("  <%s id=\"id%ld\" orientation=\"%s\">\n", tag, static_cast<long>(conn),
           std::string(XmlOrientationName(static_cast<int32_t>(QXRdAttr_GetDirection(conn)), isArc, k1 == kNetPlace))
               .c_str());
    int16_t hw = 0, hh = 0, tw = 0, th = 0;
    int32_t shapeCode = 0;
    if (QXRdAttr_GetConnAttr(conn, &hw, &hh, &shapeCode, &tw, &th))
        printf("    <connattr hdwidth=\"%ld\" hdheight=\"%ld\" txtwidth=\"%d\" txtheight=\"%d\"/>\n",
               static_cast<long>(hw), static_cast<long>(hh), tw, th);
    flags(conn, 4);
    graphics(conn, 4, kModeConnector);
    layering(conn, 4);
    const ObjectHandle ends[2] = {e1, e2};
    for (int i = 0; i < 2; ++i) {
        ObjectHandle end = ends[i];
        ObjectHandle base = QXStr_GetBaseObject(end);
        if (isArc) {
            uint16_t k = 0;
            EE_GetObjectKind(base, &k, &sub, &r);
            const char* endTag = k == kNetPlace ? "placeend" : "transend";
            if (end != base)
                printf("    <%s idref=\"id%ld\" endpoint=\"id%ld\"/>\n", endTag, static_cast<long>(base),
                       static_cast<long>(end));
            else
                printf("    <%s idref=\"id%ld\"/>\n", endTag, static_cast<long>(end));
        } else if (hier) {
            printf("    <%s idref=\"id%ld\"/>\n", i == 0 ? "sup-page" : "sub-page", static_cast<long>(end));
        } else {
            printf("    <node%d idref=\"id%ld\"/>\n", i + 1, static_cast<long>(end));
        }
    }
    HandleList regions;
    QXStr_GetRegionList(conn, &regions.count, &regions.array);
    printf("    <!-- %d regions(s) were found -->\n", regions.count);
    list(&Writer::region, regions.span(), 4, "%s<!-- Region %d of connector -->\n");
    textBlock(conn, 4);
    printf("  </%s>\n\n", tag);
}

struct RegionTag {
    uint32_t bit;
    const char* tag;
};
constexpr RegionTag kRegionTags[] = {
    {0x1, "name"},        {0x2, "type"},        {0x4, "initmark"},    {0x8, "hierarch"},     {0x10, "hier-key"},
    {0x20, "fusion"},     {0x40, "fus-key"},    {0x100, "cond"},      {0x200, "code"},       {0x400, "code-key"},
    {0x1000, "annot"},    {0x2000, "pagemode"}, {0x4000, "pgmodkey"}, {0x8000, "log"},       {0x10000, "log-key"},
    {0x20000, "mark"},    {0x40000, "mark-key"}, {0x200000, "portreg"}, {0x400000, "portkreg"},
    {0x800000, "substtag"}, {0x20000000, "time"},
};

const char* regionTag(uint32_t netMask, uint32_t auxMask) {
    if (netMask) {
        uint32_t lowest = netMask & (~netMask + 1);
        for (const auto& row : kRegionTags)
            if (row.bit == lowest) return row.tag;
        return nullptr;
    }
    switch (auxMask) {
        case 1: return "aux-std";
        case 2: return "aux-endp";
        case 4: return "aux-ml";
        case 8: return "aux-enab";
        default: return "unknown-reg";
    }
}

void Writer::region(ObjectHandle reg, int ind) {
    uint32_t type = 0, net = 0, aux = 0;
    if (!EQ_MapSpec(1, &reg, nullptr, nullptr, &type, &net, &aux) || (net != 0) == (aux != 0)) return;
    const char* tag = regionTag(net, aux);
    if (!tag) return;
    printf("%*s<%s id=\"id%ld\"", ind, "", tag, static_cast<long>(reg));
    if (std::strcmp(tag, "fusion") == 0) {
        SEHead* record = nullptr;
        if (GE_GetSERecord(QXStr_GetBaseObject(reg), &record) && record)
            if (SEHead* set = SEGetFusSet(record))
                if (auto name = XmlFusionTypeName(set->subKind)) printf(" type=\"%s\"", std::string(*name).c_str());
    }
    // A substitution tag stands for its transition, whose handle is the number.
    if (std::strcmp(tag, "substtag") == 0)
        if (ObjectHandle transition = PGLabelObject(reg))
            printf(" transref=\"%ld\"", static_cast<long>(transition));
    out_ += ">\n";
    flags(reg, ind + 2);
    graphics(reg, ind + 2, kModeRegion);
    layering(reg, ind + 2);
    CERegionAttr attr;
    if (CE_RegionAttrCheck(reg, 16, net, aux, &attr)) {
        Fixed rx = 0, ry = 0, ox = 0, oy = 0;
        QXRdAttr_GetPosition(reg, &rx, &ry);
        QXRdAttr_GetPosition(QXStr_GetObjectPage(reg), &ox, &oy);
        printf("%*s<regattr colorap=\"%s\" sizewp=\"%s\" hoffset=\"%s\" voffset=\"%s\"/>\n", ind + 2, "",
               XmlBoolText(attr.colorap != 0).data(), XmlBoolText(attr.sizewp != 0).data(), mm(rx - ox).c_str(),
               mm(oy - ry).c_str());
    } else {
        printf("%*s  <!-- CE_RegionAttrCheck failed -->\n", ind, "");
    }
    HandleList subs;
    QXStr_GetRegionList(reg, &subs.count, &subs.array);
    printf("%*s  <!-- %d regions(s) were found -->\n", ind, "", subs.count);
    list(&Writer::region, subs.span(), ind + 2, "%s<!-- Region %d of region -->\n");
    textBlock(reg, ind + 2);
    printf("%*s</%s>\n", ind, "", tag);
}

void Writer::graphics(ObjectHandle object, int ind, int mode) {
    uint32_t style = 0, pattern = 0, visible = 0;
    int16_t width = 0;
    if (QXRdAttr_GetLineAttr(object, &style, &width, &pattern, &visible)) {
        int16_t colour = 0;
        indent(ind);
        out_ += "<lineattr";
        if (auto n = XmlLineTypeName(static_cast<int32_t>(style))) printf(" type=\"%s\"", std::string(*n).c_str());
        printf(" thick=\"%ld\"", static_cast<long>(width));
        if (QXColor_GetLineColor(object, &colour)) printf(" colour=\"%s\"", XmlColourName(colour).data());
        out_ += "/>\n";
        indent(ind);
        out_ += "<fillattr";
        if (auto n = XmlFillPatternName(static_cast<int32_t>(pattern))) printf(" pattern=\"%s\"", std::string(*n).c_str());
        if (QXColor_GetFillColor(object, &colour)) printf(" colour=\"%s\"", XmlColourName(colour).data());
        out_ += "/>\n";
    }
    Fixed x = 0, y = 0;
    if (mode != kModeConnector && QXRdAttr_GetPosition(object, &x, &y)) {
        indent(ind);
        printf("<posattr x=\"%s\" y=\"%s\"/>\n", mm(x).c_str(), mm(-y).c_str());
    }
    int32_t font = 0, size = 0, styleBits = 0, just = 0;
    uint32_t scbar = 0, spare = 0;
    if (QXText_GetTextAttr(object, &font, &size, &styleBits, &just, &scbar, &spare)) {
        int16_t colour = 0;
        std::string colourName = QXColor_GetTextColor(object, &colour) ? std::string(XmlColourName(colour)) : "black";
        auto bit = [styleBits](int b) { return XmlBoolText((styleBits & b) != 0).data(); };
        indent(ind);
        printf("<textattr font=\"%s\" size=\"%d\" just=\"%s\" colour=\"%s\" bold=\"%s\" italic=\"%s\" underlin=\"%s\" "
               "outline=\"%s\" shadow=\"%s\" condense=\"%s\" extend=\"%s\" scbar=\"%s\"/>\n",
               XmlFontName(font).data(), size, XmlJustName(just).data(), colourName.c_str(), bit(2), bit(4), bit(8),
               bit(16), bit(32), bit(64), bit(128), XmlBoolText(scbar != 0).data());
    }
    (void)kModeNode;
    shape(object, ind);
}

void Writer::points(const char* tag, ObjectHandle, int ind, std::span<const FixPoint> pts, const char* extra) {
    printf("%*s<%s %s points=\"", ind, "", tag, extra);
    for (const FixPoint& p : pts) printf("(%s,%s)", mm(p.x).c_str(), mm(-p.y).c_str());
    out_ += "\"/>\n";
}

void Writer::shape(ObjectHandle object, int ind) {
    Fixed width = 0, height = 0;
    QXRdAttr_GetSize(object, &width, &height);
    auto sized = [&](const char* tag) {
        printf("%*s<%s h=\"%s\" w=\"%s\"", ind, "", tag, mm(height).c_str(), mm(width).c_str());
    };
    switch (QXRdAttr_GetShape(object)) {
        case 1:
            if (QXUtil_IsLabel(object)) {
                printf("%*s<label/>\n", ind, "");
            } else {
                sized("box");
                out_ += "/>\n";
            }
            break;
        case 2: sized("ellipse"); out_ += "/>\n"; break;
        case 3: {
            uint16_t count = 0;
            std::vector<FixPoint> pts;
            if (QXRdAttr_GetPolyPointCount(object, &count)) {
                pts.resize(count);
                if (!count || !QXRdAttr_GetPolyPoints(object, pts.data())) pts.clear();
            }
            points("poly", object, ind, pts, "");
            break;
        }
        case 4: {
            sized("rbox");
            uint32_t a = 0, b = 0;
            if (QXRdAttr_GetRoundedness(object, &a, &b)) printf(" curv=\"%ld\"", static_cast<long>(a >> 15));
            out_ += "/>\n";
            break;
        }
        case 5: {
            sized("wedge");
            int32_t start = 0, extent = 0;
            if (QXRdAttr_GetWedgeAngles(object, &start, &extent))
                printf(" startAngle=%d endAngle=%d", start, extent);
            out_ += "/>\n";
            break;
        }
        case 6: picture(object, ind, width, height); break;
        case 7: {
            uint16_t count = 0;
            FixPoint* array = nullptr;
            std::vector<FixPoint> pts;
            if (QXRdAttr_GetLinePoints(object, &count, &array) && array) pts.assign(array, array + count);
            if (array) QXMem_Free(array);
            points("line", object, ind, pts, "");
            break;
        }
        case 20: {
            std::array<FixPoint, kMaxConnPoints> buffer{};
            uint16_t count = 0;
            std::vector<FixPoint> inner;
            if (QXRdAttr_GetConnPoints(object, &count, buffer.data()) && count >= 2 && count <= kMaxConnPoints)
                inner.assign(buffer.begin() + 1, buffer.begin() + count - 1);
            ObjectHandle b1 = 0, b2 = 0;
            uint16_t kind = 0, k2 = 0, sub = 0;
            SEHead* r = nullptr;
            EE_GetObjectKind(object, &kind, &sub, &r);
            if (kind == kNetArc && QXRdAttr_GetConnEnds(object, 0, &b1, &b2)) {
                EE_GetObjectKind(b2, &k2, &sub, &r);
                if (k2 == kNetPlace) std::reverse(inner.begin(), inner.end());
            }
            char extra[64];
            std::snprintf(extra, sizeof extra, "curv=\"%ld\"",
                          static_cast<long>(QXRdAttr_GetConnHidden(object) >> 15));
            printf("%*s<seg-conn %s points=\"", ind, "", extra);
            for (const FixPoint& p : inner) printf("(%s,%s)", mm(p.x).c_str(), mm(-p.y).c_str());
            out_ += "\"/>\n";
            break;
        }
        default: break;
    }
}

// The raw picture format: 512 zero bytes, the data length plus 2 as a
// 16-bit big-endian number, the data. Data too long for that number are not
// written rather than written with a wrong length.
bool writeRawPicture(const std::string& path, std::span<const uint8_t> data) {
    if (data.size() > 0xFFFFu - 2) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        XmlShowMessage("Unable to open file for pict...");
        return false;
    }
    std::vector<unsigned char> head(514, 0);
    const size_t length = data.size() + 2;
    head[512] = static_cast<unsigned char>((length >> 8) & 0xFF);
    head[513] = static_cast<unsigned char>(length & 0xFF);
    bool ok = std::fwrite(head.data(), 1, head.size(), f) == head.size();
    if (!data.empty()) ok = std::fwrite(data.data(), 1, data.size(), f) == data.size() && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

// Writes the picture object's data into the file: raw data as they are, an
// image as PNG.
void writePictureFile(ObjectHandle object, const std::string& file) {
    MemHandle handle = QXRdAttr_GetShapeData(object);
    PictureRecord* record = nullptr;
    if (!handle || Mem_LockAs(handle, &record) != kStatusOk || !record) return;
    const PictureRecord picture = *record;
    Mem_Unlock(handle);
    if (picture.flags & kPictureRaw) {
        std::vector<uint8_t> bytes;
        void* data = nullptr;
        if (picture.length && picture.data && Mem_Lock(picture.data, &data) == kStatusOk && data) {
            size_t n = std::min<size_t>(picture.length, Mem_Size(picture.data));
            bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
            Mem_Unlock(picture.data);
        }
        writeRawPicture(file, bytes);
    } else if (picture.image) {
        Image_WritePNGFile(picture.image, file.c_str());
    }
}

void Writer::picture(ObjectHandle object, int ind, Fixed width, Fixed height) {
    const std::string& dir = pictureDirectory();
    char name[32];
    std::snprintf(name, sizeof name, "image%d", static_cast<int>(object));
    printf("%*s<picture h=\"%s\" w=\"%s\" filename=\"%s\"/>\n", ind, "", mm(height).c_str(), mm(width).c_str(),
           INT_EscapeText(lastComponent(dir) + "/" + name).c_str());
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || mkdir(dir.c_str(), 0777) != 0) {
            XmlShowMessage("There's something wrong with\nthe picture directory!!! It shouldn't\nbe here now...");
            return;
        }
    }
    writePictureFile(object, dir + "/" + name);
}

void Writer::textBlock(ObjectHandle object, int ind) {
    uint32_t length = 0;
    if (!QXText_GetLength(object, &length)) return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    uint32_t got = length;
    if (QXText_GetText(object, text.data(), &got)) {
        text.resize(std::min<size_t>(got, length));
        printf("%*s<text>", ind, "");
        out_ += INT_EscapeText(text);
        out_ += "</text>\n";
    } else {
        printf("%*s<!-- no text was found -->\n", ind, "");
    }
}

}  // namespace

const std::string& XmlPictureDirectory() { return pictureDirectory(); }
void XmlSetPictureBase(const std::string& directory) { pictureBase() = directory; }
const std::string& XmlPictureBase() { return pictureBase(); }

std::string XmlComposeDocument(const std::string& path, std::span<const ObjectHandle> pages, bool* complete) {
    Writer writer(path, pages);
    bool ok = writer.header();
    if (ok) writer.diagram();
    writer.text() += "</tolqet>\n";
    if (complete) *complete = ok;
    return std::move(writer.text());
}

int XmlWriteFile(const std::string& path, std::span<const ObjectHandle> pages) {
    bool complete = false;
    std::string text = XmlComposeDocument(path, pages, &complete);
    if (!commitFile(path, text)) {
        XmlShowMessage("Unable to open\n" + path + "\nfor writing.");
        return -1;
    }
    return complete ? 1 : -1;
}

int INT_RemoveTree(const std::string& path, int (*callback)(const char* path, bool isDirectory)) {
    long max = pathconf(path.c_str(), _PC_PATH_MAX);
    size_t limit = (max > 0 ? static_cast<size_t>(max) : 1024) + 1;
    if (path.size() >= limit) return -1;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) {
        DIR* dir = opendir(path.c_str());
        if (!dir) return -1;
        std::vector<std::string> names;
        while (dirent* e = readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
        closedir(dir);
        for (const auto& n : names)
            if (int r = INT_RemoveTree(path + "/" + n, callback)) return r;
    }
    return callback(path.c_str(), S_ISDIR(st.st_mode));
}

bool XmlSelectFile(const char* prompt, const char* button, std::string* path) {
    char* chosen = nullptr;
    if (!QXFile_SelectFile(prompt, button, "", 0, &chosen) || !chosen) return false;
    *path = chosen;
    QXMem_Free(chosen);
    return true;
}

int INT_SaveXML() {
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    if (!EE_GetPagesOfCommand(&count, &pages)) return -1;
    std::vector<ObjectHandle> list(pages, pages ? pages + count : pages);
    if (pages) QXMem_Free(pages);
    // The hierarchy page is never written, also when its own page node is
    // among the selected ones.
    std::erase_if(list, [](ObjectHandle page) {
        uint32_t size = 0;
        return PGIsHierarchyObject(page, &size) != 0;
    });
    QXUI_SetStatusBarMessage("Saving file...");
    std::string path;
    for (;;) {
        if (!XmlSelectFile("Save XML As : ", "Save", &path)) {
            QXUI_UpdateStatusBar();
            return -1;
        }
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) break;
        if (Dialog_Alert(9999, "File Exists, Do You Want to Overwrite?", 2) == 0) break;
    }
    int32_t cursor = QXUI_SetCursor(17);
    int result = XmlWriteFile(path, list);
    QXUI_SetCursor(cursor);
    QXUI_UpdateStatusBar();
    return result;
}
