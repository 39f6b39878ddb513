// Starting and stopping the ML evaluator for the net layer: which image to
// load, the retries when the connection fails, the messages for the link's
// results, and the request buffers that exist while the evaluator is up.
#include <cstdlib>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSSeams.h"
#include "atolq/SML/SML.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/SmlEval/SmlEval.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kCheckedMark = 0x1000;
constexpr int16_t kMsgTooManyGlobal = 0x360a;
constexpr int16_t kMsgNotStarted = 0x3601;
constexpr int16_t kMsgStartupError = 0x3604;
constexpr int16_t kMsgNotInterrupted = 0x3605;
constexpr int16_t kMsgNotShutDown = 0x3606;
constexpr int16_t kMsgShutDownError = 0x3607;
constexpr int16_t kMsgRebuildImage = 0x360d;
constexpr int16_t kMsgUnknownHost = 0x360f;
constexpr int16_t kMsgNoNetwork = 0x3610;
constexpr int16_t kMsgLogin = 0x3611;
constexpr int16_t kMsgVersion = 0x3614;

constexpr int kFresh = 1;
constexpr int kSaved = 2;

// The settings the configuration callback fills; every string is owned here.
struct Settings {
    uint32_t local = 1;
    char* host = nullptr;
    uint16_t port = 0;
    char* freshImage = nullptr;
    char* savedImage = nullptr;
    char* program = nullptr;
    char* directory = nullptr;
    uint32_t directoryLength = 0;
    char* user = nullptr;
    char* password = nullptr;

    Settings() = default;
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
    ~Settings() { clear(); }
    void clear()
    {
        for (char** s : {&host, &freshImage, &savedImage, &program, &directory, &user, &password}) {
            if (*s != nullptr)
                QXMem_Free(*s);
            *s = nullptr;
        }
        local = 1;
        port = 0;
        directoryLength = 0;
    }
    int fill(CTSConfigFn configuration, int useFresh, uint32_t level)
    {
        char* keptUser = user;
        char* keptPassword = password;
        user = password = nullptr;
        clear();
        user = keptUser;
        password = keptPassword;
        return configuration != nullptr && configuration(useFresh, &local, &host, &port, &freshImage, &savedImage,
                                                         &program, &directory, &directoryLength, level) != 0
                   ? 1
                   : 0;
    }
};

void* allocString(uint32_t size)
{
    return GE_Alloc(size);
}
void freeString(void* block)
{
    QXMem_Free(block);
}

// Decides whether the evaluator must be started and from which image.
bool needStart(SEDeclNode* node, int* choice)
{
    CTSContext& c = CTSCurrentContext();
    for (;;) {
        const bool marked = (node->flags & kCheckedMark) != 0;
        if (c.evaluatorUp == 0) {
            if (MLImageSaved == 0) {
                *choice = kFresh;
                node->flags &= ~kCheckedMark;
                return true;
            }
            if (marked) {
                DeclsCompiled = 1;
                *choice = kSaved;
                return true;
            }
        } else {
            if (marked)
                return false;
            if (DeclsCompiled == 0) {
                *choice = kFresh;
                return true;
            }
        }
        int answer = GE_AskYesNoCancel(kMsgRebuildImage, "Recheck");
        if (answer < 0) {
            c.continueFlag = 0;
            return false;
        }
        if (answer > 0) {
            if (c.evaluatorUp == 0)
                MLImageSaved = 0;
            else
                DeclsCompiled = 0;
        } else {
            node->flags |= kCheckedMark;
        }
    }
}

// The module's side of an evaluator that is no longer up.
void markDown()
{
    CTSContext& c = CTSCurrentContext();
    if (c.evaluatorUp != 0)
        CTSStopModule();
    c.evaluatorUp = 0;
}

// Interrupts a connected evaluator. An evaluator that cannot be interrupted
// has usually quit: its link is released, so that a later start can begin
// afresh instead of failing on the same dead link for ever.
bool interrupted()
{
    if (SMLGetConnState() == kSMLKindNone || SMLInterrupt() != 0)
        return true;
    SMLStopProcess();
    markDown();
    return false;
}

// Interrupts and disconnects a running evaluator; 0 after a shown failure.
int shutDown()
{
    CTSContext& c = CTSCurrentContext();
    if (!interrupted()) {
        GE_MessageBox(kMsgNotInterrupted);
        return 0;
    }
    int r = SMLDisconnect();
    if (c.evaluatorUp != 0)
        CTSStopModule();
    c.evaluatorUp = 0;
    if (r >= 0)
        return 1;
    GE_MessageBox(r == -5 || r == -7 || r == -8 || r == -53 ? kMsgNotShutDown : kMsgShutDownError);
    return 0;
}

} // namespace

