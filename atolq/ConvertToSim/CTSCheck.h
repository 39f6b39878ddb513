// The syntax check of the net: the name rules O.1 to O.11, the
// structure rules S.1 to S.4 with the fusion-set and socket rules, and the
// texts of the requests it sends to the ML evaluator.
#pragma once

#include <string>

#include <cstdint>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/MemFile.h"

struct LMList;
struct HashTable;

#include "atolq/ConvertToSim/CTSModule.h"

// Reports a message on a record's diagram object; details may be null.
void CTSReport(SEHead* record, const char* message, MemFile* details = nullptr);

// Root option word bits of the name rules.
inline constexpr uint32_t kCTSOptO1 = 0x001, kCTSOptO2 = 0x002, kCTSOptO4 = 0x008, kCTSOptO5 = 0x010,
                          kCTSOptO7 = 0x040, kCTSOptO9 = 0x100, kCTSOptO10 = 0x200, kCTSOptAll = 0x400;
// 1 when any bit of the mask is set in the root's option word.
int CTSOption(uint32_t mask);
// 1 when bit 0 of the page's use word is set.
bool CTSPageInUse(const SEPage* page);

// ---- names ----
int CTSLegalMLName(const char* name);
int CTSOGRefusedName(const char* name);

// ---- name rules ----
int CTSCheckPageNames(SEPage* page);        // O.2, O.5, O.8
int CTSCheckPageNameUnique(SERoot* root);   // O.7 over all pages
int CTSCheckPlaceNames(SEPlace* place);     // O.1, O.3, O.11
int CTSCheckTransNames(SETrans* trans);     // O.4, O.6, O.11
int CTSCheckArcsHaveExpressions(SETrans* trans, bool substitution); // O.9 / O.10

// ---- colour sets of single places ----
int CTSCheckPlaceColourSet(SEPlace* place); // C.6, C.7

// ---- structure rules ----
int CTSCheckPageFusion(SEPage* page);                  // S.1 or both fusion passes
int CTSCheckGlobalTransFusion(SERoot* root);           // S.1, global sets
int CTSCheckFusionSet(SEPlaceFusSet* set, int pass);   // C.16, C.17
int CTSCheckCompound(SECompound* compound);            // S.2, S.3, C.15, C.18, C.19
int CTSCheckPortsInjective(SECompound* compound);      // S.4
// Marks the compound of a substitution transition 0x20 as the transition pass does.
void CTSMarkCompound(SECompound* compound);

// ---- requests ----
void CTSWriteInputText(const char* text, uint32_t length, MemFile* file);
void CTSWriteMLString(const char* text, uint32_t length, MemFile* file);
// A text as an ML string literal (quotes and backslashes escaped), so that
// names taken from the net cannot break out of a request.
std::string CTSMLStringLiteral(const char* text);
// Sends a request (with an input text when not null); a carriage return goes
// into the reply first. Link code.
int16_t CTSSend(const char* request, const char* input, MemFile* reply);
int CTSParseDecl(int subKind, const char* text, MemFile* reply);  // ParseGlobDecl / ParseTempDecl
int CTSDefineGlob(MemFile* reply);                                // the number, or a negative code
int CTSVarTabInit(MemFile* reply);
int CTSVarGuard(const char* guard, MemFile* reply);
// The guard function of a transition: 2 accepted at once, 1 accepted with
// TOLQ'BLTB, negative code otherwise. pattern names the selected variables.
int CTSCompileGuard(const char* prefix, const char* mlName, const char* const* variables, int count,
                    const char* guard, MemFile* reply);
// The initial-marking check (defines TOLQ'IM<mlName>): 1 or 2 pass. An
// evaluator of the second kind checks it directly, others through the
// function text built on the legal-multiset function of legalName.
int CTSCheckInitialMarking(const char* marking, const char* colourSet, const char* mlName,
                           const char* legalName, bool timed, MemFile* reply);
// TOLQ'VelkorResourceDir := "<directory>"; link code.
int CTSSetResourceDir(const char* directory, MemFile* reply);
// Parses a page's local declarations under its ML number; link code.
int CTSParseLocDecl(const char* pageNumber, const char* text, MemFile* reply);
// Opens (TOLQ'EST) or closes (TOLQ'ESF) a page's local scope; link code,
// -1 for an evaluator of another kind.
int CTSPageScope(const char* pageNumber, bool open, MemFile* reply);
// The transition rules' requests; each resets nothing and returns the link
// code (or the reader's) unless said otherwise.
int CTSCodeSegText(const char* code, MemFile* reply);
int CTSTransDelayText(const char* time, MemFile* reply);
// VarInArc / VarOutArc with the arc's argument; the two numbers of the reply.
int CTSVarArc(bool input, const char* argument, const char* expression, MemFile* reply, uint32_t* timed,
              uint32_t* second);
