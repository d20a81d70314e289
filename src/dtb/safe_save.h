// Saving a document without ever putting the file that is there at risk.
#pragma once

#include <cstdint>

#include "document.h"

// Writes the document to path: into a new temporary file beside it, flushed
// to the disk, which then takes path's place in one step, keeping path's
// attributes, permissions and creation time; a symbolic link is followed and
// stays a link. When another program holds path so that it cannot be
// swapped, the same bytes are written into it in place instead, and only
// once room for all of them is secured.
//
// Refused, with path untouched: a read-only file, anything that is not a
// regular file, a folder that cannot be reached. On any failure the
// temporary is gone (but for the one case the message names) and path holds
// what it held. Temporaries of earlier saves of path that were left behind
// are removed first. Every message names path.
//
// held is the document's own handle on its file, or nullptr: a handle open
// on path would block the swap, so it is closed just before it and *held
// set to kNoFile; the caller opens its file again. Returns 0, or -1 after a
// report.
int32_t SaveDocumentSafely(Document* doc, const char* path, NativeHandle* held);

// The same for any content made from the document: write puts all of it
// into file from its start (it may be asked twice, into the temporary and
// then in place), sets *size (when size is not null) to how many bytes that
// was, and returns 0, or -1 after a report.
typedef int32_t (*ContentWriter)(Document* doc, NativeHandle file, int64_t* size, void* context);
int32_t SaveContentSafely(Document* doc, const char* path, NativeHandle* held, ContentWriter write, void* context);

// For a batch that saves many files: removes the stale temporaries of every
// file in folder (a path that ends in a separator, or "" for the current
// folder) in one look through it, so that the saves of its files that
// follow, through SaveDocumentInSweptFolder, need not look each time: in a
// folder of n files, n looks would cost n * n.
void SweepStaleTemporaries(const Document* doc, const char* folder);
int32_t SaveDocumentInSweptFolder(Document* doc, const char* path);