int CTSStartModule(void* (*allocate)(uint32_t size))
{
    CTSContext& c = CTSCurrentContext();
    CTSInstallNetServices();
    if (SMLSessionInit() != 0)
        return -1;
    for (MemFile** f : {&c.request, &c.input, &c.scratch})
        if (*f == nullptr)
            *f = MemFileCreate();
    if (c.request == nullptr || c.input == nullptr || c.scratch == nullptr)
        return -1;
    SMLSetReaderAllocator(allocate != nullptr ? allocate : allocString, freeString);
    return 0;
}

int CTSStopModule()
{
    CTSContext& c = CTSCurrentContext();
    int result = SMLSessionReset() == 0 ? 0 : -1;
    for (MemFile** f : {&c.request, &c.input, &c.scratch}) {
        if (*f != nullptr)
            MemFileDestroy(*f);
        *f = nullptr;
    }
    return result;
}

int CTSStartEvaluator(CTSConfigFn configuration)
{
    CTSContext& c = CTSCurrentContext();
    c.continueFlag = 1;

    SEDeclNode* node = nullptr;
    int choice = kFresh;
    bool start = true;
    switch (CTSFindGlobalDeclNode(&node, kSEDeclGlobal)) {
    case 1:
        GE_MessageBox(kMsgTooManyGlobal);
        return 0;
    case -1:
        DeclsCompiled = 0;
        MLImageSaved = 0;
        break;
    default:
        start = needStart(node, &choice);
        break;
    }
    if (!start || c.continueFlag == 0)
        return 1;

    Settings settings;
    if (settings.fill(configuration, choice == kFresh ? 1 : 0, 3) == 0)
        return 0;
    if (c.evaluatorUp != 0) {
        CTSStopModule();
        c.evaluatorUp = 0;
    }
    if (shutDown() == 0)
        return 0;

    for (int attempt = 1;;) {
        bool retry = false;
        const char* image = choice == kFresh ? settings.freshImage : settings.savedImage;
        int r = SMLConnect(static_cast<int>(settings.local), settings.host, settings.port, image, settings.program,
                           settings.user, settings.password);
        if (r == 0 || r == 1) {
            c.evaluatorUp = 1;
            if (choice == kFresh) {
                MLImageSaved = 0;
                DeclsCompiled = 0;
            }
            break;
        }
        c.evaluatorUp = 0;
        switch (r) {
        case -52:
            GE_MessageBox(kMsgNotStarted);
            break;
        case -14:
        case -13:
            GE_MessageBox(kMsgVersion);
            break;
        case -11: {
            GE_MessageBox(kMsgLogin);
            char* user = nullptr;
            char* password = nullptr;
            if (GE_LoginDialog(&user, &password) != 0) {
                for (char** s : {&settings.user, &settings.password})
                    if (*s != nullptr)
                        QXMem_Free(*s);
                settings.user = user;
                settings.password = password;
                retry = true;
            }
            break;
        }
        case -8:
        case -7:
        case -3:
            GE_MessageBox(kMsgNoNetwork);
            break;
        case -4:
            if (choice == kFresh) {
                GE_MessageBox(kMsgNotStarted);
            } else if (GE_PageListHasImageMark() != 0) {
                c.continueFlag = 0;
            } else {
                int answer = GE_MLImageDialog();
                if (answer != 0) {
                    if (answer == 2) {
                        DeclsCompiled = 0;
                        MLImageSaved = 0;
                    }
                    return CTSStartEvaluator(configuration);
                }
            }
            break;
        case -2:
            if (attempt == 1) {
                if (settings.fill(configuration, choice == kFresh ? 1 : 0, 4) != 0) {
                    ++attempt;
                    retry = true;
                } else {
                    GE_MessageBox(kMsgUnknownHost);
                }
            } else if (attempt == 2) {
                if (QXUI_Confirm("ML configuration is not correct. Do you want to set a new configuration?") != 0 &&
                    GE_MLSettingsDialog() != 0 && settings.fill(configuration, choice == kFresh ? 1 : 0, 3) != 0) {
                    ++attempt;
                    retry = true;
                } else {
                    GE_MessageBox(kMsgUnknownHost);
                }
            } else {
                GE_MessageBox(kMsgUnknownHost);
            }
            break;
        default:
            GE_MessageBox(kMsgStartupError);
            break;
        }
        if (!retry)
            break;
    }

    c.continueFlag = c.evaluatorUp;
    if (c.evaluatorUp == 0)
        return 0;
    if (CTSStartModule(allocString) != 0)
        EE_FatalError(kMsgOutOfMemory);
    return 1;
}

int CTSStopEvaluator()
{
    if (!interrupted())
        return 0;
    SMLDisconnect();
    markDown();
    return 1;
}
