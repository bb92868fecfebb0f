/* MORA's OpenGL 1.1 interface: the GL types, the enumerant values and the 342 GL entry points the
 * driver exports (the 336 OpenGL 1.1 functions and six extension functions), with C linkage.
 * Programs that call libmora directly include this instead of a system GL header; the WGL entry
 * points are declared in mora/wgl.h. */
#ifndef MORA_GL_H
#define MORA_GL_H

/* The standard GL calling convention: stdcall on 32-bit Windows, the platform default elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define MORA_APIENTRY __stdcall
#else
#define MORA_APIENTRY
#endif
#define MORA_GLAPI

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef int GLsizei;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;
typedef void GLvoid;

/* Boolean values and errors */
#define GL_FALSE                         0
#define GL_TRUE                          1
#define GL_NO_ERROR                      0
#define GL_INVALID_ENUM                  0x0500
#define GL_INVALID_VALUE                 0x0501
#define GL_INVALID_OPERATION             0x0502
#define GL_STACK_OVERFLOW                0x0503
#define GL_STACK_UNDERFLOW               0x0504
#define GL_OUT_OF_MEMORY                 0x0505

/* Data types */
#define GL_BYTE                          0x1400
#define GL_UNSIGNED_BYTE                 0x1401
#define GL_SHORT                         0x1402
#define GL_UNSIGNED_SHORT                0x1403
#define GL_INT                           0x1404
#define GL_UNSIGNED_INT                  0x1405
#define GL_FLOAT                         0x1406
#define GL_2_BYTES                       0x1407
#define GL_3_BYTES                       0x1408
#define GL_4_BYTES                       0x1409
#define GL_DOUBLE                        0x140A

/* Primitives */
#define GL_POINTS                        0x0000
#define GL_LINES                         0x0001
#define GL_LINE_LOOP                     0x0002
#define GL_LINE_STRIP                    0x0003
#define GL_TRIANGLES                     0x0004
#define GL_TRIANGLE_STRIP                0x0005
#define GL_TRIANGLE_FAN                  0x0006
#define GL_QUADS                         0x0007
#define GL_QUAD_STRIP                    0x0008
#define GL_POLYGON                       0x0009

/* Clear masks and attribute bits */
#define GL_CURRENT_BIT                   0x00000001
#define GL_POINT_BIT                     0x00000002
#define GL_LINE_BIT                      0x00000004
#define GL_POLYGON_BIT                   0x00000008
#define GL_POLYGON_STIPPLE_BIT           0x00000010
#define GL_PIXEL_MODE_BIT                0x00000020
#define GL_LIGHTING_BIT                  0x00000040
#define GL_FOG_BIT                       0x00000080
#define GL_DEPTH_BUFFER_BIT              0x00000100
#define GL_ACCUM_BUFFER_BIT              0x00000200
#define GL_STENCIL_BUFFER_BIT            0x00000400
#define GL_VIEWPORT_BIT                  0x00000800
#define GL_TRANSFORM_BIT                 0x00001000
#define GL_ENABLE_BIT                    0x00002000
#define GL_COLOR_BUFFER_BIT              0x00004000
#define GL_HINT_BIT                      0x00008000
#define GL_EVAL_BIT                      0x00010000
#define GL_LIST_BIT                      0x00020000
#define GL_TEXTURE_BIT                   0x00040000
#define GL_SCISSOR_BIT                   0x00080000
#define GL_ALL_ATTRIB_BITS               0x000FFFFF
#define GL_CLIENT_PIXEL_STORE_BIT        0x00000001
#define GL_CLIENT_VERTEX_ARRAY_BIT       0x00000002
#define GL_CLIENT_ALL_ATTRIB_BITS        0xFFFFFFFF

/* Comparison functions */
#define GL_NEVER                         0x0200
#define GL_LESS                          0x0201
#define GL_EQUAL                         0x0202
#define GL_LEQUAL                        0x0203
#define GL_GREATER                       0x0204
#define GL_NOTEQUAL                      0x0205
#define GL_GEQUAL                        0x0206
#define GL_ALWAYS                        0x0207

/* Blending factors */
#define GL_ZERO                          0
#define GL_ONE                           1
#define GL_SRC_COLOR                     0x0300
#define GL_ONE_MINUS_SRC_COLOR           0x0301
#define GL_SRC_ALPHA                     0x0302
#define GL_ONE_MINUS_SRC_ALPHA           0x0303
#define GL_DST_ALPHA                     0x0304
#define GL_ONE_MINUS_DST_ALPHA           0x0305
#define GL_DST_COLOR                     0x0306
#define GL_ONE_MINUS_DST_COLOR           0x0307
#define GL_SRC_ALPHA_SATURATE            0x0308

/* Draw buffers and faces */
#define GL_NONE                          0
#define GL_FRONT_LEFT                    0x0400
#define GL_FRONT_RIGHT                   0x0401
#define GL_BACK_LEFT                     0x0402
#define GL_BACK_RIGHT                    0x0403
#define GL_FRONT                         0x0404
#define GL_BACK                          0x0405
#define GL_LEFT                          0x0406
#define GL_RIGHT                         0x0407
#define GL_FRONT_AND_BACK                0x0408
#define GL_AUX0                          0x0409
#define GL_AUX1                          0x040A
#define GL_AUX2                          0x040B
#define GL_AUX3                          0x040C

/* Front face orientation */
#define GL_CW                            0x0900
#define GL_CCW                           0x0901

