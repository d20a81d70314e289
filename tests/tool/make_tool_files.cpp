// Writes the files the dtbtool tests run on, each one a case the tool must
// handle, made with the same builder as the core tests.
#include <algorithm>
#include <random>
#include <string>

#include "chunk_types.h"
#include "cipher.h"
#include "dtb_kit.h"

static std::vector<uint8_t> CutShort(const DtbBuilder& b, uint32_t key) {
    std::vector<uint8_t> file = b.File(key);
    file.resize(file.size() - 3);
    return file;
}

// The file enciphered the reader's way: byte by byte, as the builder does
// it, megabytes take seconds.
static std::vector<uint8_t> QuickFile(const DtbBuilder& b, uint32_t key) {
    std::vector<uint8_t> file(4 + b.plain.size());
    WriteU32(file.data(), key);
    std::copy(b.plain.begin(), b.plain.end(), file.begin() + 4);
    CipherState cipher;
    SeedCipher(&cipher, key);
    ApplyCipher(&cipher, file.data(), 4, static_cast<int64_t>(b.plain.size()));
    return file;
}

// A node with a name made of what a path must escape (/ [ ] \ and control
// bytes), digits, '#' and a high byte, often shared by its siblings, over
// numbers that each chunk holds alone and texts that need escaping too.
static void NamedSubtree(DtbBuilder& b, std::mt19937& rng, uint32_t& number, int depth) {
    static const char* const kPieces[] = {"/", "[", "]", "\\", "1", "07", "#", "\xE9", "a", "\x01", "x"};
    std::string name;
    for (uint32_t n = 1 + rng() % 2; n > 0; --n) name += kPieces[rng() % 11];
    const uint16_t children = depth > 0 ? static_cast<uint16_t>(rng() % 5) : 0;
    b.Node(16 + rng() % 2, static_cast<uint16_t>(children + 1), static_cast<int32_t>(number++)).Text(5, name);
    for (uint16_t k = 0; k < children; ++k) {
        if (rng() % 3 == 0) {
            NamedSubtree(b, rng, number, depth - 1);
        } else if (rng() % 2) {
            b.Scalar(0, number++);
        } else {
            b.Text(2, "t\\" + std::to_string(number++) + (rng() % 2 ? "\t/" : "]"));
        }
    }
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = std::string(argv[1]) + "/";
    const std::vector<uint8_t> header = {0x0A, 2, 0, 1, 2, 3, 4};
    bool ok = SaveFile(dir + "short_key.dtb", {1, 2});
    ok &= SaveFile(dir + "unknown.dtb", DtbBuilder().Header(header).Scalar(0, 5).Scalar(3, 0).File(7));
    ok &= SaveFile(dir + "truncated.dtb",
                   CutShort(DtbBuilder().Header(header).Node(16, 1, 9).Text(5, "kept").Text(32, "cut short"), 7));
    // A payload far beyond one 8192-byte block, with chunks after it that a
    // save must not lose.
    DtbBuilder big = DtbBuilder().Header(header).Text(32, std::string(20000, 'b') + "end");
    ok &= SaveFile(dir + "big.dtb", big.Scalar(0, 77).Text(5, "after").File(0xCAFEF00D));
    // More than the 64 KiB of the full-disk test's file system.
    ok &=
        SaveFile(dir + "huge.dtb", DtbBuilder().Header(header).Text(32, std::string(200000, 'h')).Scalar(0, 1).File(1));
    DtbBuilder texts = DtbBuilder().Top(1).Text(5, "Level 3").Text(5, std::string("nul\0hidden", 10));
    ok &= SaveFile(dir + "texts.dtb", texts.Text(5, "a\tb\n12").Text(2, "C:\\x\r\n\x01\x7F\xE9").File(0));
    ok &= SaveFile(dir + "key_only.dtb", {1, 2, 3, 4});
    // Deeper than a parser that walks its path for every chunk can manage.
    DtbBuilder chain = DtbBuilder().Top(1);
    for (int32_t i = 0; i < 30000; ++i) chain.Node(16, 2, i).Text(5, "level");
    ok &= SaveFile(dir + "chain.dtb", chain.Scalar(0, 1).File(3));

    // For tree and check: two chunks beyond the header's count of 1, the
    // last node left short.
    ok &= SaveFile(dir + "faults.dtb",
                   DtbBuilder().Top(1).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 3, 2).Scalar(0, 7).File(5));
    ok &= SaveFile(dir + "faults_repaired.dtb",
                   DtbBuilder().Top(3).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 1, 2).Scalar(0, 7).File(5));
    // The identifier after an empty node is its sibling: two top-level chunks.
    ok &= SaveFile(dir + "header_count.dtb", DtbBuilder().Top(3).Node(16, 0, 1).Text(5, "empty").File(0));
    ok &= SaveFile(dir + "tree_truncated.dtb",
                   CutShort(DtbBuilder().Top(1).Node(16, 2, 9).Text(5, "kept").Text(32, "cut short"), 7));
    // An item text longer than the view's buffer is printed whole.
    ok &= SaveFile(dir + "wide.dtb", DtbBuilder().Top(1).Node(16, 1, -7).Text(5, std::string(2100, 'w')).File(9));
    ok &= SaveFile(dir + "empty.dtb", DtbBuilder().Top(0).File(1));
    // Floats that no short decimal is exactly: 40.3 and 0.1.
    ok &= SaveFile(dir + "floats.dtb", DtbBuilder().Top(2).Scalar(1, 0x42213333).Scalar(1, 0x3DCCCCCD).File(2));
    // For diff and merge: a base, two mods of it in different places, and
    // one that changes the value the first mod changes.
    auto mod = [](uint32_t value, const char* text, bool extra) {
        DtbBuilder b;
        b.Top(2).Node(16, 3, 1).Text(5, "settings").Scalar(0, value).Text(2, text);
        b.Node(17, extra ? 5 : 4, 2).Text(5, "items").Scalar(0, 1).Scalar(0, 2);
        if (extra) b.Scalar(0, 9);
        return b.Scalar(0, 3).File(0x1234);
    };
    ok &= SaveFile(dir + "mod_base.dtb", mod(42, "sky", false));
    ok &= SaveFile(dir + "mod_ours.dtb", mod(43, "a\tb", false));
    ok &= SaveFile(dir + "mod_theirs.dtb", mod(42, "sky", true));
    ok &= SaveFile(dir + "mod_clash.dtb", mod(44, "sky", false));
    ok &= SaveFile(dir + "mod_both.dtb", mod(43, "a\tb", true));
    // A name that a path writes escaped: a/b is a\/b.
    for (int32_t value : {1, 2, 3})
        ok &= SaveFile(dir + "slash" + std::to_string(value) + ".dtb",
                       DtbBuilder().Top(1).Node(16, 2, 1).Text(5, "a/b").Scalar(0, value).File(0));

    // For the paths that every command prints: more top-level chunks than a
    // node can hold children, named nodes on both sides of the 65,535th.
    std::mt19937 rng(29);
    uint32_t number = 0;
    DtbBuilder paths = DtbBuilder().Top(65535);
    for (int32_t k = 0; k < 100; ++k) NamedSubtree(paths, rng, number, 3);
    while (number < 70000) paths.Scalar(0, number++);
    for (int32_t k = 0; k < 100; ++k) NamedSubtree(paths, rng, number, 3);
    ok &= SaveFile(dir + "paths.dtb", paths.File(0x600D));
    DtbBuilder names = DtbBuilder().Top(200);  // as few as a merge takes
    for (int32_t k = 0; k < 200; ++k) NamedSubtree(names, rng, number, 3);
    ok &= SaveFile(dir + "names.dtb", names.File(0x600D));
    // A change larger than the editor's undo can hold: 1,200,000 values,
    // written in place (one builder call a value takes seconds as well).
    DtbBuilder values = DtbBuilder().Top(65535);
    values.plain.resize(values.plain.size() + 8 * 1200000);
    for (uint8_t* p = values.plain.data() + kHeaderSize; p < values.plain.data() + values.plain.size(); p += 8)
        WriteU32(p, 0), WriteU32(p + 4, 5);
    ok &= SaveFile(dir + "many_values.dtb", QuickFile(values, 8));
    return ok ? 0 : 1;
}
