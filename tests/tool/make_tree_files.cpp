// Writes the files the dtbtool tree and check tests run on: consistent trees,
// counts that disagree with the table, a file that ends inside a chunk.
#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

std::vector<uint8_t> Header(uint16_t topLevel) { return {0, static_cast<uint8_t>(topLevel), 0, 0, 0, 0, 0}; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    bool ok = true;

    // Two chunks beyond the header's count of 1, the last node left short.
    DtbBuilder faults;
    faults.Header(Header(1)).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 3, 2).Scalar(0, 7);
    ok &= SaveFile(dir, "faults.dtb", faults.File(5));

    DtbBuilder counted;
    // The identifier after an empty node is its sibling: two top-level chunks.
    counted.Header(Header(3)).Node(16, 0, 1).Text(5, "empty");
    ok &= SaveFile(dir, "header_count.dtb", counted.File(0));

    DtbBuilder cut;
    cut.Header(Header(1)).Node(16, 2, 9).Text(5, "kept").Text(32, "cut short");
    std::vector<uint8_t> truncated = cut.File(7);
    truncated.resize(truncated.size() - 3);
    ok &= SaveFile(dir, "truncated.dtb", truncated);

    // An item text longer than the view's buffer is printed whole.
    DtbBuilder wide;
    wide.Header(Header(1)).Node(16, 1, -7).Text(5, std::string(2100, 'w'));
    ok &= SaveFile(dir, "wide.dtb", wide.File(9));

    DtbBuilder empty;
    empty.Header(Header(0));
    ok &= SaveFile(dir, "empty.dtb", empty.File(1));
    return ok ? 0 : 1;
}
