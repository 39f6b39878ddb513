// The user's standard defaults file in the home directory: a 10-byte header
// ("CPUXDF", version "10", two blanks) and one defaults section in the
// kernel's diagram-file encoding; a file without the header is read in the
// older XDR format. Also the reset of the diagram level from the others and
// the start-up of the defaults.
#pragma once

#include <cstdint>

inline constexpr char kDefaultsFileName[] = ".TOLQSettings3.0";
inline constexpr char kDefaultsMagic[] = "CPUXDF";
inline constexpr char kDefaultsHeader[] = "CPUXDF10  ";
inline constexpr uint32_t kDefaultsHeaderSize = 10;

inline constexpr int16_t kMsgDefaultsUnreadable = 11351;
inline constexpr int16_t kMsgNoDiagramDefaults = 16398;
inline constexpr char kDefaultsSaveFailed[] =
    "Save standard defaults failed. Check write permission on ~/.TOLQSettings";

inline constexpr char kDefaultsMissingStatus[] = "No .TOLQSettings file yet: the built-in defaults are used.";

// $HOME joined with the file name, as a new string from GE_Alloc; null
// without HOME.
char* GE_DefaultsFilePath();
// 1 to go on with the start-up, 0 to stop it. Without HOME or without a file
// the built-in values hold (1); a damaged file asks whether to go on.
int GE_ReadDefaultsFile();
// 1 when the file was written, 0 when nothing was to be written or it failed
// (a failure is shown; without HOME nothing is written, quietly).
int GE_SaveDefaultsFile();
int GE_ResetDiagramDefaults();
int GE_InitDefaults(int atStartUp);
int GE_ConvertDiagramDefaults();
// Loads the diagram-level settings into the hierarchy page and, without the
// start-up flag, into the simulator modules.
void GE_ApplyDiagramSettings(int atStartUp);
// The evaluator start's configuration; strings are new GE_Alloc blocks.
int GE_GetMLSettings(int remote, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile,
                     char** runtime, char** directory, uint32_t* directoryLength, uint32_t level);
