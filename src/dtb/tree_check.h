// Where the counts that encode the tree disagree with the table, in words,
// and the repair that makes the counts say what the table holds. The tree
// view takes such a table without complaint; the editor and dtbtool tell.
#pragma once

#include <cstddef>
#include <cstdint>

#include "chunk_path.h"
#include "document.h"

enum CountFaultKind : int32_t {
    FaultNodeShort = 1,     // the table ends before the node has all its children
    FaultBeyondCounts = 2,  // a top-level chunk past the header's top-level count
    FaultHeaderCount = 3,   // the header's count is not the number of top-level chunks
    FaultUnknownType = 4,   // a chunk no count can take
};

struct CountFault {
    CountFaultKind Kind;
    int32_t Chunk;     // the chunk concerned; -1 for FaultHeaderCount
    int32_t Expected;  // the count as recorded (ChildCount, header count; the type code)
    int32_t Found;     // what the table holds
};

typedef void (*CountFaultHook)(void* context, const CountFault* fault);

// Reports every fault to hook in table order, the header's last. Reads the
// table as the tree view does with identifiers shown. Returns the number of
// faults, or -1 after a report when memory runs out.
int32_t CheckTreeCounts(const Document* doc, CountFaultHook hook, void* context);

// The fault as one line of text without a line break, the chunk named by
// its index and its path, such as "chunk 2403 (items/item[2]): node has 31
// of its 121 children"; a chunk that has no path, or any chunk when index
// is null (it could not be built), by its index alone. Writes at most
// outSize bytes (outSize >= 1) and returns the length of the whole text, as
// snprintf does.
int32_t FormatCountFault(const Document* doc, const PathIndex* index, const CountFault* fault, char* out,
                         size_t outSize);

// Sets every node's count that the table leaves short to the children it
// has, and the header's top-level count to the top-level chunks there are
// (at most 65535), as one change that Undo takes back. Afterwards the
// check finds nothing but what no count can mend: more than 65535 top-level
// chunks, unknown types. Returns the number of counts changed (0: nothing
// to do, or a repair too large to undo that the user declined; no change
// made), or -1 after a report when memory runs out.
int32_t RepairTreeCounts(Document* doc);
