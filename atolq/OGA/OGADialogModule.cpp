// The occurrence-graph tool's dialogs: the statistics the library reports
// (31505), the choice of the standard report's parts (31500), whose items
// follow what the library says about the graph, and the choice of the
// attributes and options whose setting functions the library writes out
// (31400).
#include "atolq/OGA/OGAInternal.h"
#include "atolq/OGA/OGARequests.h"

#include <array>
#include <string>

#include "xkv/dialog/Dialog.h"

namespace {

constexpr int32_t kStatisticsDialog = 31505;
constexpr int32_t kReportDialog = 31500;
constexpr int32_t kAttributesDialog = 31400;

std::string truthValues(const bool* values, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += std::string(i == 0 ? "" : ",") + (values[i] ? "true" : "false");
    return out;
}

bool anyOn(const bool* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (values[i])
            return true;
    return false;
}

// 1 when the library answers the question with 1.
bool libraryYes(const char* request)
{
    if (OGASend(request) < 0)
        return false;
    const auto v = OGAReadInts(1);
    return !v.empty() && v[0] == 1;
}

// ---- statistics ----

int16_t statisticsCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    const auto* text = static_cast<const std::string*>(Dialog_GetClientData());
    if (code == 0) {
        if (text != nullptr)
            Dialog_SetItemText(4, text->c_str());
        Dialog_SetDefaultItem(1);
        return item;
    }
    Dialog_Close(item);
    return item;
}

// ---- check-box dialogs ----

// A dialog of check boxes collected in a given order when OK closes it.
template <std::size_t N> struct CheckChoice {
    std::array<int16_t, N> order;
    int16_t firstCheck, lastCheck, ok, cancel;
    std::array<bool, N> values{};
    bool accepted = false;
    std::array<int16_t, 3> disabled{}; // report dialog: items the library rules out
    std::array<bool, 17> on{};          // the shown value of each item
};

template <std::size_t N> bool isDisabled(const CheckChoice<N>& c, int16_t item)
{
    for (int16_t d : c.disabled)
        if (d != 0 && d == item)
            return true;
    return false;
}

// The choice keeps the checks' values itself; the items only show them, so
// a ruled-out check never counts as chosen.
template <std::size_t N> int16_t checkCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* c = static_cast<CheckChoice<N>*>(Dialog_GetClientData());
    if (c == nullptr)
        return item;
    if (code == 0) {
        // Item states outlive a dialog: a check ruled out the last time is
        // enabled again unless it is ruled out now.
        for (int16_t i = c->firstCheck; i <= c->lastCheck; ++i) {
            Dialog_EnableItem(i);
            Dialog_SetItemState(i, 0);
        }
        for (int16_t d : c->disabled)
            if (d != 0)
                Dialog_DisableItem(d);
        Dialog_SetDefaultItem(c->ok);
        return item;
    }
    if (item == c->ok) {
        for (std::size_t i = 0; i < N; ++i)
            c->values[i] = c->on[static_cast<std::size_t>(c->order[i])] && !isDisabled(*c, c->order[i]);
        c->accepted = true;
        Dialog_Close(item);
    } else if (item == c->cancel) {
        Dialog_Close(item);
    } else if (item >= c->firstCheck && item <= c->lastCheck && !isDisabled(*c, item)) {
        bool& on = c->on[static_cast<std::size_t>(item)];
        on = !on;
        Dialog_SetItemState(item, on ? 1 : 0);
    }
    return item;
}

} // namespace

void OGAStatisticsCommand()
{
    if (OGASend("TOLQ'Edit.out_val(OG'menu.ShowStatistics());") < 0)
        return;
    std::string text = OGAReadString().value_or("");
    Dialog_OpenModal(kStatisticsDialog, statisticsCallback, &text);
}

void OGAReportCommand()
{
    CheckChoice<8> choice{{3, 5, 6, 8, 10, 11, 12, 14}, 3, 14, 16, 15};
    // Home markings need the full graph with its components; live
    // transition instances and fairness an untimed one; dead transition
    // instances the full graph.
    std::size_t d = 0;
    if (libraryYes("TOLQ'Edit.out_val(OGSaveReport.FullOGAndScc());")) {
        if (libraryYes("TOLQ'Edit.out_val(OGSaveReport.TimedOG());")) {
            choice.disabled[d++] = 12;
            choice.disabled[d++] = 14;
        }
    } else {
        choice.disabled = {8, 12, 14};
        d = 3;
    }
    if (!libraryYes("TOLQ'Edit.out_val(OGSaveReport.FullOG());") && d < choice.disabled.size())
        choice.disabled[d++] = 11;
    Dialog_OpenModal(kReportDialog, checkCallback<8>, &choice);
    if (!choice.accepted || !anyOn(choice.values.data(), 8))
        return;
    OGASend("OG'menu.SaveReport(" + truthValues(choice.values.data(), 8) + ");");
}

void OGAAttributesCommand()
{
    CheckChoice<11> choice{{4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 8}, 4, 14, 15, 16};
    Dialog_OpenModal(kAttributesDialog, checkCallback<11>, &choice);
    if (!choice.accepted || !anyOn(choice.values.data(), 11))
        return;
    OGASend("OG'menu.AttrOpt(" + truthValues(choice.values.data(), 11) + ");");
}
