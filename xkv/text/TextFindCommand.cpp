// The Find, Find Again, Replace and Replace All commands: reads the find
// settings, searches the selected group or from the start object given by the
// scope, and makes the found object the selected one on its page.
#include <cstring>

#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextFind.h"
#include "xkv/text/TextNeighbours.h"

KernelStatus Text_Find(uint32_t again, ObjectHandle start, uint32_t* found, uint32_t* replacements)
{
    FindSettings settings{};
    KernelStatus status = Default_Get(0, kDefaultLevelNew, kPropFind, &settings);
    if (status != kStatusOk) {
        return status;
    }
    settings.search[sizeof(settings.search) - 1] = '\0';
    settings.replacement[sizeof(settings.replacement) - 1] = '\0';
    Text_ResetFindCount();
    ObjectHandle selected = Select_GetObject();
    GroupNumber group = Select_GetGroup();
    ObjectHandle foundObject = 0;
    if (group != 0 && Group_Count(group) > 1) {
        std::vector<ObjectHandle> members;
        for (uint16_t i = 0; i < Group_Count(group); ++i) {
            members.push_back(Group_Member(group, i));
        }
        status = Text_FindInGroup(static_cast<uint16_t>(members.size()), members.data(), &settings, &foundObject);
    } else {
        ObjectHandle from = 0;
        if (settings.scope == 1) {
            from = start != 0 ? start : Comm_GetCurrentPage();
        } else if (settings.scope != 0) {
            from = start != 0 ? start : selected;
        }
        status = Text_FindFrom(from, &settings, again, &foundObject);
        if (foundObject != 0 && foundObject != selected && settings.scope != 3) {
            ObjectHandle page = Model_GetPage(foundObject);
            if (page != Comm_GetCurrentPage()) {
                Comm_SetCurrentPage(page);
            }
            Select_Object(foundObject, 1);
        }
    }
    if (found != nullptr) {
        *found = foundObject != 0 || Text_FindReplacementCount() > 0 ? 1 : 0;
    }
    if (replacements != nullptr) {
        *replacements = Text_FindReplacementCount();
    }
    return status;
}
