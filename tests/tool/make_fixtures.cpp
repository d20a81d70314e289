// Writes the files the dtbtool tests run on: each one a case the tool must
// handle, made with the same builder as the core tests.
#include <string>

#include "test_support.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    const std::vector<uint8_t> header = {0x0A, 2, 0, 1, 2, 3, 4};
    bool ok = true;

    DtbBuilder unknown;
    unknown.Header(header).Scalar(0, 5).Scalar(3, 0);
    ok &= SaveFile(dir, "unknown.dtb", unknown.File(7));

    DtbBuilder whole;
    whole.Header(header).Node(16, 1, 9).Text(5, "kept").Text(32, "cut short");
    std::vector<uint8_t> truncated = whole.File(7);
    truncated.resize(truncated.size() - 3);
    ok &= SaveFile(dir, "truncated.dtb", truncated);

    // A payload far beyond one 8192-byte block, with chunks after it that a
    // save must not lose.
    DtbBuilder big;
    big.Header(header).Text(32, std::string(20000, 'b') + "end").Scalar(0, 77).Text(5, "after");
    ok &= SaveFile(dir, "big.dtb", big.File(0xCAFEF00D));

    // More than the 64 KiB of the full-disk test's file system.
    DtbBuilder huge;
    huge.Header(header).Text(32, std::string(200000, 'h')).Scalar(0, 1);
    ok &= SaveFile(dir, "huge.dtb", huge.File(1));

    DtbBuilder tabs;
    tabs.Header({0, 1, 0, 0, 0, 0, 0}).Text(5, "Level 3").Text(5, std::string("nul\0hidden", 10)).Text(5, "a\tb\n12");
    ok &= SaveFile(dir, "texts.dtb", tabs.File(0));

    ok &= SaveFile(dir, "short_key.dtb", {1, 2});
    return ok ? 0 : 1;
}
