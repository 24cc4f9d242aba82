// ruvoplay: plays a game folder.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("ruvoplay %s\n", RUVO_VERSION);
        return 0;
    }
    std::printf("ruvoplay %s\nusage: ruvoplay [OPTIONS] GAMEFOLDER...\n"
                "The interpreter is not built yet; this build only reports its version.\n",
                RUVO_VERSION);
    return argc > 1 ? 2 : 0;
}
