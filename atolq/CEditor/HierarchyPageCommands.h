// The net editor's commands around the hierarchy page and their dialogs.
#pragma once

// "New Page": a net page on a new kernel page, with its page node; the page
// that was current keeps the style of an open page. 1 when made.
int EE_NewPage();

// The redraw dialog: compressed (unit multipliers) or not, and whether to
// rebuild from scratch. 0 on "Cancel".
int EE_AskRedrawHierarchy(int* compressed, int* fromScratch);
// "Redraw Hierarchy...": lays the hierarchy page out again, or rebuilds it.
int EE_RedrawHierarchy();

// The hierarchy page layout dialog on the diagram's record 1059; 1 when "OK"
// stored the new values.
int EE_EditPageLayout();
// "Hierarchy Page Options...": the layout dialog, then the hierarchy page
// laid out with the new options.
int EE_HierarchyOptions();