/* Capabilities and state queries */
#define GL_CURRENT_COLOR                 0x0B00
#define GL_CURRENT_INDEX                 0x0B01
#define GL_CURRENT_NORMAL                0x0B02
#define GL_CURRENT_TEXTURE_COORDS        0x0B03
#define GL_CURRENT_RASTER_COLOR          0x0B04
#define GL_CURRENT_RASTER_POSITION       0x0B07
#define GL_POINT_SMOOTH                  0x0B10
#define GL_POINT_SIZE                    0x0B11
#define GL_LINE_SMOOTH                   0x0B20
#define GL_LINE_WIDTH                    0x0B21
#define GL_LINE_STIPPLE                  0x0B24
#define GL_LIST_MODE                     0x0B30
#define GL_POLYGON_MODE                  0x0B40
#define GL_POLYGON_SMOOTH                0x0B41
#define GL_POLYGON_STIPPLE               0x0B42
#define GL_EDGE_FLAG                     0x0B43
#define GL_CULL_FACE                     0x0B44
#define GL_CULL_FACE_MODE                0x0B45
#define GL_FRONT_FACE                    0x0B46
#define GL_LIGHTING                      0x0B50
#define GL_LIGHT_MODEL_LOCAL_VIEWER      0x0B51
#define GL_LIGHT_MODEL_TWO_SIDE          0x0B52
#define GL_LIGHT_MODEL_AMBIENT           0x0B53
#define GL_SHADE_MODEL                   0x0B54
#define GL_COLOR_MATERIAL                0x0B57
#define GL_FOG                           0x0B60
#define GL_FOG_INDEX                     0x0B61
#define GL_FOG_DENSITY                   0x0B62
#define GL_FOG_START                     0x0B63
#define GL_FOG_END                       0x0B64
#define GL_FOG_MODE                      0x0B65
#define GL_FOG_COLOR                     0x0B66
#define GL_DEPTH_RANGE                   0x0B70
#define GL_DEPTH_TEST                    0x0B71
#define GL_DEPTH_WRITEMASK               0x0B72
#define GL_DEPTH_CLEAR_VALUE             0x0B73
#define GL_DEPTH_FUNC                    0x0B74
#define GL_STENCIL_TEST                  0x0B90
#define GL_MATRIX_MODE                   0x0BA0
#define GL_NORMALIZE                     0x0BA1
#define GL_VIEWPORT                      0x0BA2
#define GL_MODELVIEW_STACK_DEPTH         0x0BA3
#define GL_PROJECTION_STACK_DEPTH        0x0BA4
#define GL_TEXTURE_STACK_DEPTH           0x0BA5
#define GL_MODELVIEW_MATRIX              0x0BA6
#define GL_PROJECTION_MATRIX             0x0BA7
#define GL_TEXTURE_MATRIX                0x0BA8
#define GL_ALPHA_TEST                    0x0BC0
#define GL_ALPHA_TEST_FUNC               0x0BC1
#define GL_ALPHA_TEST_REF                0x0BC2
#define GL_DITHER                        0x0BD0
#define GL_BLEND_DST                     0x0BE0
#define GL_BLEND_SRC                     0x0BE1
#define GL_BLEND                         0x0BE2
#define GL_LOGIC_OP_MODE                 0x0BF0
#define GL_INDEX_LOGIC_OP                0x0BF1
#define GL_COLOR_LOGIC_OP                0x0BF2
#define GL_DRAW_BUFFER                   0x0C01
#define GL_READ_BUFFER                   0x0C02
#define GL_SCISSOR_BOX                   0x0C10
#define GL_SCISSOR_TEST                  0x0C11
#define GL_COLOR_CLEAR_VALUE             0x0C22
#define GL_COLOR_WRITEMASK               0x0C23
#define GL_DOUBLEBUFFER                  0x0C32
#define GL_PERSPECTIVE_CORRECTION_HINT   0x0C50
#define GL_POINT_SMOOTH_HINT             0x0C51
#define GL_LINE_SMOOTH_HINT              0x0C52
#define GL_POLYGON_SMOOTH_HINT           0x0C53
#define GL_FOG_HINT                      0x0C54
#define GL_TEXTURE_GEN_S                 0x0C60
#define GL_TEXTURE_GEN_T                 0x0C61
#define GL_TEXTURE_GEN_R                 0x0C62
#define GL_TEXTURE_GEN_Q                 0x0C63
#define GL_UNPACK_SWAP_BYTES             0x0CF0
#define GL_UNPACK_LSB_FIRST              0x0CF1
#define GL_UNPACK_ROW_LENGTH             0x0CF2
#define GL_UNPACK_SKIP_ROWS              0x0CF3
#define GL_UNPACK_SKIP_PIXELS            0x0CF4
#define GL_UNPACK_ALIGNMENT              0x0CF5
#define GL_PACK_SWAP_BYTES               0x0D00
#define GL_PACK_LSB_FIRST                0x0D01
#define GL_PACK_ROW_LENGTH               0x0D02
#define GL_PACK_SKIP_ROWS                0x0D03
#define GL_PACK_SKIP_PIXELS              0x0D04
#define GL_PACK_ALIGNMENT                0x0D05
#define GL_MAX_LIGHTS                    0x0D31
#define GL_MAX_CLIP_PLANES               0x0D32
#define GL_MAX_TEXTURE_SIZE              0x0D33
#define GL_MAX_PIXEL_MAP_TABLE           0x0D34
#define GL_MAX_ATTRIB_STACK_DEPTH        0x0D35
#define GL_MAX_MODELVIEW_STACK_DEPTH     0x0D36
#define GL_MAX_NAME_STACK_DEPTH          0x0D37
#define GL_MAX_PROJECTION_STACK_DEPTH    0x0D38
#define GL_MAX_TEXTURE_STACK_DEPTH       0x0D39
#define GL_MAX_VIEWPORT_DIMS             0x0D3A
#define GL_SUBPIXEL_BITS                 0x0D50
#define GL_INDEX_BITS                    0x0D51
#define GL_RED_BITS                      0x0D52
#define GL_GREEN_BITS                    0x0D53
#define GL_BLUE_BITS                     0x0D54
#define GL_ALPHA_BITS                    0x0D55
#define GL_DEPTH_BITS                    0x0D56
#define GL_STENCIL_BITS                  0x0D57
#define GL_TEXTURE_1D                    0x0DE0
#define GL_TEXTURE_2D                    0x0DE1
#define GL_POLYGON_OFFSET_UNITS          0x2A00
#define GL_POLYGON_OFFSET_POINT          0x2A01
#define GL_POLYGON_OFFSET_LINE           0x2A02
#define GL_POLYGON_OFFSET_FILL           0x8037
#define GL_POLYGON_OFFSET_FACTOR         0x8038
#define GL_TEXTURE_BINDING_1D            0x8068
#define GL_TEXTURE_BINDING_2D            0x8069
#define GL_VERTEX_ARRAY                  0x8074
#define GL_NORMAL_ARRAY                  0x8075
#define GL_COLOR_ARRAY                   0x8076
#define GL_INDEX_ARRAY                   0x8077
#define GL_TEXTURE_COORD_ARRAY           0x8078
#define GL_EDGE_FLAG_ARRAY               0x8079

