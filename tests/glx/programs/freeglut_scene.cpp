// The known scene in a freeglut window.
#include <GL/freeglut.h>

#include <cstdlib>

#include "toolkit_scene.h"

namespace {

int gFrames = 0;

void Frame() {
    if (!toolkit_test::RunningOnMora()) std::exit(1);
    toolkit_test::DrawScene();
    glutSwapBuffers();
    const bool shown = toolkit_test::WindowShowsScene();
    if (shown || ++gFrames >= toolkit_test::kMaxFrames) std::exit(toolkit_test::Finish(shown));
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
