// Runs the tests under the locale of the environment (LC_ALL=de_DE.UTF-8 in
// one pass of `make test`), so that any output byte that depended on the
// locale would show up as a failure.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    try {
        std::locale::global(std::locale(""));
    } catch (const std::exception&) {
        // The environment names a locale that is not installed: keep "C".
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
