// The known scene in a freeglut window.
#include <GL/freeglut.h>

#include <cstdlib>
#include <string>

#include "toolkit_scene.h"

namespace {

int gFrames = 0;
std::string gReport = "no frame drawn";

void Frame() {
    if (!toolkit_test::RunningOnMora(&gReport)) std::exit(toolkit_test::Finish(false, gReport));
    toolkit_test::DrawScene();
    glutSwapBuffers();
    const bool shown = toolkit_test::WindowShowsScene(&gReport);
    if (shown || ++gFrames >= toolkit_test::kMaxFrames) std::exit(toolkit_test::Finish(shown, gReport));
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(toolkit_test::kWidth, toolkit_test::kHeight);
    glutCreateWindow("mora freeglut scene");
    glutDisplayFunc(Frame);
    glutMainLoop();
    return 1;
}