/* Hints */
#define GL_DONT_CARE                     0x1100
#define GL_FASTEST                       0x1101
#define GL_NICEST                        0x1102

/* Lights and materials */
#define GL_LIGHT0                        0x4000
#define GL_LIGHT1                        0x4001
#define GL_LIGHT2                        0x4002
#define GL_LIGHT3                        0x4003
#define GL_LIGHT4                        0x4004
#define GL_LIGHT5                        0x4005
#define GL_LIGHT6                        0x4006
#define GL_LIGHT7                        0x4007
#define GL_AMBIENT                       0x1200
#define GL_DIFFUSE                       0x1201
#define GL_SPECULAR                      0x1202
#define GL_POSITION                      0x1203
#define GL_SPOT_DIRECTION                0x1204
#define GL_SPOT_EXPONENT                 0x1205
#define GL_SPOT_CUTOFF                   0x1206
#define GL_CONSTANT_ATTENUATION          0x1207
#define GL_LINEAR_ATTENUATION            0x1208
#define GL_QUADRATIC_ATTENUATION         0x1209
#define GL_EMISSION                      0x1600
#define GL_SHININESS                     0x1601
#define GL_AMBIENT_AND_DIFFUSE           0x1602
#define GL_COLOR_INDEXES                 0x1603

/* Display lists */
#define GL_COMPILE                       0x1300
#define GL_COMPILE_AND_EXECUTE           0x1301

/* Logic operations */
#define GL_CLEAR                         0x1500
#define GL_AND                           0x1501
#define GL_AND_REVERSE                   0x1502
#define GL_COPY                          0x1503
#define GL_AND_INVERTED                  0x1504
#define GL_NOOP                          0x1505
#define GL_XOR                           0x1506
#define GL_OR                            0x1507
#define GL_NOR                           0x1508
#define GL_EQUIV                         0x1509
#define GL_INVERT                        0x150A
#define GL_OR_REVERSE                    0x150B
#define GL_COPY_INVERTED                 0x150C
#define GL_OR_INVERTED                   0x150D
#define GL_NAND                          0x150E
#define GL_SET                           0x150F

/* Matrix modes */
#define GL_MODELVIEW                     0x1700
#define GL_PROJECTION                    0x1701
#define GL_TEXTURE                       0x1702

/* Pixel copy types and formats */
#define GL_COLOR                         0x1800
#define GL_DEPTH                         0x1801
#define GL_STENCIL                       0x1802
#define GL_COLOR_INDEX                   0x1900
#define GL_STENCIL_INDEX                 0x1901
#define GL_DEPTH_COMPONENT               0x1902
#define GL_RED                           0x1903
#define GL_GREEN                         0x1904
#define GL_BLUE                          0x1905
#define GL_ALPHA                         0x1906
#define GL_RGB                           0x1907
#define GL_RGBA                          0x1908
#define GL_LUMINANCE                     0x1909
#define GL_LUMINANCE_ALPHA               0x190A
#define GL_BITMAP                        0x1A00

/* Polygon modes and shading */
#define GL_POINT                         0x1B00
#define GL_LINE                          0x1B01
#define GL_FILL                          0x1B02
#define GL_FLAT                          0x1D00
#define GL_SMOOTH                        0x1D01

/* Render modes */
#define GL_RENDER                        0x1C00
#define GL_FEEDBACK                      0x1C01
#define GL_SELECT                        0x1C02

/* Stencil operations */
#define GL_KEEP                          0x1E00
#define GL_REPLACE                       0x1E01
#define GL_INCR                          0x1E02
#define GL_DECR                          0x1E03

/* Strings */
#define GL_VENDOR                        0x1F00
#define GL_RENDERER                      0x1F01
#define GL_VERSION                       0x1F02
#define GL_EXTENSIONS                    0x1F03

/* Texture coordinates, generation, environment */
#define GL_S                             0x2000
#define GL_T                             0x2001
#define GL_R                             0x2002
#define GL_Q                             0x2003
#define GL_MODULATE                      0x2100
#define GL_DECAL                         0x2101
#define GL_TEXTURE_ENV_MODE              0x2200
#define GL_TEXTURE_ENV_COLOR             0x2201
#define GL_TEXTURE_ENV                   0x2300
#define GL_EYE_LINEAR                    0x2400
#define GL_OBJECT_LINEAR                 0x2401
#define GL_SPHERE_MAP                    0x2402
#define GL_TEXTURE_GEN_MODE              0x2500
#define GL_OBJECT_PLANE                  0x2501
#define GL_EYE_PLANE                     0x2502

/* Texture filters, parameters and wrap modes */
#define GL_NEAREST                       0x2600
#define GL_LINEAR                        0x2601
#define GL_NEAREST_MIPMAP_NEAREST        0x2700
#define GL_LINEAR_MIPMAP_NEAREST         0x2701
#define GL_NEAREST_MIPMAP_LINEAR         0x2702
#define GL_LINEAR_MIPMAP_LINEAR          0x2703
#define GL_TEXTURE_MAG_FILTER            0x2800
#define GL_TEXTURE_MIN_FILTER            0x2801
#define GL_TEXTURE_WRAP_S                0x2802
#define GL_TEXTURE_WRAP_T                0x2803
#define GL_CLAMP                         0x2900
#define GL_REPEAT                        0x2901
#define GL_TEXTURE_WIDTH                 0x1000
#define GL_TEXTURE_HEIGHT                0x1001
#define GL_TEXTURE_INTERNAL_FORMAT       0x1003
#define GL_TEXTURE_BORDER_COLOR          0x1004
#define GL_TEXTURE_BORDER                0x1005
#define GL_TEXTURE_PRIORITY              0x8066
#define GL_TEXTURE_RESIDENT              0x8067

