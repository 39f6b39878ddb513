// Stand-ins for services of the net layer whose modules this program does
// not carry yet (the editor's dialogs, the simulator's diagram options,
// the hierarchy page's updates, the key-region texts, the graphic defaults
// and the kernel's connector re-attachment). Each does the nothing that
// leaves the net and the diagram as they are, and the ones a user can reach
// say so in the status bar. Remove an entry when its module lands.
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/ConvertToSim/CTSSeams.h"
#include "atolq/DEclarations/DEclarations.h"
#include "atolq/PageStructure/HierarchySeams.h"

