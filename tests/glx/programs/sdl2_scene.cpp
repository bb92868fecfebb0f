// The known scene in an SDL2 window.
#include <SDL2/SDL.h>

#include "toolkit_scene.h"

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return toolkit_test::Finish(false);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("mora sdl2 scene", 0, 0, toolkit_test::kWidth, toolkit_test::kHeight,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) return toolkit_test::Finish(false);
    bool shown = false;
    for (int frame = 0; frame < toolkit_test::kMaxFrames && !shown && toolkit_test::RunningOnMora(); ++frame) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
        toolkit_test::DrawScene();
        SDL_GL_SwapWindow(window);
        shown = toolkit_test::WindowShowsScene();
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return toolkit_test::Finish(shown);
}
