// Printing from the command layer: the page setup and print dialogs'
// answers, printing with the stored print settings (also the print-files
// run), the EPS setup dialog's answer and the EPS export command.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommEvents.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kPropertyPageSetup = 14;
constexpr uint32_t kPropertyEps = 15;
constexpr uint32_t kPropertyPrint = 19;
constexpr uint32_t kDiagramLevel = 3;
constexpr HookId kHookPagePrinted = 44;
constexpr HookId kHookPrintRange = 46;
constexpr KernelStatus kStatusBadRange = 39;

// Print settings words: which pages, and the page-number range.
constexpr size_t kRangeKind = 24;
constexpr size_t kRangeFirst = 28;
constexpr size_t kRangeLast = 32;
constexpr uint32_t kRangeApplication = 1;
constexpr uint32_t kRangeNumbers = 2;

// Page setup words: the paper and its orientation.
constexpr size_t kSetupPaper = 24;
constexpr size_t kSetupOrientation = 32;

constexpr int32_t kMessageOwnText = 9999;
constexpr int32_t kAlertOneButton = 1;

// A dialog answer: the payload block of a class-6 event holds the dialog
// number, the closing item less one and the values block.
struct DialogAnswer {
    int32_t button = 1;
    MemHandle values = 0;
};

DialogAnswer ReadAnswer(MemHandle event)
{
    DialogAnswer answer;
    CommEventView view;
    if (Comm_ReadEvent(event, &view) != kStatusOk || view.eventClass != kEventClassDialog) {
        return answer;
    }
    const auto block = static_cast<MemHandle>(view.payloadValue);
    uint32_t* words = nullptr;
    if (block == 0 || Mem_LockAs(block, &words) != kStatusOk || words == nullptr) {
        return answer;
    }
    if (Mem_Size(block) >= 3 * sizeof(uint32_t)) {
        answer.button = static_cast<int32_t>(words[1]);
        answer.values = words[2];
    }
    Mem_Unlock(block);
    return answer;
}

uint32_t Word(const std::vector<uint8_t>& record, size_t offset)
{
    uint32_t value = 0;
    if (offset + sizeof value <= record.size()) {
        std::memcpy(&value, record.data() + offset, sizeof value);
    }
    return value;
}

std::vector<ObjectHandle> PagesByNumber()
{
    std::vector<ObjectHandle> pages;
    for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
        pages.push_back(page);
    }
    std::stable_sort(pages.begin(), pages.end(),
                     [](ObjectHandle a, ObjectHandle b) { return Model_ComparePageNumbers(a, b) < 0; });
    return pages;
}

// The application's pages. A print-files run opens no page, so there are
// none: the file's pages are printed, not an empty document.
KernelStatus ApplicationPages(std::vector<ObjectHandle>* out)
{
    uint16_t count = 0;
    uint32_t* list = nullptr;
    const uint32_t had = Comm_ApplicationPages(&count, &list);
    if (had != 0 && list != nullptr) {
        out->assign(list, list + count);
    }
    std::free(list);
    if (out->empty() && Velkor_Settings().printFiles != 0 && Comm_GetCurrentPage() == 0) {
        *out = PagesByNumber();
    }
    return kStatusOk;
}

KernelStatus ChoosePages(const std::vector<uint8_t>& settings, std::vector<ObjectHandle>* out)
{
    switch (Word(settings, kRangeKind)) {
    case kRangeApplication:
        return ApplicationPages(out);
    case kRangeNumbers: {
        const auto first = static_cast<int32_t>(Word(settings, kRangeFirst));
        const auto last = static_cast<int32_t>(Word(settings, kRangeLast));
        if (last <= 0 || last < first) {
            return kStatusBadRange;
        }
        for (ObjectHandle page : PagesByNumber()) {
            const auto number = static_cast<int64_t>(Model_GetFieldValue(page, Field::kPageNumber));
            if (number >= first && number <= last) {
                out->push_back(page);
            }
        }
        return kStatusOk;
    }
    default:
        *out = PagesByNumber();
        return kStatusOk;
    }
}

// Hook 46 sees the page setup and the range first; 0 cancels the printing.
bool ApplicationAllowsPrinting(const std::vector<uint8_t>& settings)
{
    if (Hook_IsRegistered(kHookPrintRange) == 0) {
        return true;
    }
    std::vector<uint8_t> setup(Default_PropertySize(kPropertyPageSetup), 0);
    if (!setup.empty()) {
        Default_Get(0, kDiagramLevel, kPropertyPageSetup, setup.data());
    }
    const std::array<uintptr_t, 9> words = {reinterpret_cast<uintptr_t>(setup.data()),
                                            Word(settings, kRangeKind),
                                            Word(settings, kRangeFirst),
                                            0,
                                            Word(settings, kRangeLast),
                                            0,
                                            0,
                                            0,
                                            0};
    return Hook_Fire(kHookPrintRange, reinterpret_cast<uintptr_t>(words.data()), words.size()) != 0;
}

