// Child counts that disagree with the table: said once when a file opens,
// listed and repaired in the Check Structure dialog.
#pragma once

#include "base/editor.h"

// After a file is shown: when its counts disagree with its chunks, one
// warning with how many places there are and the first of them.
void TellStructureFaults(Editor* e);

// The Check Structure dialog, whose lines select their places in the main
// window. True when the user chose Repair and the counts were repaired (one
// undoable change); the caller then refreshes the views.
bool RunStructureCheck(Editor* e);
