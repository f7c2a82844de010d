// The program that draws every primitive of the layer: Direct3D's row-vector transform, depth
// range and pixel centres, and the first two texture stages with the operations the layer takes.
#include "platform/d3d9/gl_device_impl.h"

namespace platform::d3d9 {

namespace {

const char VERTEX_SHADER[] = R"(#version 120
attribute vec3 aPosition;
attribute vec4 aDiffuse; // the bytes of a D3DCOLOR: blue, green, red, alpha
attribute vec2 aTex0;
attribute vec2 aTex1;
uniform mat4 uTransform;
uniform vec2 uPixel;     // one pixel in clip units
uniform bool uHasDiffuse;
uniform bool uLighting;
varying vec4 vDiffuse;
varying vec2 vTex0;
varying vec2 vTex1;
void main()
{
    // The matrix arrives row-major as Direct3D keeps it, which GLSL reads as its transpose:
    // the column-vector product here is Direct3D's row-vector product.
    vec4 p = uTransform * vec4(aPosition, 1.0);
    // Direct3D puts pixel centres on whole coordinates, OpenGL half a pixel right and down.
    // A sixty-fourth of a pixel short of that keeps samples off the edges, where the two
    // disagree on which side owns them: Direct3D keeps a quad's top and left rows.
    p.x += (0.5 - 1.0 / 64.0) * uPixel.x * p.w;
    p.y -= (0.5 - 1.0 / 64.0) * uPixel.y * p.w;
    // Direct3D's depth runs 0..w, OpenGL's -w..w.
    p.z = 2.0 * p.z - p.w;
    gl_Position = p;
    vec4 diffuse = uHasDiffuse ? aDiffuse.zyxw : vec4(1.0);
    // Lit without lights or material: only the diffuse alpha survives.
    vDiffuse = uLighting ? vec4(0.0, 0.0, 0.0, uHasDiffuse ? diffuse.a : 0.0) : diffuse;
    vTex0 = aTex0;
    vTex1 = aTex1;
}
)";

const char FRAGMENT_SHADER[] = R"(#version 120
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform bool uBound0;
uniform bool uBound1;
uniform ivec4 uColor0; // operation, argument 1, argument 2, texture coordinate index
uniform ivec4 uColor1;
uniform ivec4 uAlpha0; // operation, argument 1, argument 2
uniform ivec4 uAlpha1;
varying vec4 vDiffuse;
varying vec2 vTex0;
varying vec2 vTex1;

const int DISABLE = 1;
const int SELECTARG1 = 2;
const int SELECTARG2 = 3;
const int DIFFUSE = 0;
const int TEXTURE = 2;

vec4 Argument(int argument, vec4 current, vec4 texel)
{
    if (argument == TEXTURE)
        return texel;
    if (argument == DIFFUSE)
        return vDiffuse;
    return current;
}

vec4 Stage(ivec4 color, ivec4 alpha, vec4 current, vec4 texel)
{
    vec3 c1 = Argument(color.y, current, texel).rgb;
    vec3 c2 = Argument(color.z, current, texel).rgb;
    vec3 rgb = color.x == SELECTARG1 ? c1 : color.x == SELECTARG2 ? c2 : c1 * c2;
    float a1 = Argument(alpha.y, current, texel).a;
    float a2 = Argument(alpha.z, current, texel).a;
    float a = alpha.x == SELECTARG1 ? a1 : alpha.x == SELECTARG2 ? a2 : alpha.x == DISABLE ? current.a : a1 * a2;
    return vec4(rgb, a);
}

void main()
{
    vec4 current = vDiffuse;
    if (uColor0.x != DISABLE) {
        // A stage without a texture reads opaque black.
        vec4 texel = uBound0 ? texture2D(uTexture0, uColor0.w == 0 ? vTex0 : vTex1) : vec4(0.0, 0.0, 0.0, 1.0);
        current = Stage(uColor0, uAlpha0, current, texel);
        if (uColor1.x != DISABLE) {
            texel = uBound1 ? texture2D(uTexture1, uColor1.w == 0 ? vTex0 : vTex1) : vec4(0.0, 0.0, 0.0, 1.0);
            current = Stage(uColor1, uAlpha1, current, texel);
        }
    }
    gl_FragColor = current;
}
)";

enum Attribute : GLuint { POSITION = 0, DIFFUSE = 1, TEX0 = 2, TEX1 = 3 };

GLuint Compile(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLenum BlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum DepthFunction(DWORD function)
{
    switch (function) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: return GL_LEQUAL;
    }
}

void ApplyRasterState(const DrawSetup& setup)
{
    // Direct3D culls by the winding seen on screen, which OpenGL's window coordinates keep.
    if (setup.cullMode == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(setup.cullMode == D3DCULL_CCW ? GL_CW : GL_CCW);
    }
    glPolygonMode(GL_FRONT_AND_BACK, setup.fillMode == D3DFILL_POINT       ? GL_POINT
                                     : setup.fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                                                           : GL_FILL);
    if (setup.alphaBlend) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(setup.srcBlend), BlendFactor(setup.destBlend));
    } else {
        glDisable(GL_BLEND);
    }
    if (setup.zEnable) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(DepthFunction(setup.zFunc));
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(setup.zWrite ? GL_TRUE : GL_FALSE);
}

