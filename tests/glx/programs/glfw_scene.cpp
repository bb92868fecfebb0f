// The known scene in a GLFW window.
#include <GLFW/glfw3.h>

#include <string>

#include "toolkit_scene.h"

int main() {
    if (glfwInit() != GLFW_TRUE) return toolkit_test::Finish(false, "glfwInit failed");
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 1);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    GLFWwindow* window =
        glfwCreateWindow(toolkit_test::kWidth, toolkit_test::kHeight, "mora glfw scene", nullptr, nullptr);
    if (window == nullptr) return toolkit_test::Finish(false, "glfwCreateWindow failed");
    glfwMakeContextCurrent(window);
    std::string report = "no frame drawn";
    bool shown = false;
    for (int frame = 0; frame < toolkit_test::kMaxFrames && !shown && toolkit_test::RunningOnMora(&report); ++frame) {
        glfwPollEvents();
        toolkit_test::DrawScene();
        glfwSwapBuffers(window);
        shown = toolkit_test::WindowShowsScene(&report);
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return toolkit_test::Finish(shown, report);
}
