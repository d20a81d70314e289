// dtbtool: the DTB core on the command line. The commands, each in a file
// of its own, share the exit statuses and the helpers here (tool.cpp); the
// main file only chooses the command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "chunk_path.h"
#include "document.h"

// Exit statuses. Most commands are done (0) or refused (1); find, diff and
// merge answer a question as grep and diff do, so for them 1 is the other
// answer and trouble is 2. Each command's line in --help and the README
// says which it gives.
const int kExitDone = 0;
const int kExitNoMatch = 1;  // find: nothing matched
const int kExitDifferent =
    1;                       // diff: the files differ; check: a count disagrees; merge: conflicts left, nothing written
const int kExitRefused = 1;  // a file, path or value was refused, or a file could not be read or written
const int kExitUsage = 2;    // the command line is not the command's
const int kExitTrouble = 2;  // find, diff, merge: a file could not be read or written, or memory ran out

// What a command returns for a command line that is not its own: the main
// file then prints the usage and exits with kExitUsage.
const int kBadUsage = -1;

// A document state with its memory allocated, whose messages go to report
// (nullptr: stderr) and which keeps no undo history. Returns false (after
// the message) when the memory cannot be had.
bool StartDocument(Document* doc, ReportHook report = nullptr, void* context = nullptr);

// Opens and reads path into the document. Returns false after the message.
bool LoadFile(Document* doc, const char* path);

// Writes the text make gives for chunk (FormatListLine, FormatTreeItemText)
// through print, never cut: a text that outgrows the views' own buffer gets
// one of its own. False after the message when that memory cannot be had.
typedef int32_t (*TextMaker)(const Document* doc, int32_t chunk, char* out, size_t outSize);
typedef void (*TextPrinter)(const char* text, size_t n);
bool PrintWhole(const Document* doc, int32_t chunk, TextMaker make, TextPrinter print);

// The whole of a text that make writes as snprintf does (into out, outSize
// bytes, returning the whole length; negative for none): a path or a value
// is never cut to the views' buffer. "" for none.
std::string WholeText(const std::function<int32_t(char* out, size_t outSize)>& make);

// A chunk's path as every command prints it: exactly as it reads back, so
// never escaped again (its own escapes keep it on one line). "" for none.
std::string PathText(const Document* doc, const PathIndex* index, int32_t chunk);

// Prints the chunk's line as list does, and a line feed. False after the
// message when memory runs out.
bool PrintChunkLine(const Document* doc, int32_t chunk);

// text with backslash, tab, CR, LF and the other control bytes written as
// \\, \t, \r, \n and \xHH, so that one text stays on one line and reads
// back unambiguously; PrintEscaped writes it to stdout.
std::string EscapedText(const char* text, size_t n);
void PrintEscaped(const char* text, size_t n);

int ListCommand(int argc, char** argv);
int CopyCommand(int argc, char** argv);
int TreeCommand(int argc, char** argv);
int CheckCommand(int argc, char** argv);
int ExportCommand(int argc, char** argv);
int ImportCommand(int argc, char** argv);
int FindCommand(int argc, char** argv);
int ReplaceCommand(int argc, char** argv);
int DiffCommand(int argc, char** argv);
int MergeCommand(int argc, char** argv);
int GetCommand(int argc, char** argv);
int SetCommand(int argc, char** argv);