// base is a byte offset into the bound buffer object, or an address in client memory.
void SetAttribute(GLuint index, int offset, GLint size, GLenum type, GLboolean normalized, UINT stride,
                  uintptr_t base)
{
    if (offset < 0) {
        glDisableVertexAttribArray(index);
        glVertexAttrib4f(index, 0.0f, 0.0f, 0.0f, 1.0f);
        return;
    }
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, normalized, static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(base + static_cast<uintptr_t>(offset)));
}

} // namespace

bool LayoutOf(DWORD fvf, VertexLayout* layout)
{
    const DWORD known = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEXCOUNT_MASK;
    if ((fvf & ~known) != 0 || (fvf & D3DFVF_XYZ) == 0)
        return false;
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 2)
        return false;
    VertexLayout l;
    l.position = 0;
    l.size = 12;
    if (fvf & D3DFVF_NORMAL) {
        l.normal = static_cast<int>(l.size);
        l.size += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = static_cast<int>(l.size);
        l.size += 4;
    }
    for (DWORD t = 0; t < texCount; ++t) {
        l.texCoords[t] = static_cast<int>(l.size);
        l.size += 8;
    }
    *layout = l;
    return true;
}

StageSetup DefaultStage(DWORD stage)
{
    const DWORD op = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    const DWORD alphaOp = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    return {op, D3DTA_TEXTURE, D3DTA_CURRENT, alphaOp, D3DTA_TEXTURE, D3DTA_CURRENT, stage};
}

SamplerSetup DefaultSampler() { return {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP}; }

bool GLPipeline::Create()
{
    if (!glCreateShader || !glCreateProgram || !glVertexAttribPointer)
        return false;
    GLuint vertex = Compile(GL_VERTEX_SHADER, VERTEX_SHADER);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    if (!vertex || !fragment) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindAttribLocation(program, POSITION, "aPosition");
    glBindAttribLocation(program, DIFFUSE, "aDiffuse");
    glBindAttribLocation(program, TEX0, "aTex0");
    glBindAttribLocation(program, TEX1, "aTex1");
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        Destroy();
        return false;
    }
    transform = glGetUniformLocation(program, "uTransform");
    pixel = glGetUniformLocation(program, "uPixel");
    hasDiffuse = glGetUniformLocation(program, "uHasDiffuse");
    lighting = glGetUniformLocation(program, "uLighting");
    samplers[0] = glGetUniformLocation(program, "uTexture0");
    samplers[1] = glGetUniformLocation(program, "uTexture1");
    bound[0] = glGetUniformLocation(program, "uBound0");
    bound[1] = glGetUniformLocation(program, "uBound1");
    colorOps[0] = glGetUniformLocation(program, "uColor0");
    colorOps[1] = glGetUniformLocation(program, "uColor1");
    alphaOps[0] = glGetUniformLocation(program, "uAlpha0");
    alphaOps[1] = glGetUniformLocation(program, "uAlpha1");
    glUseProgram(program);
    glUniform1i(samplers[0], 0);
    glUniform1i(samplers[1], 1);
    glUseProgram(0);
    return true;
}

void GLPipeline::Destroy()
{
    if (program)
        glDeleteProgram(program);
    program = 0;
}

void GLPipeline::Draw(const DrawSetup& setup, GLuint buffer, uintptr_t base, UINT stride,
                      const VertexLayout& layout, GLenum mode, GLint first, GLsizei count, UINT width, UINT height)
{
    if (!program || count <= 0)
        return;
    glUseProgram(program);
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    ApplyRasterState(setup);
    if (setup.scissor) {
        const RECT& r = *setup.scissor;
        glEnable(GL_SCISSOR_TEST);
        glScissor(r.left, static_cast<GLint>(height) - r.bottom, r.right > r.left ? r.right - r.left : 0,
                  r.bottom > r.top ? r.bottom - r.top : 0);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }

    glUniformMatrix4fv(transform, 1, GL_FALSE, &setup.transform.m[0][0]);
    glUniform2f(pixel, 2.0f / static_cast<float>(width ? width : 1), 2.0f / static_cast<float>(height ? height : 1));
    glUniform1i(hasDiffuse, layout.diffuse >= 0);
    glUniform1i(lighting, setup.lighting);
    for (int s = 0; s < 2; ++s) {
        const StageSetup& stage = setup.stages[s];
        glActiveTexture(GL_TEXTURE0 + s);
        if (setup.textures[s])
            setup.textures[s]->Bind(setup.samplers[s]);
        else
            glBindTexture(GL_TEXTURE_2D, 0);
        glUniform1i(bound[s], setup.textures[s] != nullptr);
        glUniform4i(colorOps[s], static_cast<GLint>(stage.colorOp), static_cast<GLint>(stage.colorArg1),
                    static_cast<GLint>(stage.colorArg2), static_cast<GLint>(stage.texCoordIndex));
        glUniform4i(alphaOps[s], static_cast<GLint>(stage.alphaOp), static_cast<GLint>(stage.alphaArg1),
                    static_cast<GLint>(stage.alphaArg2), 0);
    }
    glActiveTexture(GL_TEXTURE0);

    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    SetAttribute(POSITION, layout.position, 3, GL_FLOAT, GL_FALSE, stride, base);
    SetAttribute(DIFFUSE, layout.diffuse, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, base);
    SetAttribute(TEX0, layout.texCoords[0], 2, GL_FLOAT, GL_FALSE, stride, base);
    SetAttribute(TEX1, layout.texCoords[1], 2, GL_FLOAT, GL_FALSE, stride, base);
    glDrawArrays(mode, first, count);
    for (GLuint a : {POSITION, DIFFUSE, TEX0, TEX1})
        glDisableVertexAttribArray(a);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
}

} // namespace platform::d3d9
