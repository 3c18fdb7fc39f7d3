// The least an SDL program does to show a frame: the same window and renderer as the
// game at multiplier 3, one clear and one present.
#include <SDL.h>

int main(int, char*[]) {
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO);
    SDL_Window* window = SDL_CreateWindow("Kestrelix", SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, 768, 720, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_TARGETTEXTURE);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
