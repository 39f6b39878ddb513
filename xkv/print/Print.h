// PostScript printing and EPS export: the paper table, the document frame
// (prologue, pages laid out one to a sheet, fitted or tiled, trailer and the
// spooler), the emitters that the object drawing calls while an output is
// open, the EPS export command and the master page printed on every sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xkv/text/TextFont.h"
#include "xkv/types/PtArray.h"
#include "xkv/types/Types.h"

struct RImage;

inline constexpr uint32_t kPaperCount = 10;
inline constexpr uint32_t kMasterPageNumber = 10000;
inline constexpr uint32_t kHierarchyPageNumber = 10010;
inline constexpr uint32_t kDashNone = 7;  // dash number of "no line"

// ---- Paper ----
// Width and height in points of a paper; 1 for an index above 9.
KernelStatus Print_GetPaperPoints(uint32_t index, int32_t size[2]);
// "Letter", "A4", ...; "Unknown" for an index above 9.
const char* Print_GetPaperName(uint32_t index);
// The paper less the margins (64 x 66 points).
KernelStatus Print_GetPrintableSize(uint32_t index, int32_t size[2]);
KernelStatus Print_GetOrientedPrintableSize(uint32_t index, uint32_t landscape, int32_t size[2]);
// The paper of the print settings, swapped for landscape.
KernelStatus Print_GetPaperSize(int32_t size[2]);
// Stores the printable size as the diagram's default page size.
KernelStatus Print_SetDefaultPageSize(uint32_t index, uint32_t landscape);

// ---- Document ----
// Opens the output (a new file for the spooler, or the EPS file of the
// export) and writes the prologue.
KernelStatus Print_BeginDocument();
KernelStatus Print_DrawPage(ObjectHandle page);
// Writes the trailer and closes the output; a printed document then goes to
// the spooler. 1 when the output could not be written or spooled.
uint32_t Print_EndDocument();
// Why the last document could not be made or spooled ("The print command
// ... failed with exit status N."), or empty; cleared by taking it.
std::string Print_TakeSpoolFailure();
// Closes the output without a trailer (a printed document's file is removed).
void Print_CloseOutput();
uint32_t Print_IsActive();
// The EPS export of the selected pages: 1, or 0 when stopped by an error.
uint32_t Print_ExportEPS();

// ---- Emitters (called by the object drawing while an output is open) ----
uint32_t Print_Line(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, FixPoint from, FixPoint to);
uint32_t Print_Polyline(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, PtArray points);
uint32_t Print_Polygon(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                       PtArray points);
uint32_t Print_Rect(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern, FixRect box);
uint32_t Print_RoundRect(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                         FixRect box, Fixed corner);
// An ellipse in the box, or the wedge from the first to the second angle
// (degrees counter-clockwise from three o'clock).
uint32_t Print_Oval(Fixed width, uint32_t dash, int32_t lineColour, uint32_t fillColour, uint32_t pattern,
                    FixRect box, int32_t first, int32_t second);
// A connector with rounded corners; 1 and nothing written when it has none.
KernelStatus Print_ArcConnector(ObjectHandle connector, Fixed width, uint32_t dash);
uint32_t Print_Text(const FontSpec& font, FixPoint at, int32_t colour, std::string_view characters);
uint32_t Print_Image(RImage* image, FixRect box);
// Clips to the box until the matching call without one.
void Print_Clip(const FixRect* box);

// ---- Master page ----
// The first page numbered 10000, or 0.
ObjectHandle Print_FindMasterPage();
// Draws one object of the master page with its text fields filled in for
// the printed page.
KernelStatus Master_DrawObject(ObjectHandle object, ObjectHandle page);
// The text of a field (first marker id 105, 109, 113 or 117) for the page.
std::optional<std::string> Master_FieldText(ObjectHandle page, ObjectHandle object, uint32_t firstMarkerId);
void Master_AppendText(std::string& buffer, const char* text, size_t n);
// The text with every field marker replaced for the page.
std::string Master_ExpandFields(ObjectHandle page, ObjectHandle object, std::string_view text);
