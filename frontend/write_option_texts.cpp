// Writes a text made from the table of options, at build time:
//   write_option_texts completion PATH       the bash completion of torvane-cli
//   write_option_texts manual PAGE PATH      the manual page PAGE with its options' entries
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "option_manual.h"
#include "option_table.h"

namespace {

bool Write(const char* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

int WriteManual(const char* pagePath, const char* path) {
    std::ifstream in(pagePath, std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        std::fprintf(stderr, "write_option_texts: cannot read %s\n", pagePath);
        return 1;
    }
    std::string merged, error;
    if (!torvane::frontend::MergeManualOptions(page, merged, error)) {
        std::fprintf(stderr, "write_option_texts: %s: %s\n", pagePath, error.c_str());
        return 1;
    }
    return Write(path, merged) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "completion" && argc == 3) return Write(argv[2], torvane::frontend::BashCompletion()) ? 0 : 1;
    if (what == "manual" && argc == 4) return WriteManual(argv[2], argv[3]);
    std::fprintf(stderr, "usage: write_option_texts completion PATH | manual PAGE PATH\n");
    return 2;
}
