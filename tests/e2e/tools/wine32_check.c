/* The first thing scripts/test runs: a 32-bit Windows console program that
 * prints a known line and ends with a known code. Without the 32-bit half of
 * Wine (or without a kernel that runs 32-bit code) Wine prints its own
 * errors instead and may still end with 0, so both are checked. */
#include <stdio.h>

int main(void) {
    printf("32-bit Windows program ran: %u-bit pointers\n", (unsigned)(sizeof(void*) * 8));
    return 42;
}
