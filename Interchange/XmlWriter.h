// The XML writer: "Save XML..." writes the current page, or the pages of the
// selected page nodes on the hierarchy page, as an XML file with a "~" backup
// of the file it replaces and a picture directory beside it.
#pragma once

#include "xkv/types/Types.h"

#include <span>
#include <string>

// The command: file selection, overwrite question, then the file. 1 after a
// complete file, -1 when nothing or not everything was written.
int INT_SaveXML();

// Writes the pages (any order) to the path: the document is composed in
// memory (pictures go into the picture directory at once), written under a
// temporary name, flushed and closed; an existing file becomes the "~"
// backup and the new one takes the name. 1 on success, -1 otherwise.
int XmlWriteFile(const std::string& path, std::span<const ObjectHandle> pages);

// The document's text for the pages, as written to the path (pictures are
// written beside it).
std::string XmlComposeDocument(const std::string& path, std::span<const ObjectHandle> pages, bool* complete);

// Removes a directory tree depth first; the first non-zero result of the
// callback stops the walk and is returned.
int INT_RemoveTree(const std::string& path, int (*callback)(const char* path, bool isDirectory));

// Runs the file selection with the prompt and button; false when cancelled.
bool XmlSelectFile(const char* prompt, const char* button, std::string* path);

// The picture directory of the last save or load.
const std::string& XmlPictureDirectory();
void XmlSetPictureBase(const std::string& directory);
const std::string& XmlPictureBase();