int CTSCheckVar(MemFile* reply);
// Appends the variable table's rows (SECodeVariable) to the list.
int CTSReturnVarTable(const char* mlName, MemFile* reply, LMList* variables);
// The guard function of the second kind's evaluator: 2 or 1, else a code.
int CTSCheckGuard(MemFile* reply);
// The function of a shared arc entry: 2 or 1, else a code.
int CTSDefineArcFunction(bool input, bool timedPlace, const char* argument, const char* entry, const char* colourSet,
                         MemFile* reply);
// The function of an arc without expression: 1, else a code.
int CTSDefineEmptyArc(bool tempty, const char* entry, const char* transName, MemFile* reply);
int CTSCodeSeg(const char* transName, const char* pageNumber, MemFile* reply);
// The code guard's text (a new string) from the reply.
int CTSCodeGuard(MemFile* reply, char** guard);
int CTSDefineDelay(MemFile* reply);
// Fills the table with the evaluator's colour sets (name, second text, timed
// flag): 0, a link code, or -8 for a broken reply.
int CTSReturnColourTable(MemFile* reply, HashTable* table);

// The initial-marking check of a fusion set with its chosen member: 1 or 2 pass.
int CTSCheckFusionMarking(SEPlaceFusSet* set, SEPlace* chosen);
// Saves the evaluator's image under the name (TOLQ'Edit.SaveImage); link code.
int CTSSaveImageRequest(const char* name);

// ---- starting and stopping the evaluator ----
// The configuration callback: use-fresh-image flag; out the local flag, host,
// port, fresh image, the diagram's saved image, the run-time program and the
// remote working directory (new strings); the defaults level (3 in force,
// 4 the user's standard settings). Nonzero when it filled the settings.
using CTSConfigFn = int (*)(int remote, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile,
                            char** runtime, char** directory, uint32_t* directoryLength, uint32_t level);
// 1 when the evaluator is up and usable, 0 on failure or cancel. The
// declarations-defined and saved-image words it reads and clears are the net
// data base's DeclsCompiled and MLImageSaved.
int CTSStartEvaluator(CTSConfigFn configuration);
// 1 when the evaluator was shut down, 0 when it could not be interrupted.
int CTSStopEvaluator();
// Session buffer, request buffers and the reply readers' allocator; 0 or -1.
int CTSStartModule(void* (*allocate)(uint32_t size));
int CTSStopModule();

// ---- inscription rules ----
// Parses and defines a global (sub-kind 1) or temporary (3) declaration node:
// 1 and the node marked when it was defined, 0 after C.4 or a stop.
int CTSCheckDeclNode(SEDeclNode* node, int subKind);
// C.3 and C.5: parses the local declarations of a page in use that lacks its
// mark (an empty text when it has no node). 1 when the page's check ends.
int CTSCheckLocalDecls(SEPage* page);
// Clears the marks of the transitions with a code region (and of their
// compound records) and forgets their arcs' ML names.
void CTSUncheckForLocalDecls(LMList* transitions);
// C.8: the initial marking of a place outside fusion sets whose colour set
// passed; 1 after a report.
int CTSCheckPlaceMarking(SEPlace* place);
// C.11 on the variables of one arc: its timed and second flags; 1 after a
// report (the arc error word is then set).
int CTSCheckArcVariables(SEArc* arc, bool input);
// C.11 on the function of one arc, shared by arcs of equal key; 1 after a
// report (the arc error word is then set).
int CTSDefineArc(SEArc* arc, bool input);
// The transition rules (O.9/O.10 and C.9 to C.14, C.20); 1 after a report.
int CTSCheckTransition(SETrans* trans);
// Runs check over the page's transitions inside the page's local scope.
void CTSCheckPageTransitions(SEPage* page, void (*check)(SETrans* trans));

// C.21 to C.24: a chart's code defined in the evaluator; 1 after a report.
int CTSCheckBarChart(SEBarChart* chart);
int CTSCheckLineChart(SELineChart* chart);

// ---- the driver ----
// The full check: 1 when it ran to its end, 0 when it stopped (by the hook,
// a declaration error, a failed evaluator start, a missing or duplicated
// global declaration node). The spare words and the mode are not read.
int CTSCheckNet(CTSErrorReporter reporter, uint32_t spare, int16_t mode, uint32_t spare2, int simulatorChecks,
                ProgressCallback hook, CTSConfigFn configuration);
// The shorter pass before a switch: pages, fusion sets, places, transitions
// and charts only.
int CTSRecheckNet(CTSErrorReporter reporter, uint32_t spare, int16_t mode, uint32_t spare2, uint32_t spare3,
                  ProgressCallback hook);
// Before the newer simulator's check: drops the shared check entries and the
// colour table, clears the checked marks (keeping the ML numbers) and marks
// the charts changed. The caller resets the declarations' compile marks.
void CTSPrepareNewCheck();
// Clears the mask in every record reachable from the root; with the checked
// mark also the records' ML names. Arcs always lose their ML names.
void CTSClearMarks(uint32_t mask);
