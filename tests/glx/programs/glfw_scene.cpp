// The known scene in a GLFW window.
#include <GLFW/glfw3.h>

#include "toolkit_scene.h"

int main() {
    if (glfwInit() != GLFW_TRUE) return toolkit_test::Finish(false);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 1);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    GLFWwindow* window =
        glfwCreateWindow(toolkit_test::kWidth, toolkit_test::kHeight, "mora glfw scene", nullptr, nullptr);
    if (window == nullptr) return toolkit_test::Finish(false);
    glfwMakeContextCurrent(window);
    bool shown = false;
    for (int frame = 0; frame < toolkit_test::kMaxFrames && !shown && toolkit_test::RunningOnMora(); ++frame) {
        glfwPollEvents();
        toolkit_test::DrawScene();
        glfwSwapBuffers(window);
        shown = toolkit_test::WindowShowsScene();
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return toolkit_test::Finish(shown);
}
