// kavlo: builds a web photo album from a folder of photos.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Kavlo %s\n", KAVLO_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: kavlo [FOLDER] [-Automation]\n");
            return 0;
        }
    }
    std::printf("Kavlo %s\n", KAVLO_VERSION);
    return 0;
}
