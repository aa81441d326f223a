// Writes a text made from the table of options, at build time:
//   write_option_texts completion PATH   the bash completion of torvane-cli
#include <cstdio>
#include <fstream>
#include <string>

#include "option_table.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "completion") {
        std::fprintf(stderr, "usage: write_option_texts completion PATH\n");
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << torvane::frontend::BashCompletion();
    out.close();
    return out ? 0 : 1;
}
