// The quick way through a JSON file: the events the JSON library's SAX parser
// would hand a handler, read straight from a buffer of the file, for the JSON
// that export writes and most that people edit. Whatever it is not sure to
// read as the library does (a syntax error, a zero byte, a number of more than
// 18 digits or past a double, a character of more than two UTF-8 bytes, an
// escaped surrogate, a byte order mark) it leaves to the library: it stops,
// and the file is read again from its start by the library, which then also
// words any message about the JSON itself.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The file as the scanner reads it: in blocks, of which it keeps the bytes
// from the token being read on, or, when the file cannot be read again from
// its start (a pipe), every byte read, for the library to read again.
struct JsonInput {
    std::FILE* in;
    bool rewindable;
    long start = 0;  // where the JSON starts in a rewindable file
    std::vector<char> bytes;
    size_t pos = 0;   // the next byte
    size_t end = 0;   // one past the last byte read
    size_t mark = 0;  // the first byte still wanted: the token's (or pos)
    bool ended = false;

    explicit JsonInput(std::FILE* file);
};

enum ScanOutcome {
    ScanRead,     // the whole document, every event taken
    ScanStopped,  // the handler refused an event (it has said why)
    ScanUnsure,   // left to the library: read the file again from its start
};
ScanOutcome ScanJson(JsonInput* input, nlohmann::json_sax<nlohmann::json>* handler);
