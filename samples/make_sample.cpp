// Writes the project's sample DTB file: a small tree with every shape and
// most type codes.
#include <cstdio>

#include "dtb_kit.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUT\n");
        return 2;
    }
    DtbBuilder b;
    b.Header({0x1C, 5, 0, 0xDE, 0xAD, 0xBE, 0xEF});
    b.Node(16, 7, 1);  // top level 1
    b.Text(5, "settings");
    b.Scalar(0, 42);
    b.Scalar(1, 0x3FC00000);  // 1.5f
    b.Node(17, 4, 2);
    b.Text(5, "window");
    b.Text(18, "Main Window");
    b.Scalar(0, 0xFFFFFFFF);
    b.Scalar(6, 0xEFBEADDE);
    b.Text(33, "data\\textures\\sky.dds");
    b.Text(32, "line one\nline two");
    b.Node(19, 0, 3);        // an empty node
    b.Text(2, "OnLoad(x)");  // top level 2
    b.Node(16, 2, -1);       // top level 3
    b.Text(7, "Level 3");
    b.Text(34, "maps\\level3.map");
    b.Scalar(8, 0x04030201);  // top level 4
    b.Scalar(9, 0);
    if (SaveFile(argv[1], b.File(0x1234ABCD))) return 0;
    std::fprintf(stderr, "Could not write file %s\n", argv[1]);
    return 1;
}