/* Internal formats */
#define GL_ALPHA8                        0x803C
#define GL_LUMINANCE8                    0x8040
#define GL_LUMINANCE8_ALPHA8             0x8045
#define GL_INTENSITY                     0x8049
#define GL_INTENSITY8                    0x804B
#define GL_RGB5                          0x8050
#define GL_RGB8                          0x8051
#define GL_RGBA4                         0x8056
#define GL_RGB5_A1                       0x8057
#define GL_RGBA8                         0x8058

/* Vertex array formats */
#define GL_V2F                           0x2A20
#define GL_V3F                           0x2A21
#define GL_C4UB_V2F                      0x2A22
#define GL_C4UB_V3F                      0x2A23
#define GL_C3F_V3F                       0x2A24
#define GL_N3F_V3F                       0x2A25
#define GL_C4F_N3F_V3F                   0x2A26
#define GL_T2F_V3F                       0x2A27
#define GL_T4F_V4F                       0x2A28
#define GL_T2F_C4UB_V3F                  0x2A29
#define GL_T2F_C3F_V3F                   0x2A2A
#define GL_T2F_N3F_V3F                   0x2A2B
#define GL_T2F_C4F_N3F_V3F               0x2A2C
#define GL_T4F_C4F_N3F_V4F               0x2A2D

/* Clip planes */
#define GL_CLIP_PLANE0                   0x3000
#define GL_CLIP_PLANE1                   0x3001
#define GL_CLIP_PLANE2                   0x3002
#define GL_CLIP_PLANE3                   0x3003
#define GL_CLIP_PLANE4                   0x3004
#define GL_CLIP_PLANE5                   0x3005

/* Fog modes (GL_LINEAR above) */
#define GL_EXP                           0x0800
#define GL_EXP2                          0x0801

/* Extensions the library answers to */
#define GL_BGR_EXT                       0x80E0
#define GL_BGRA_EXT                      0x80E1
#define GL_TEXTURE0_ARB                  0x84C0
#define GL_TEXTURE1_ARB                  0x84C1
#define GL_TEXTURE0_SGIS                 0x835E
#define GL_TEXTURE1_SGIS                 0x835F
#define GL_COLOR_TABLE_EXT               0x80D0

