// Services of the net editor that the hierarchy page calls and that other
// modules provide: declarations only; the modules that own them provide the
// definitions. The kernel functions come from the kernel's own headers.
#pragma once

#include <cstdint>

#include "atolq/CEditor/DeclarationSeams.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/types/Types.h"

// Net editor: a new kernel page (flag 0: with the options of a net page).
ObjectHandle GE_NewPage(int flag);
// Net editor: a node from a shape record, at a position on the page.
ObjectHandle GM_CreateOne(ObjectHandle page, Fixed x, Fixed y, const uint32_t* shapeRecord);
// Net editor: a connector with the shape and graphic defaults of a key.
ObjectHandle GE_CreateConnectorByKey(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t key);
// Net editor: a new region of the kind on the object.
ObjectHandle GE_MakeRegion(ObjectHandle object, int32_t kind);
// Net editor: an object's reference name (at most 88 bytes with the end).
int GE_ObjectRefName(ObjectHandle object, char* buffer);

// Net editor: removes the inscription of the region kind from the object.
int GE_RemoveRegionInfo(ObjectHandle object, int32_t kind);
// Net editor: closes a page's window.
int GE_DeletePage(ObjectHandle page);
// Net editor: deletes a net page with its net records.
int EE_DeleteNetPage(ObjectHandle page);
