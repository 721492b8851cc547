// A process that only waits: copied under other names by the tests that look
// processes up by name. Waits the milliseconds given as its argument (60000
// when none), then exits 0.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const long ms = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 60000;
    Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0);
    return 0;
}
