// The vertex, colour and texture-coordinate forms without a record of their own, lowered onto
// glVertex2f/3f, the packed colour and glTexCoord2f records: each converts its arguments by GL's
// rules and runs the same hot body inside its own frame, so it counts and traces as itself.
// Vertex and texture coordinates with a fourth component are divided by it; a third texture
// coordinate is dropped (there is only a 2D texture target).
#include "api/gl_conversions.h"
#include "api/lowered_paths.h"
#include "entry/gl_subset.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {

template <class T>
void Vertex2(bool recording, T x, T y) noexcept {
    if (LoweringOn()) {
        HotVertex2(recording, Coordinate(x), Coordinate(y));
    }
}

template <class T>
void Vertex2v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        Vertex2(recording, v[0], v[1]);
    }
}

template <class T>
void Vertex3(bool recording, T x, T y, T z) noexcept {
    if (LoweringOn()) {
        HotVertex3(recording, Coordinate(x), Coordinate(y), Coordinate(z));
    }
}

template <class T>
void Vertex3v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        Vertex3(recording, v[0], v[1], v[2]);
    }
}

template <class T>
void Vertex4(bool recording, T x, T y, T z, T w) noexcept {
    if (LoweringOn()) {
        float fx = Coordinate(x);
        float fy = Coordinate(y);
        float fz = Coordinate(z);
        DivideByW(fx, fy, fz, Coordinate(w));
        HotVertex3(recording, fx, fy, fz);
    }
}

template <class T>
void Vertex4v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        Vertex4(recording, v[0], v[1], v[2], v[3]);
    }
}

template <class T>
void Color3(bool recording, T r, T g, T b) noexcept {
    if (LoweringOn()) {
        HotColour(recording, PackedColour(r, g, b));
    }
}

template <class T>
void Color3v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        Color3(recording, v[0], v[1], v[2]);
    }
}

template <class T>
void Color4(bool recording, T r, T g, T b, T a) noexcept {
    if (LoweringOn()) {
        HotColour(recording, PackedColour(r, g, b, a));
    }
}

template <class T>
void Color4v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        Color4(recording, v[0], v[1], v[2], v[3]);
    }
}

template <class T>
void TexCoord1(bool recording, T s) noexcept {
    if (LoweringOn()) {
        HotTexCoord(recording, Coordinate(s), 0.0f);
    }
}

template <class T>
void TexCoord1v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        TexCoord1(recording, v[0]);
    }
}

template <class T>
void TexCoord2(bool recording, T s, T t) noexcept {
    if (LoweringOn()) {
        HotTexCoord(recording, Coordinate(s), Coordinate(t));
    }
}

template <class T>
void TexCoord2v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        TexCoord2(recording, v[0], v[1]);
    }
}

template <class T>
void TexCoord3(bool recording, T s, T t, T /*r*/) noexcept {
    TexCoord2(recording, s, t);
}

template <class T>
void TexCoord3v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        TexCoord2(recording, v[0], v[1]);
    }
}

template <class T>
void TexCoord4(bool recording, T s, T t, T /*r*/, T q) noexcept {
    if (LoweringOn()) {
        float fs = Coordinate(s);
        float ft = Coordinate(t);
        float unused = 0.0f;
        DivideByW(fs, ft, unused, Coordinate(q));
        HotTexCoord(recording, fs, ft);
    }
}

template <class T>
void TexCoord4v(bool recording, const T* v) noexcept {
    if (v != nullptr) {
        TexCoord4(recording, v[0], v[1], v[2], v[3]);
    }
}

}  // namespace

// One exported entry: its hot frame around the body for its argument type.
#define MORA_LOWERED(Name, Bytes, Body, Type, Params, Args) \
    MORA_GLAPI void MORA_APIENTRY gl##Name Params { RunHotEntry<EntryId::gl##Name, Bytes, Body<Type>> Args; }

