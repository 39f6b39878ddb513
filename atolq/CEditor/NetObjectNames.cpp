// The name of a node stored into its record from its name region (or its own
// text); the abstract net calls it for every node when a net is revisited.
// Kept in a file of its own so that a program that provides its own version
// does not take this one.
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "xkv/kv/QXStr.h"

void EE_RefreshNodeName(uint32_t node)
{
    if (node == 0 || QXStr_IsObject(node) == 0) {
        return;
    }
    SEHead* record = nullptr;
    GE_GetSERecord(node, &record);
    ObjectHandle region = 0;
    if (record != nullptr && GE_GetRegion(node, kRegionName, &region) != 0) {
        SESetName(record, EE_NameFromText(GE_TextOf(region).c_str()));
        return;
    }
    EE_UpdateNetFromObject(node);
}
