// dtbtool: the DTB core on the command line.
#pragma once

#include "editor_state.h"

// Exit codes.
const int kExitOk = 0;
const int kExitRefused = 1;  // a file was refused or could not be read or written
const int kExitUsage = 2;

// A document state whose messages go to stderr, with its memory allocated.
// Returns false (after the message) when the memory cannot be had.
bool StartDocument(EditorState* state);

// Opens and reads path into the document. Returns false after the message.
bool LoadFile(EditorState* state, const char* path);

int ListCommand(int argc, char** argv);
int CopyCommand(int argc, char** argv);
int TreeCommand(int argc, char** argv);
int CheckCommand(int argc, char** argv);
