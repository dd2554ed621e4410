#include <cstdio>

int main() {
    std::puts("Quorvel: the main window is not built yet.");
    return 0;
}
