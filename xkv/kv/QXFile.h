// QX file functions: the current diagram file's name, the file-selection
// dialog, files created or opened around a callback (optionally through the
// kernel's encoder), raw reads and writes and the defaults section.
#pragma once

#include <cstdint>

#include "xkv/file/File.h"
#include "xkv/kv/QX.h"

using QXFileCallback = uint32_t (*)(FileHandle file);

// A request to create or open a file around a callback.
struct QXFileRequest {
    QXFileCallback callback = nullptr;
    const char* name = nullptr;  // the name, or the dialog's initial name
    uint32_t stream = 0;         // 1: the encoder is on around the callback
    uint32_t ask = 0;            // 1: the name is asked for first
    uint32_t options = 0;        // passed to the file-selection dialog
    const char* title = nullptr; // the dialog's title when creating
};

// The size of the name buffers the file dialogs fill.
inline constexpr uint32_t kQXPathSize = 1024;

uint32_t QXFile_GetCurrentFileName(char** out);
uint32_t QXFile_SetCurrentFileName(const char* path);
uint32_t QXFile_SelectFile(const char* title, const char* button, const char* initial, uint32_t options, char** out);
uint32_t QXFile_CreateFile(QXFileRequest* request);
uint32_t QXFile_CreateFileWith(QXFileCallback callback, const char* name, uint32_t options, const char* title,
                               uint32_t word);
uint32_t QXFile_OpenFile(QXFileRequest* request);
uint32_t QXFile_OpenFileWith(QXFileCallback callback, const char* name);
uint32_t QXFile_Write(FileHandle file, const void* data, uint32_t count);
uint32_t QXFile_WriteAlias(FileHandle file, const void* data, uint32_t count);
uint32_t QXFile_ReadBlock(FileHandle file, void* buffer, uint32_t count);
uint32_t QXFile_ReadBytes(FileHandle file, void* buffer, uint32_t* count);
uint32_t QXFile_ReadDefaultsSection(FileHandle file);
uint32_t QXFile_WriteDefaultsSection(FileHandle file, uint32_t level);
uint32_t QXFile_StreamOn(FileHandle file, uint32_t direction);
uint32_t QXFile_StreamOff(FileHandle file);

// Page files (file kind 2). LoadPage reads one into the diagram, made first
// when there is none; with count and array the objects read come back as an
// object list. With the ask flag the file dialog runs first; a cancel sets
// the cancelled flag and the given path is used. chosen and SavePage's path
// are buffers of kQXPathSize bytes that take the name the dialog chose.
uint32_t QXFile_LoadPage(const char* path, uint32_t ask, uint16_t* count, ObjectHandle** array, uint32_t* cancelled,
                         char* chosen);
uint32_t QXFile_LoadPageQuiet(const char* path);
// Saves the given pages (when useObjects, count and objects are all given)
// or the current page; the status is stored on every call.
uint32_t QXFile_SavePage(char* path, uint32_t ask, uint32_t* cancelled, uint32_t useObjects, uint32_t count,
                         const ObjectHandle* objects, uint32_t options, const char* title);
uint32_t QXFile_SavePageAs(char* path, uint32_t ask, uint32_t* cancelled);
// Makes the path the current diagram file and saves the diagram to it.
uint32_t QXFile_SaveAsCurrent(const char* path);