KernelStatus PrintChosen(const std::vector<ObjectHandle>& pages)
{
    KernelStatus status = Print_BeginDocument();
    if (status != kStatusOk) {
        return status;
    }
    for (ObjectHandle page : pages) {
        if (!Model_IsPage(page) || Model_PageHasFlag512(page) != 0) {
            continue;
        }
        Core_RebuildPageConnectors(page);
        Hook_Fire(kHookPagePrinted, page);
        status = Print_DrawPage(page);
        if (status != kStatusOk) {
            Print_CloseOutput();
            return status;
        }
    }
    return Print_EndDocument() != 0 ? kStatusFailed : kStatusOk;
}

}  // namespace

KernelStatus Comm_PrintPages(const uint8_t* settings, size_t size)
{
    if (settings == nullptr) {
        return kStatusBadArgument;
    }
    const std::vector<uint8_t> record(settings, settings + size);
    std::vector<ObjectHandle> pages;
    if (KernelStatus status = ChoosePages(record, &pages); status != kStatusOk) {
        return status;
    }
    if (!ApplicationAllowsPrinting(record)) {
        return kStatusOk;
    }
    const uint32_t modified = Model_IsModified();
    const KernelStatus status = PrintChosen(pages);
    Model_SetModified(modified);
    return status;
}

KernelStatus Comm_PrintDiagram()
{
    std::vector<uint8_t> settings(Default_PropertySize(kPropertyPrint), 0);
    if (settings.empty()) {
        return kStatusBadArgument;
    }
    if (KernelStatus status = Default_Get(0, kDiagramLevel, kPropertyPrint, settings.data()); status != kStatusOk) {
        return status;
    }
    return Comm_PrintPages(settings.data(), settings.size());
}

// The answer of the print dialog: OK prints with the settings it shows.
COMM_HANDLER(Cmd_PrintDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button != 0 || answer.values == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    std::vector<uint8_t> settings;
    uint8_t* data = nullptr;
    if (Mem_LockAs(answer.values, &data) == kStatusOk && data != nullptr) {
        const size_t size = std::min<size_t>(Mem_Size(answer.values), Default_PropertySize(kPropertyPrint));
        settings.assign(data, data + size);
        Mem_Unlock(answer.values);
    }
    settings.resize(Default_PropertySize(kPropertyPrint), 0);
    if (KernelStatus status = Comm_PrintPages(settings.data(), settings.size()); status != kStatusOk) {
        // A spooler that failed says so itself, with its command and status.
        const std::string failure = Print_TakeSpoolFailure();
        if (failure.empty()) {
            return status;
        }
        Dialog_Alert(kMessageOwnText, failure.c_str(), kAlertOneButton);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

namespace {

// Stores an answered values block as the diagram's setting of the property;
// out the stored record.
KernelStatus StoreForDiagram(uint32_t property, MemHandle values, std::vector<uint8_t>* stored)
{
    uint8_t* data = nullptr;
    if (Mem_LockAs(values, &data) != kStatusOk || data == nullptr) {
        return kStatusBadArgument;
    }
    const size_t size = Default_PropertySize(property);
    KernelStatus status = kStatusBadArgument;
    if (size != 0 && Mem_Size(values) >= size) {
        stored->assign(data, data + size);
        status = Default_Set(0, kDiagramLevel, property, data);
    }
    Mem_Unlock(values);
    return status;
}

}  // namespace

// The answer of the EPS setup dialog: OK stores the settings for the diagram.
COMM_HANDLER(Cmd_EpsSetupDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button == 0 && answer.values != 0) {
        std::vector<uint8_t> stored;
        if (KernelStatus status = StoreForDiagram(kPropertyEps, answer.values, &stored); status != kStatusOk) {
            return status;
        }
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// The answer of the page setup dialog: OK stores the settings for the
// diagram, makes the printable area of the paper the size of new pages and
// fits every page window to the paper.
COMM_HANDLER(Cmd_PageSetupDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button == 0 && answer.values != 0) {
        std::vector<uint8_t> setup;
        if (KernelStatus status = StoreForDiagram(kPropertyPageSetup, answer.values, &setup); status != kStatusOk) {
            return status;
        }
        Print_SetDefaultPageSize(Word(setup, kSetupPaper), Word(setup, kSetupOrientation));
        Window_ApplyPaperSizeAll();
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// "Save Eps...": the export asks and reports for itself.
COMM_HANDLER(Cmd_SaveEps)
{
    Print_ExportEPS();
    return Comm_EndCommand(row, event, nextState, freeFlag);
}
