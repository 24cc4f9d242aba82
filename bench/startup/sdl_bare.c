/* The floor for the player's start-up: a process that links SDL2, starts its video and (without the
   argument "init") opens and presents one window, then ends. */
#include <SDL.h>
#include <string.h>

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    if (argc > 1 && strcmp(argv[1], "init") == 0) {
        SDL_Quit();
        return 0;
    }
    SDL_Window* w = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 502, 0);
    SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, 0) : NULL;
    if (r) {
        SDL_RenderClear(r);
        SDL_RenderPresent(r);
        SDL_DestroyRenderer(r);
    }
    if (w) SDL_DestroyWindow(w);
    SDL_Quit();
    return 0;
}
