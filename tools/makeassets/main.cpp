// makeassets: draws the pointers, icons and background installed beside
// ShuBiao.exe and writes them into the repository.
// Usage: makeassets <repository root>
#include <cstdio>
#include <exception>
#include <string>

#include "Background.h"
#include "Cursors.h"
#include "Icons.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    try {
        makeassets::writeCursors(root + "/assets/Data storage/Cursors");
        makeassets::writeWindowIcon(root + "/assets/Skin/ico.ico");
        makeassets::writeProgramIcon(root + "/app/res/ShuBiao.ico");
        makeassets::writeBackground(root + "/assets/Skin/General.jpg");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "makeassets: %s\n", e.what());
        return 1;
    }
    return 0;
}
