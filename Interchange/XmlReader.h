// The XML reader's object builders: "Load XML..." adds the pages of an XML
// file to the open diagram, with their nodes, regions, connectors, fusion
// sets, substitutions and the hierarchy page's settings.
#pragma once

#include "Interchange/XmlTree.h"

#include <string>

// The command: file selection, then the load. 1 when the command ran (also
// after a cancel or an open failure), -1 after a parse error.
int INT_LoadXML();
// Loads the file at the path (log beside it); 1, or -1 after a parse error,
// 0 when the file cannot be read.
int XmlLoadFile(const std::string& path);
// Builds everything below the root.
void INT_Extract(XmlCell& root);
