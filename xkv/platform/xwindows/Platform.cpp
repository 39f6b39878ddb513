// The kernel's X connection, program settings the platform layer needs, and the
// Alt modifier bits read from the server's modifier map.
#include "xkv/platform/xwindows/Platform.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>

namespace {

XtAppContext appContext = nullptr;
Display* display = nullptr;
std::string programName = "tolq";
std::string resourceDirectory = "./resources";
unsigned int altMask = Mod1Mask;

constexpr size_t kProgramNameMax = 83;
constexpr size_t kResourceDirectoryMax = 255;

constexpr std::array<unsigned int, 8> kModifierBits = {ShiftMask, LockMask, ControlMask, Mod1Mask,
                                                      Mod2Mask,  Mod3Mask, Mod4Mask,    Mod5Mask};

bool Holds(const std::vector<KeySym>& keysyms, KeySym a, KeySym b)
{
    return std::find(keysyms.begin(), keysyms.end(), a) != keysyms.end() ||
           std::find(keysyms.begin(), keysyms.end(), b) != keysyms.end();
}

unsigned int MaskOf(const ModifierKeysyms& modifiers, KeySym a, KeySym b)
{
    unsigned int mask = 0;
    for (size_t i = 3; i < modifiers.size(); ++i) {
        if (Holds(modifiers[i], a, b)) {
            mask |= kModifierBits[i];
        }
    }
    return mask;
}

// Every keysym of every keycode bound to each modifier.
ModifierKeysyms ReadModifierKeysyms(Display* dpy)
{
    ModifierKeysyms result;
    XModifierKeymap* map = XGetModifierMapping(dpy);
    if (map == nullptr) {
        return result;
    }
    int minCode = 0;
    int maxCode = 0;
    XDisplayKeycodes(dpy, &minCode, &maxCode);
    for (int mod = 0; mod < 8; ++mod) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
            if (code == 0 || code < minCode || code > maxCode) {
                continue;
            }
            int perCode = 0;
            KeySym* syms = XGetKeyboardMapping(dpy, code, 1, &perCode);
            if (syms == nullptr) {
                continue;
            }
            for (int s = 0; s < perCode; ++s) {
                if (syms[s] != NoSymbol) {
                    result[mod].push_back(syms[s]);
                }
            }
            XFree(syms);
        }
    }
    XFreeModifiermap(map);
    return result;
}

} // namespace

void Platform_Attach(XtAppContext context, Display* dpy)
{
    appContext = context;
    display = dpy;
    Platform_RefreshModifierMap();
}

Display* Platform_Display()
{
    return display;
}

XtAppContext Platform_AppContext()
{
    return appContext;
}

void Platform_SetProgramName(const char* name)
{
    programName.assign(name != nullptr ? name : "");
    if (programName.size() > kProgramNameMax) {
        programName.resize(kProgramNameMax);
    }
}

const char* Platform_ProgramName()
{
    return programName.c_str();
}

void Platform_SetResourceDirectory(const char* directory)
{
    resourceDirectory.assign(directory != nullptr ? directory : "");
    if (resourceDirectory.size() > kResourceDirectoryMax) {
        resourceDirectory.resize(kResourceDirectoryMax);
    }
}

const char* Platform_ResourceDirectory()
{
    return resourceDirectory.c_str();
}

unsigned int Platform_LockMaskFromKeysyms(const ModifierKeysyms& modifiers)
{
    return MaskOf(modifiers, XK_Num_Lock, XK_Num_Lock) | MaskOf(modifiers, XK_Scroll_Lock, XK_Scroll_Lock);
}

unsigned int Platform_AltMaskFromKeysyms(const ModifierKeysyms& modifiers)
{
    unsigned int locks = Platform_LockMaskFromKeysyms(modifiers);
    unsigned int alt = MaskOf(modifiers, XK_Alt_L, XK_Alt_R) & ~locks;
    if (alt == 0) {
        alt = MaskOf(modifiers, XK_Meta_L, XK_Meta_R) & ~locks;
    }
    return alt;
}

void Platform_RefreshModifierMap()
{
    if (display == nullptr) {
        altMask = Mod1Mask;
        return;
    }
    ModifierKeysyms modifiers = ReadModifierKeysyms(display);
    altMask = Platform_AltMaskFromKeysyms(modifiers);
}

unsigned int Platform_AltMask()
{
    return altMask;
}

int Platform_IsAltDown(unsigned int state)
{
    return (state & altMask) != 0 ? 1 : 0;
}
