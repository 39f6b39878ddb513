// A scripted evaluator for the compile steps: an entry compiles unless its
// name is refused; a compiled entry files its name and the names it
// introduces in the name index, as the evaluator's answer would.
#include "DeclDoubles.h"

#include "atolq/DEclarations/DEclarations.h"

int DEConstraintStep(SEDeclEntry* entry)
{
    std::string name = entry->name != nullptr ? entry->name : "";
    if (world().refuse.count(name) != 0) {
        world().errors.emplace_back(entry->kvObject, name + " refused");
        return 0;
    }
    world().compiled.push_back(name);
    DEFileNameRef(entry, name.c_str(), entry->head.subKind);
    for (const std::string& n : world().introduces[name])
        DEFileNameRef(entry, n.c_str(), entry->head.subKind);
    return 1;
}

int DEItemListConstraints(SEDeclEntry* entry)
{
    ++world().itemListRequests;
    return world().refuse.count(entry->name != nullptr ? entry->name : "") == 0 ? 1 : 0;
}