/* Entry points, in export-table order. */
MORA_GLAPI void MORA_APIENTRY glAccum(GLenum op, GLfloat value);
MORA_GLAPI void MORA_APIENTRY glAlphaFunc(GLenum func, GLclampf ref);
MORA_GLAPI GLboolean MORA_APIENTRY glAreTexturesResident(GLsizei n, const GLuint* textures, GLboolean* residences);
MORA_GLAPI void MORA_APIENTRY glArrayElement(GLint i);
MORA_GLAPI void MORA_APIENTRY glBegin(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glBindTexture(GLenum target, GLuint texture);
MORA_GLAPI void MORA_APIENTRY glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove, const GLubyte* bitmap);
MORA_GLAPI void MORA_APIENTRY glBlendFunc(GLenum sfactor, GLenum dfactor);
MORA_GLAPI void MORA_APIENTRY glCallList(GLuint list);
MORA_GLAPI void MORA_APIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists);
MORA_GLAPI void MORA_APIENTRY glClear(GLbitfield mask);
MORA_GLAPI void MORA_APIENTRY glClearAccum(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
MORA_GLAPI void MORA_APIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
MORA_GLAPI void MORA_APIENTRY glClearDepth(GLclampd depth);
MORA_GLAPI void MORA_APIENTRY glClearIndex(GLfloat c);
MORA_GLAPI void MORA_APIENTRY glClearStencil(GLint s);
MORA_GLAPI void MORA_APIENTRY glClipPlane(GLenum plane, const GLdouble* equation);
MORA_GLAPI void MORA_APIENTRY glColor3b(GLbyte red, GLbyte green, GLbyte blue);
MORA_GLAPI void MORA_APIENTRY glColor3bv(const GLbyte* v);
MORA_GLAPI void MORA_APIENTRY glColor3d(GLdouble red, GLdouble green, GLdouble blue);
MORA_GLAPI void MORA_APIENTRY glColor3dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue);
MORA_GLAPI void MORA_APIENTRY glColor3fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glColor3i(GLint red, GLint green, GLint blue);
MORA_GLAPI void MORA_APIENTRY glColor3iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glColor3s(GLshort red, GLshort green, GLshort blue);
MORA_GLAPI void MORA_APIENTRY glColor3sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glColor3ub(GLubyte red, GLubyte green, GLubyte blue);
MORA_GLAPI void MORA_APIENTRY glColor3ubv(const GLubyte* v);
MORA_GLAPI void MORA_APIENTRY glColor3ui(GLuint red, GLuint green, GLuint blue);
MORA_GLAPI void MORA_APIENTRY glColor3uiv(const GLuint* v);
MORA_GLAPI void MORA_APIENTRY glColor3us(GLushort red, GLushort green, GLushort blue);
MORA_GLAPI void MORA_APIENTRY glColor3usv(const GLushort* v);
MORA_GLAPI void MORA_APIENTRY glColor4b(GLbyte red, GLbyte green, GLbyte blue, GLbyte alpha);
MORA_GLAPI void MORA_APIENTRY glColor4bv(const GLbyte* v);
MORA_GLAPI void MORA_APIENTRY glColor4d(GLdouble red, GLdouble green, GLdouble blue, GLdouble alpha);
MORA_GLAPI void MORA_APIENTRY glColor4dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
MORA_GLAPI void MORA_APIENTRY glColor4fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glColor4i(GLint red, GLint green, GLint blue, GLint alpha);
MORA_GLAPI void MORA_APIENTRY glColor4iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glColor4s(GLshort red, GLshort green, GLshort blue, GLshort alpha);
MORA_GLAPI void MORA_APIENTRY glColor4sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha);
MORA_GLAPI void MORA_APIENTRY glColor4ubv(const GLubyte* v);
MORA_GLAPI void MORA_APIENTRY glColor4ui(GLuint red, GLuint green, GLuint blue, GLuint alpha);
MORA_GLAPI void MORA_APIENTRY glColor4uiv(const GLuint* v);
MORA_GLAPI void MORA_APIENTRY glColor4us(GLushort red, GLushort green, GLushort blue, GLushort alpha);
MORA_GLAPI void MORA_APIENTRY glColor4usv(const GLushort* v);
MORA_GLAPI void MORA_APIENTRY glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha);
MORA_GLAPI void MORA_APIENTRY glColorMaterial(GLenum face, GLenum mode);
MORA_GLAPI void MORA_APIENTRY glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
MORA_GLAPI void MORA_APIENTRY glCopyPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum type);
MORA_GLAPI void MORA_APIENTRY glCopyTexImage1D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y, GLsizei width, GLint border);
MORA_GLAPI void MORA_APIENTRY glCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y, GLsizei width, GLsizei height, GLint border);
MORA_GLAPI void MORA_APIENTRY glCopyTexSubImage1D(GLenum target, GLint level, GLint xoffset, GLint x, GLint y, GLsizei width);
MORA_GLAPI void MORA_APIENTRY glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y, GLsizei width, GLsizei height);
MORA_GLAPI void MORA_APIENTRY glCullFace(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glDeleteLists(GLuint list, GLsizei range);
MORA_GLAPI void MORA_APIENTRY glDeleteTextures(GLsizei n, const GLuint* textures);
MORA_GLAPI void MORA_APIENTRY glDepthFunc(GLenum func);
MORA_GLAPI void MORA_APIENTRY glDepthMask(GLboolean flag);
MORA_GLAPI void MORA_APIENTRY glDepthRange(GLclampd zNear, GLclampd zFar);
MORA_GLAPI void MORA_APIENTRY glDisable(GLenum cap);
MORA_GLAPI void MORA_APIENTRY glDisableClientState(GLenum array);
MORA_GLAPI void MORA_APIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count);
MORA_GLAPI void MORA_APIENTRY glDrawBuffer(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices);
MORA_GLAPI void MORA_APIENTRY glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glEdgeFlag(GLboolean flag);
MORA_GLAPI void MORA_APIENTRY glEdgeFlagPointer(GLsizei stride, const GLvoid* pointer);
MORA_GLAPI void MORA_APIENTRY glEdgeFlagv(const GLboolean* flag);
MORA_GLAPI void MORA_APIENTRY glEnable(GLenum cap);
MORA_GLAPI void MORA_APIENTRY glEnableClientState(GLenum array);
MORA_GLAPI void MORA_APIENTRY glEnd(void);
MORA_GLAPI void MORA_APIENTRY glEndList(void);
MORA_GLAPI void MORA_APIENTRY glEvalCoord1d(GLdouble u);
MORA_GLAPI void MORA_APIENTRY glEvalCoord1dv(const GLdouble* u);
MORA_GLAPI void MORA_APIENTRY glEvalCoord1f(GLfloat u);
MORA_GLAPI void MORA_APIENTRY glEvalCoord1fv(const GLfloat* u);
MORA_GLAPI void MORA_APIENTRY glEvalCoord2d(GLdouble u, GLdouble v);
MORA_GLAPI void MORA_APIENTRY glEvalCoord2dv(const GLdouble* u);
MORA_GLAPI void MORA_APIENTRY glEvalCoord2f(GLfloat u, GLfloat v);
MORA_GLAPI void MORA_APIENTRY glEvalCoord2fv(const GLfloat* u);
MORA_GLAPI void MORA_APIENTRY glEvalMesh1(GLenum mode, GLint i1, GLint i2);
MORA_GLAPI void MORA_APIENTRY glEvalMesh2(GLenum mode, GLint i1, GLint i2, GLint j1, GLint j2);
MORA_GLAPI void MORA_APIENTRY glEvalPoint1(GLint i);
MORA_GLAPI void MORA_APIENTRY glEvalPoint2(GLint i, GLint j);
MORA_GLAPI void MORA_APIENTRY glFeedbackBuffer(GLsizei size, GLenum type, GLfloat* buffer);
MORA_GLAPI void MORA_APIENTRY glFinish(void);
MORA_GLAPI void MORA_APIENTRY glFlush(void);
MORA_GLAPI void MORA_APIENTRY glFogf(GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glFogfv(GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glFogi(GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glFogiv(GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glFrontFace(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
MORA_GLAPI GLuint MORA_APIENTRY glGenLists(GLsizei range);
MORA_GLAPI void MORA_APIENTRY glGenTextures(GLsizei n, GLuint* textures);
MORA_GLAPI void MORA_APIENTRY glGetBooleanv(GLenum pname, GLboolean* params);
MORA_GLAPI void MORA_APIENTRY glGetClipPlane(GLenum plane, GLdouble* equation);
MORA_GLAPI void MORA_APIENTRY glGetDoublev(GLenum pname, GLdouble* params);
MORA_GLAPI GLenum MORA_APIENTRY glGetError(void);
MORA_GLAPI void MORA_APIENTRY glGetFloatv(GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetIntegerv(GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glGetLightfv(GLenum light, GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetLightiv(GLenum light, GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glGetMapdv(GLenum target, GLenum query, GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glGetMapfv(GLenum target, GLenum query, GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glGetMapiv(GLenum target, GLenum query, GLint* v);
MORA_GLAPI void MORA_APIENTRY glGetMaterialfv(GLenum face, GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetMaterialiv(GLenum face, GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glGetPixelMapfv(GLenum map, GLfloat* values);
MORA_GLAPI void MORA_APIENTRY glGetPixelMapuiv(GLenum map, GLuint* values);
MORA_GLAPI void MORA_APIENTRY glGetPixelMapusv(GLenum map, GLushort* values);
MORA_GLAPI void MORA_APIENTRY glGetPointerv(GLenum pname, GLvoid** params);
MORA_GLAPI void MORA_APIENTRY glGetPolygonStipple(GLubyte* mask);
MORA_GLAPI const GLubyte* MORA_APIENTRY glGetString(GLenum name);
MORA_GLAPI void MORA_APIENTRY glGetTexEnvfv(GLenum target, GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetTexEnviv(GLenum target, GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glGetTexGendv(GLenum coord, GLenum pname, GLdouble* params);
MORA_GLAPI void MORA_APIENTRY glGetTexGenfv(GLenum coord, GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetTexGeniv(GLenum coord, GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glGetTexImage(GLenum target, GLint level, GLenum format, GLenum type, GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glGetTexLevelParameterfv(GLenum target, GLint level, GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glGetTexParameterfv(GLenum target, GLenum pname, GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glGetTexParameteriv(GLenum target, GLenum pname, GLint* params);
MORA_GLAPI void MORA_APIENTRY glHint(GLenum target, GLenum mode);
MORA_GLAPI void MORA_APIENTRY glIndexMask(GLuint mask);
MORA_GLAPI void MORA_APIENTRY glIndexPointer(GLenum type, GLsizei stride, const GLvoid* pointer);
MORA_GLAPI void MORA_APIENTRY glIndexd(GLdouble c);
MORA_GLAPI void MORA_APIENTRY glIndexdv(const GLdouble* c);
MORA_GLAPI void MORA_APIENTRY glIndexf(GLfloat c);
MORA_GLAPI void MORA_APIENTRY glIndexfv(const GLfloat* c);
MORA_GLAPI void MORA_APIENTRY glIndexi(GLint c);
MORA_GLAPI void MORA_APIENTRY glIndexiv(const GLint* c);
MORA_GLAPI void MORA_APIENTRY glIndexs(GLshort c);
MORA_GLAPI void MORA_APIENTRY glIndexsv(const GLshort* c);
MORA_GLAPI void MORA_APIENTRY glIndexub(GLubyte c);
MORA_GLAPI void MORA_APIENTRY glIndexubv(const GLubyte* c);
MORA_GLAPI void MORA_APIENTRY glInitNames(void);
MORA_GLAPI void MORA_APIENTRY glInterleavedArrays(GLenum format, GLsizei stride, const GLvoid* pointer);
MORA_GLAPI GLboolean MORA_APIENTRY glIsEnabled(GLenum cap);
MORA_GLAPI GLboolean MORA_APIENTRY glIsList(GLuint list);
MORA_GLAPI GLboolean MORA_APIENTRY glIsTexture(GLuint texture);
MORA_GLAPI void MORA_APIENTRY glLightModelf(GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glLightModelfv(GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glLightModeli(GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glLightModeliv(GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glLightf(GLenum light, GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glLighti(GLenum light, GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glLightiv(GLenum light, GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glLineStipple(GLint factor, GLushort pattern);
MORA_GLAPI void MORA_APIENTRY glLineWidth(GLfloat width);
MORA_GLAPI void MORA_APIENTRY glListBase(GLuint base);
MORA_GLAPI void MORA_APIENTRY glLoadIdentity(void);
MORA_GLAPI void MORA_APIENTRY glLoadMatrixd(const GLdouble* m);
MORA_GLAPI void MORA_APIENTRY glLoadMatrixf(const GLfloat* m);
MORA_GLAPI void MORA_APIENTRY glLoadName(GLuint name);
MORA_GLAPI void MORA_APIENTRY glLogicOp(GLenum opcode);
MORA_GLAPI void MORA_APIENTRY glMap1d(GLenum target, GLdouble u1, GLdouble u2, GLint stride, GLint order, const GLdouble* points);
MORA_GLAPI void MORA_APIENTRY glMap1f(GLenum target, GLfloat u1, GLfloat u2, GLint stride, GLint order, const GLfloat* points);
MORA_GLAPI void MORA_APIENTRY glMap2d(GLenum target, GLdouble u1, GLdouble u2, GLint ustride, GLint uorder, GLdouble v1, GLdouble v2, GLint vstride, GLint vorder, const GLdouble* points);
MORA_GLAPI void MORA_APIENTRY glMap2f(GLenum target, GLfloat u1, GLfloat u2, GLint ustride, GLint uorder, GLfloat v1, GLfloat v2, GLint vstride, GLint vorder, const GLfloat* points);
MORA_GLAPI void MORA_APIENTRY glMapGrid1d(GLint un, GLdouble u1, GLdouble u2);
MORA_GLAPI void MORA_APIENTRY glMapGrid1f(GLint un, GLfloat u1, GLfloat u2);
MORA_GLAPI void MORA_APIENTRY glMapGrid2d(GLint un, GLdouble u1, GLdouble u2, GLint vn, GLdouble v1, GLdouble v2);
MORA_GLAPI void MORA_APIENTRY glMapGrid2f(GLint un, GLfloat u1, GLfloat u2, GLint vn, GLfloat v1, GLfloat v2);
MORA_GLAPI void MORA_APIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glMateriali(GLenum face, GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glMaterialiv(GLenum face, GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glMatrixMode(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glMultMatrixd(const GLdouble* m);
MORA_GLAPI void MORA_APIENTRY glMultMatrixf(const GLfloat* m);
MORA_GLAPI void MORA_APIENTRY glNewList(GLuint list, GLenum mode);
MORA_GLAPI void MORA_APIENTRY glNormal3b(GLbyte nx, GLbyte ny, GLbyte nz);
MORA_GLAPI void MORA_APIENTRY glNormal3bv(const GLbyte* v);
MORA_GLAPI void MORA_APIENTRY glNormal3d(GLdouble nx, GLdouble ny, GLdouble nz);
MORA_GLAPI void MORA_APIENTRY glNormal3dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz);
MORA_GLAPI void MORA_APIENTRY glNormal3fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glNormal3i(GLint nx, GLint ny, GLint nz);
MORA_GLAPI void MORA_APIENTRY glNormal3iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glNormal3s(GLshort nx, GLshort ny, GLshort nz);
MORA_GLAPI void MORA_APIENTRY glNormal3sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer);
MORA_GLAPI void MORA_APIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
MORA_GLAPI void MORA_APIENTRY glPassThrough(GLfloat token);
MORA_GLAPI void MORA_APIENTRY glPixelMapfv(GLenum map, GLsizei mapsize, const GLfloat* values);
MORA_GLAPI void MORA_APIENTRY glPixelMapuiv(GLenum map, GLsizei mapsize, const GLuint* values);
MORA_GLAPI void MORA_APIENTRY glPixelMapusv(GLenum map, GLsizei mapsize, const GLushort* values);
MORA_GLAPI void MORA_APIENTRY glPixelStoref(GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glPixelStorei(GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glPixelTransferf(GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glPixelTransferi(GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glPixelZoom(GLfloat xfactor, GLfloat yfactor);
MORA_GLAPI void MORA_APIENTRY glPointSize(GLfloat size);
MORA_GLAPI void MORA_APIENTRY glPolygonMode(GLenum face, GLenum mode);
MORA_GLAPI void MORA_APIENTRY glPolygonOffset(GLfloat factor, GLfloat units);
MORA_GLAPI void MORA_APIENTRY glPolygonStipple(const GLubyte* mask);
MORA_GLAPI void MORA_APIENTRY glPopAttrib(void);
MORA_GLAPI void MORA_APIENTRY glPopClientAttrib(void);
MORA_GLAPI void MORA_APIENTRY glPopMatrix(void);
MORA_GLAPI void MORA_APIENTRY glPopName(void);
MORA_GLAPI void MORA_APIENTRY glPrioritizeTextures(GLsizei n, const GLuint* textures, const GLclampf* priorities);
MORA_GLAPI void MORA_APIENTRY glPushAttrib(GLbitfield mask);
MORA_GLAPI void MORA_APIENTRY glPushClientAttrib(GLbitfield mask);
MORA_GLAPI void MORA_APIENTRY glPushMatrix(void);
MORA_GLAPI void MORA_APIENTRY glPushName(GLuint name);
MORA_GLAPI void MORA_APIENTRY glRasterPos2d(GLdouble x, GLdouble y);
MORA_GLAPI void MORA_APIENTRY glRasterPos2dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos2f(GLfloat x, GLfloat y);
MORA_GLAPI void MORA_APIENTRY glRasterPos2fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos2i(GLint x, GLint y);
MORA_GLAPI void MORA_APIENTRY glRasterPos2iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos2s(GLshort x, GLshort y);
MORA_GLAPI void MORA_APIENTRY glRasterPos2sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos3d(GLdouble x, GLdouble y, GLdouble z);
MORA_GLAPI void MORA_APIENTRY glRasterPos3dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos3f(GLfloat x, GLfloat y, GLfloat z);
MORA_GLAPI void MORA_APIENTRY glRasterPos3fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos3i(GLint x, GLint y, GLint z);
MORA_GLAPI void MORA_APIENTRY glRasterPos3iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos3s(GLshort x, GLshort y, GLshort z);
MORA_GLAPI void MORA_APIENTRY glRasterPos3sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos4d(GLdouble x, GLdouble y, GLdouble z, GLdouble w);
MORA_GLAPI void MORA_APIENTRY glRasterPos4dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w);
MORA_GLAPI void MORA_APIENTRY glRasterPos4fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos4i(GLint x, GLint y, GLint z, GLint w);
MORA_GLAPI void MORA_APIENTRY glRasterPos4iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glRasterPos4s(GLshort x, GLshort y, GLshort z, GLshort w);
MORA_GLAPI void MORA_APIENTRY glRasterPos4sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glReadBuffer(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glRectd(GLdouble x1, GLdouble y1, GLdouble x2, GLdouble y2);
MORA_GLAPI void MORA_APIENTRY glRectdv(const GLdouble* v1, const GLdouble* v2);
MORA_GLAPI void MORA_APIENTRY glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2);
MORA_GLAPI void MORA_APIENTRY glRectfv(const GLfloat* v1, const GLfloat* v2);
MORA_GLAPI void MORA_APIENTRY glRecti(GLint x1, GLint y1, GLint x2, GLint y2);
MORA_GLAPI void MORA_APIENTRY glRectiv(const GLint* v1, const GLint* v2);
MORA_GLAPI void MORA_APIENTRY glRects(GLshort x1, GLshort y1, GLshort x2, GLshort y2);
MORA_GLAPI void MORA_APIENTRY glRectsv(const GLshort* v1, const GLshort* v2);
MORA_GLAPI GLint MORA_APIENTRY glRenderMode(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
MORA_GLAPI void MORA_APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
MORA_GLAPI void MORA_APIENTRY glScaled(GLdouble x, GLdouble y, GLdouble z);
MORA_GLAPI void MORA_APIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z);
MORA_GLAPI void MORA_APIENTRY glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
MORA_GLAPI void MORA_APIENTRY glSelectBuffer(GLsizei size, GLuint* buffer);
MORA_GLAPI void MORA_APIENTRY glShadeModel(GLenum mode);
MORA_GLAPI void MORA_APIENTRY glStencilFunc(GLenum func, GLint ref, GLuint mask);
MORA_GLAPI void MORA_APIENTRY glStencilMask(GLuint mask);
MORA_GLAPI void MORA_APIENTRY glStencilOp(GLenum fail, GLenum zfail, GLenum zpass);
MORA_GLAPI void MORA_APIENTRY glTexCoord1d(GLdouble s);
MORA_GLAPI void MORA_APIENTRY glTexCoord1dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord1f(GLfloat s);
MORA_GLAPI void MORA_APIENTRY glTexCoord1fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord1i(GLint s);
MORA_GLAPI void MORA_APIENTRY glTexCoord1iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord1s(GLshort s);
MORA_GLAPI void MORA_APIENTRY glTexCoord1sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord2d(GLdouble s, GLdouble t);
MORA_GLAPI void MORA_APIENTRY glTexCoord2dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord2f(GLfloat s, GLfloat t);
MORA_GLAPI void MORA_APIENTRY glTexCoord2fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord2i(GLint s, GLint t);
MORA_GLAPI void MORA_APIENTRY glTexCoord2iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord2s(GLshort s, GLshort t);
MORA_GLAPI void MORA_APIENTRY glTexCoord2sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord3d(GLdouble s, GLdouble t, GLdouble r);
MORA_GLAPI void MORA_APIENTRY glTexCoord3dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord3f(GLfloat s, GLfloat t, GLfloat r);
MORA_GLAPI void MORA_APIENTRY glTexCoord3fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord3i(GLint s, GLint t, GLint r);
MORA_GLAPI void MORA_APIENTRY glTexCoord3iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord3s(GLshort s, GLshort t, GLshort r);
MORA_GLAPI void MORA_APIENTRY glTexCoord3sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord4d(GLdouble s, GLdouble t, GLdouble r, GLdouble q);
MORA_GLAPI void MORA_APIENTRY glTexCoord4dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord4f(GLfloat s, GLfloat t, GLfloat r, GLfloat q);
MORA_GLAPI void MORA_APIENTRY glTexCoord4fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord4i(GLint s, GLint t, GLint r, GLint q);
MORA_GLAPI void MORA_APIENTRY glTexCoord4iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glTexCoord4s(GLshort s, GLshort t, GLshort r, GLshort q);
MORA_GLAPI void MORA_APIENTRY glTexCoord4sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
MORA_GLAPI void MORA_APIENTRY glTexEnvf(GLenum target, GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glTexEnvi(GLenum target, GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glTexEnviv(GLenum target, GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glTexGend(GLenum coord, GLenum pname, GLdouble param);
MORA_GLAPI void MORA_APIENTRY glTexGendv(GLenum coord, GLenum pname, const GLdouble* params);
MORA_GLAPI void MORA_APIENTRY glTexGenf(GLenum coord, GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glTexGenfv(GLenum coord, GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glTexGeni(GLenum coord, GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glTexGeniv(GLenum coord, GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glTexImage1D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLint border, GLenum format, GLenum type, const GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glTexParameterf(GLenum target, GLenum pname, GLfloat param);
MORA_GLAPI void MORA_APIENTRY glTexParameterfv(GLenum target, GLenum pname, const GLfloat* params);
MORA_GLAPI void MORA_APIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param);
MORA_GLAPI void MORA_APIENTRY glTexParameteriv(GLenum target, GLenum pname, const GLint* params);
MORA_GLAPI void MORA_APIENTRY glTexSubImage1D(GLenum target, GLint level, GLint xoffset, GLsizei width, GLenum format, GLenum type, const GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels);
MORA_GLAPI void MORA_APIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z);
MORA_GLAPI void MORA_APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z);
MORA_GLAPI void MORA_APIENTRY glVertex2d(GLdouble x, GLdouble y);
MORA_GLAPI void MORA_APIENTRY glVertex2dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glVertex2f(GLfloat x, GLfloat y);
MORA_GLAPI void MORA_APIENTRY glVertex2fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glVertex2i(GLint x, GLint y);
MORA_GLAPI void MORA_APIENTRY glVertex2iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glVertex2s(GLshort x, GLshort y);
MORA_GLAPI void MORA_APIENTRY glVertex2sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z);
MORA_GLAPI void MORA_APIENTRY glVertex3dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z);
MORA_GLAPI void MORA_APIENTRY glVertex3fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glVertex3i(GLint x, GLint y, GLint z);
MORA_GLAPI void MORA_APIENTRY glVertex3iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glVertex3s(GLshort x, GLshort y, GLshort z);
MORA_GLAPI void MORA_APIENTRY glVertex3sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glVertex4d(GLdouble x, GLdouble y, GLdouble z, GLdouble w);
MORA_GLAPI void MORA_APIENTRY glVertex4dv(const GLdouble* v);
MORA_GLAPI void MORA_APIENTRY glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w);
MORA_GLAPI void MORA_APIENTRY glVertex4fv(const GLfloat* v);
MORA_GLAPI void MORA_APIENTRY glVertex4i(GLint x, GLint y, GLint z, GLint w);
MORA_GLAPI void MORA_APIENTRY glVertex4iv(const GLint* v);
MORA_GLAPI void MORA_APIENTRY glVertex4s(GLshort x, GLshort y, GLshort z, GLshort w);
MORA_GLAPI void MORA_APIENTRY glVertex4sv(const GLshort* v);
MORA_GLAPI void MORA_APIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
MORA_GLAPI void MORA_APIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
MORA_GLAPI void MORA_APIENTRY glMTexCoord2fSGIS(GLenum target, GLfloat s, GLfloat t);
MORA_GLAPI void MORA_APIENTRY glSelectTextureSGIS(GLenum target);
MORA_GLAPI void MORA_APIENTRY glMultiTexCoord2fARB(GLenum target, GLfloat s, GLfloat t);
MORA_GLAPI void MORA_APIENTRY glActiveTextureARB(GLenum texture);
MORA_GLAPI void MORA_APIENTRY glClientActiveTextureARB(GLenum texture);
MORA_GLAPI void MORA_APIENTRY glColorTableEXT(GLenum target, GLenum internalFormat, GLsizei width, GLenum format, GLenum type, const GLvoid* table);

#ifdef __cplusplus
}
#endif

#endif /* MORA_GL_H */