// The scalar and vector forms of one entry family for one type suffix.
#define MORA_FORMS2(Family, Suffix, Type, Bytes)                                      \
    MORA_LOWERED(Family##2##Suffix, Bytes, Family##2, Type, (Type x, Type y), (x, y)) \
    MORA_LOWERED(Family##2##Suffix##v, Bytes, Family##2v, Type, (const Type* v), (v))
#define MORA_FORMS3(Family, Suffix, Type, Bytes)                                                 \
    MORA_LOWERED(Family##3##Suffix, Bytes, Family##3, Type, (Type x, Type y, Type z), (x, y, z)) \
    MORA_LOWERED(Family##3##Suffix##v, Bytes, Family##3v, Type, (const Type* v), (v))
#define MORA_FORMS4(Family, Suffix, Type, Bytes)                                                            \
    MORA_LOWERED(Family##4##Suffix, Bytes, Family##4, Type, (Type x, Type y, Type z, Type w), (x, y, z, w)) \
    MORA_LOWERED(Family##4##Suffix##v, Bytes, Family##4v, Type, (const Type* v), (v))

extern "C" {

MORA_FORMS2(Vertex, d, GLdouble, kVertex2Bytes)
MORA_FORMS2(Vertex, i, GLint, kVertex2Bytes)
MORA_FORMS2(Vertex, s, GLshort, kVertex2Bytes)
MORA_FORMS3(Vertex, d, GLdouble, kVertex3Bytes)
MORA_FORMS3(Vertex, i, GLint, kVertex3Bytes)
MORA_FORMS3(Vertex, s, GLshort, kVertex3Bytes)
MORA_FORMS4(Vertex, d, GLdouble, kVertex3Bytes)
MORA_FORMS4(Vertex, f, GLfloat, kVertex3Bytes)
MORA_FORMS4(Vertex, i, GLint, kVertex3Bytes)
MORA_FORMS4(Vertex, s, GLshort, kVertex3Bytes)

MORA_FORMS3(Color, b, GLbyte, kColourBytes)
MORA_FORMS3(Color, d, GLdouble, kColourBytes)
MORA_FORMS3(Color, i, GLint, kColourBytes)
MORA_FORMS3(Color, s, GLshort, kColourBytes)
MORA_FORMS3(Color, ui, GLuint, kColourBytes)
MORA_FORMS3(Color, us, GLushort, kColourBytes)
MORA_LOWERED(Color3ub, kColourBytes, Color3, GLubyte, (GLubyte red, GLubyte green, GLubyte blue), (red, green, blue))
MORA_FORMS4(Color, b, GLbyte, kColourBytes)
MORA_FORMS4(Color, d, GLdouble, kColourBytes)
MORA_FORMS4(Color, i, GLint, kColourBytes)
MORA_FORMS4(Color, s, GLshort, kColourBytes)
MORA_FORMS4(Color, ui, GLuint, kColourBytes)
MORA_FORMS4(Color, us, GLushort, kColourBytes)

MORA_LOWERED(TexCoord1d, kTexCoordBytes, TexCoord1, GLdouble, (GLdouble s), (s))
MORA_LOWERED(TexCoord1dv, kTexCoordBytes, TexCoord1v, GLdouble, (const GLdouble* v), (v))
MORA_LOWERED(TexCoord1f, kTexCoordBytes, TexCoord1, GLfloat, (GLfloat s), (s))
MORA_LOWERED(TexCoord1fv, kTexCoordBytes, TexCoord1v, GLfloat, (const GLfloat* v), (v))
MORA_LOWERED(TexCoord1i, kTexCoordBytes, TexCoord1, GLint, (GLint s), (s))
MORA_LOWERED(TexCoord1iv, kTexCoordBytes, TexCoord1v, GLint, (const GLint* v), (v))
MORA_LOWERED(TexCoord1s, kTexCoordBytes, TexCoord1, GLshort, (GLshort s), (s))
MORA_LOWERED(TexCoord1sv, kTexCoordBytes, TexCoord1v, GLshort, (const GLshort* v), (v))
MORA_FORMS2(TexCoord, d, GLdouble, kTexCoordBytes)
MORA_FORMS2(TexCoord, i, GLint, kTexCoordBytes)
MORA_FORMS2(TexCoord, s, GLshort, kTexCoordBytes)
MORA_FORMS3(TexCoord, d, GLdouble, kTexCoordBytes)
MORA_FORMS3(TexCoord, f, GLfloat, kTexCoordBytes)
MORA_FORMS3(TexCoord, i, GLint, kTexCoordBytes)
MORA_FORMS3(TexCoord, s, GLshort, kTexCoordBytes)
MORA_FORMS4(TexCoord, d, GLdouble, kTexCoordBytes)
MORA_FORMS4(TexCoord, f, GLfloat, kTexCoordBytes)
MORA_FORMS4(TexCoord, i, GLint, kTexCoordBytes)
MORA_FORMS4(TexCoord, s, GLshort, kTexCoordBytes)

}  // extern "C"
