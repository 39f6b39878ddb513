// The net data base file beside the diagram file: its name, the save with
// its "~" backup and the retry question, the load with the relink of records
// to the objects read, and the file codes and first page of the last load.
#pragma once

#include <cstdint>

#include "xkv/kv/QX.h"

struct SEHead;

// "%s.DB" with the current diagram file name, as a new GE_Alloc string;
// null when the diagram has no file name.
char* GE_DataBasePath();
// 1 when the data base file can be opened for reading.
int GE_DataBaseExists();
// Saves the net beside the diagram, and the evaluator's image under the
// diagram's ML file name when the evaluator is up; 1 when the net was written.
int GE_SaveDataBase();
// While the evaluator is up, keeps an ML file name on the diagram: the one
// it has, else the diagram file's name with ".ML" appended. 1 when one is kept.
int GE_StoreMLFileName();
// Remembers the model map and reads the data base file; 1 when read.
int GE_LoadDataBase(MemHandle modelMap);
// Relink callback: maps the stored handle and puts the record on the object.
int GE_TranslateRecordLink(uint32_t* object, SEHead* record);
// Replaces a handle by its value in the last load's model map; 1.
int GE_TranslateHandle(uint32_t* handle);
// Hook 78 after a diagram file was read: (model map, object).
uintptr_t EE_AfterFileRead(uintptr_t map, uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
int GE_IsForeignFile();
uint32_t GE_FileCode();
void GE_ClearFileCodes();
// The first page reported after the last load.
uint32_t GE_FirstLoadedPage();
// The kernel frees the model map after the load; the handle is dropped then.
void GE_ForgetModelMap();
// After a load: the handles that the net layer keeps in user data (the pages'
// error-box links) are translated through the load's map; 0 without a map.
int GE_UpdateReferences();
