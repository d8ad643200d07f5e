// The tests' entry: like the dialog, they take the locale the environment names, and CTest
// runs each again under de_DE.UTF-8 and ru_RU.UTF-8, so every figure they check must come
// out the same with a decimal comma.
#include <gmock/gmock.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const char* wanted = std::getenv("LC_ALL");
    if (!std::setlocale(LC_ALL, "") && wanted && *wanted) {
        // A run that silently fell back to "C" would check nothing.
        std::fprintf(stderr, "locale %s is not installed: scripts/install-deps.sh generates it\n",
                     wanted);
        return 1;
    }
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
