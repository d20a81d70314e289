// Where the counts that encode the tree disagree with the table. The tree
// view takes such a table without complaint; this is for tools and tests
// that want to know.
#pragma once

#include <cstdint>

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
