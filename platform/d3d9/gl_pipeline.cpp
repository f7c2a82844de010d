// The programs that draw every primitive of the layer (Direct3D's row-vector transform, depth
// range and pixel centres, and the first two texture stages with the operations the layer takes)
// and the OpenGL state they draw with, set only where it changes.
#include "platform/d3d9/gl_device_impl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

// Made once for each stage set-up, after the lines that fix it (see StageConstants): with the
// operations known to the compiler, a pixel runs only the arithmetic of its own set-up.
const char FRAGMENT_SHADER[] = R"(
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
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
    if (COLOR0.x != DISABLE) {
        // A stage without a texture reads opaque black.
        vec4 texel = BOUND0 ? texture2D(uTexture0, COLOR0.w == 0 ? vTex0 : vTex1) : vec4(0.0, 0.0, 0.0, 1.0);
        current = Stage(COLOR0, ALPHA0, current, texel);
        if (COLOR1.x != DISABLE) {
            texel = BOUND1 ? texture2D(uTexture1, COLOR1.w == 0 ? vTex0 : vTex1) : vec4(0.0, 0.0, 0.0, 1.0);
            current = Stage(COLOR1, ALPHA1, current, texel);
        }
    }
    gl_FragColor = current;
}
)";

enum Attribute : GLuint { POSITION = 0, DIFFUSE = 1, TEX0 = 2, TEX1 = 3 };

GLuint Compile(GLenum type, GLsizei count, const char* const* sources)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, count, sources, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// What a draw's pixels depend on, sixteen bits a stage: the operations, arguments and coordinate
// index (each within the range the device takes) and whether a texture is bound.
uint32_t StageKey(const DrawSetup& setup)
{
    uint32_t key = 0;
    for (int s = 0; s < 2; ++s) {
        const StageSetup& t = setup.stages[s];
        const uint32_t half = t.colorOp | t.colorArg1 << 3 | t.colorArg2 << 5 | t.alphaOp << 7 | t.alphaArg1 << 10 |
                              t.alphaArg2 << 12 | t.texCoordIndex << 14 | uint32_t{setup.textures[s] != nullptr} << 15;
        key |= half << (16 * s);
    }
    return key;
}

// The lines before FRAGMENT_SHADER that fix the stages of one set-up.
void StageConstants(const DrawSetup& setup, char* text, size_t size)
{
    const StageSetup* t = setup.stages;
    std::snprintf(text, size,
                  "#version 120\n"
                  "const ivec4 COLOR0 = ivec4(%u, %u, %u, %u);\n" // operation, arguments, coordinate index
                  "const ivec4 ALPHA0 = ivec4(%u, %u, %u, 0);\n"
                  "const bool BOUND0 = %s;\n"
                  "const ivec4 COLOR1 = ivec4(%u, %u, %u, %u);\n"
                  "const ivec4 ALPHA1 = ivec4(%u, %u, %u, 0);\n"
                  "const bool BOUND1 = %s;\n",
                  t[0].colorOp, t[0].colorArg1, t[0].colorArg2, t[0].texCoordIndex, t[0].alphaOp, t[0].alphaArg1,
                  t[0].alphaArg2, setup.textures[0] ? "true" : "false", t[1].colorOp, t[1].colorArg1, t[1].colorArg2,
                  t[1].texCoordIndex, t[1].alphaOp, t[1].alphaArg1, t[1].alphaArg2,
                  setup.textures[1] ? "true" : "false");
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

// Stores wanted in kept and says whether that changed it.
template <class T>
bool Changed(T& kept, const T& wanted)
{
    if (kept == wanted)
        return false;
    kept = wanted;
    return true;
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

bool GLPipeline::Create(UINT backBufferWidth, UINT backBufferHeight)
{
    if (!glCreateShader || !glCreateProgram || !glVertexAttribPointer)
        return false;
    const char* vertexSource = VERTEX_SHADER;
    vertexShader = Compile(GL_VERTEX_SHADER, 1, &vertexSource);
    if (!vertexShader)
        return false;
    width = backBufferWidth;
    height = backBufferHeight;

    // Everything is drawn over the whole back buffer; the rest of the state kept here starts as
    // OpenGL's defaults.
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
    glFrontFace(frontFace);
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    glDisable(GL_BLEND);
    glBlendFunc(blendFactors[0], blendFactors[1]);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(depthFunc);
    glDepthMask(GL_TRUE);
    glDisable(GL_SCISSOR_TEST);
    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    for (GLuint a : {POSITION, DIFFUSE, TEX0, TEX1}) {
        glDisableVertexAttribArray(a);
        glVertexAttrib4f(a, 0.0f, 0.0f, 0.0f, 1.0f);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (int unit = 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    // The device's first set-up shows whether the programs can be made at all.
    DrawSetup first = {};
    for (DWORD s = 0; s < 2; ++s)
        first.stages[s] = DefaultStage(s);
    if (!UseProgram(first)) {
        Destroy();
        return false;
    }
    return true;
}

void GLPipeline::Destroy()
{
    glUseProgram(0);
    DeletePrograms();
    if (vertexShader)
        glDeleteShader(vertexShader);
    vertexShader = 0;
}

void GLPipeline::DeletePrograms()
{
    for (const Program& p : programs)
        glDeleteProgram(p.name);
    programs.clear();
    current = -1;
}

bool GLPipeline::Link(uint32_t key, const DrawSetup& setup)
{
    char constants[512];
    StageConstants(setup, constants, sizeof constants);
    const char* sources[2] = {constants, FRAGMENT_SHADER};
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, 2, sources);
    if (!fragment)
        return false;
    Program p = {};
    p.key = key;
    p.name = glCreateProgram();
    glAttachShader(p.name, vertexShader);
    glAttachShader(p.name, fragment);
    glBindAttribLocation(p.name, POSITION, "aPosition");
    glBindAttribLocation(p.name, DIFFUSE, "aDiffuse");
    glBindAttribLocation(p.name, TEX0, "aTex0");
    glBindAttribLocation(p.name, TEX1, "aTex1");
    glLinkProgram(p.name);
    glDetachShader(p.name, vertexShader);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(p.name, GL_LINK_STATUS, &linked);
    if (!linked) {
        glDeleteProgram(p.name);
        return false;
    }
    p.transform = glGetUniformLocation(p.name, "uTransform");
    p.hasDiffuse = glGetUniformLocation(p.name, "uHasDiffuse");
    p.lighting = glGetUniformLocation(p.name, "uLighting");
    // The uniforms kept per program start at zero, as the kept values do.
    glUseProgram(p.name);
    glUniform1i(glGetUniformLocation(p.name, "uTexture0"), 0);
    glUniform1i(glGetUniformLocation(p.name, "uTexture1"), 1);
    glUniform2f(glGetUniformLocation(p.name, "uPixel"), 2.0f / static_cast<float>(width ? width : 1),
                2.0f / static_cast<float>(height ? height : 1));
    programs.push_back(p);
    current = static_cast<int>(programs.size()) - 1;
    return true;
}

GLPipeline::Program* GLPipeline::UseProgram(const DrawSetup& setup)
{
    const uint32_t key = StageKey(setup);
    if (current >= 0 && programs[current].key == key)
        return &programs[current];
    for (size_t i = 0; i < programs.size(); ++i) {
        if (programs[i].key == key) {
            current = static_cast<int>(i);
            glUseProgram(programs[i].name);
            return &programs[i];
        }
    }
    // Set-ups are few; a caller that makes ever new ones starts the collection again.
    if (programs.size() == MAX_PROGRAMS) {
        glUseProgram(0);
        DeletePrograms();
    }
    return Link(key, setup) ? &programs[current] : nullptr;
}

void GLPipeline::BindTexture(int unit, GLuint name)
{
    if (Changed(activeUnit, unit))
        glActiveTexture(GL_TEXTURE0 + unit);
    if (Changed(unitTextures[unit], name))
        glBindTexture(GL_TEXTURE_2D, name);
}

void GLPipeline::BindArrayBuffer(GLuint name)
{
    if (Changed(arrayBuffer, name))
        glBindBuffer(GL_ARRAY_BUFFER, name);
}

void GLPipeline::SetDepthWrite(bool write)
{
    if (Changed(depthWrite, write))
        glDepthMask(write ? GL_TRUE : GL_FALSE);
}

void GLPipeline::Enable(GLenum capability, bool on, bool* kept)
{
    if (!Changed(*kept, on))
        return;
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void GLPipeline::SetScissor(const RECT* rect)
{
    Enable(GL_SCISSOR_TEST, rect != nullptr, &scissorTest);
    if (!rect)
        return;
    const RECT& r = *rect;
    const GLint box[4] = {r.left, static_cast<GLint>(height) - r.bottom, r.right > r.left ? r.right - r.left : 0,
                          r.bottom > r.top ? r.bottom - r.top : 0};
    if (std::equal(box, box + 4, scissorBox))
        return;
    std::copy(box, box + 4, scissorBox);
    glScissor(box[0], box[1], box[2], box[3]);
}

void GLPipeline::ForgetTexture(GLuint name)
{
    for (GLuint& unitTexture : unitTextures)
        if (unitTexture == name)
            unitTexture = 0;
}

void GLPipeline::ForgetBuffer(GLuint name)
{
    if (arrayBuffer == name)
        arrayBuffer = 0;
    // The arrays that read from it now read from no buffer.
    if (attributes.buffer == name)
        attributesKnown = false;
}

void GLPipeline::ApplyRasterState(const DrawSetup& setup)
{
    // Direct3D culls by the winding seen on screen, which OpenGL's window coordinates keep.
    const bool cull = setup.cullMode != D3DCULL_NONE;
    Enable(GL_CULL_FACE, cull, &cullFace);
    const GLenum front = setup.cullMode == D3DCULL_CCW ? GL_CW : GL_CCW;
    if (cull && Changed(frontFace, front))
        glFrontFace(frontFace);
    const GLenum fill = setup.fillMode == D3DFILL_POINT       ? GL_POINT
                        : setup.fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                                              : GL_FILL;
    if (Changed(polygonMode, fill))
        glPolygonMode(GL_FRONT_AND_BACK, fill);
    Enable(GL_BLEND, setup.alphaBlend, &blend);
    const GLenum factors[2] = {BlendFactor(setup.srcBlend), BlendFactor(setup.destBlend)};
    if (setup.alphaBlend && !std::equal(factors, factors + 2, blendFactors)) {
        std::copy(factors, factors + 2, blendFactors);
        glBlendFunc(factors[0], factors[1]);
    }
    Enable(GL_DEPTH_TEST, setup.zEnable, &depthTest);
    if (setup.zEnable && Changed(depthFunc, DepthFunction(setup.zFunc)))
        glDepthFunc(depthFunc);
    SetDepthWrite(setup.zWrite);
    SetScissor(setup.scissor);
}

// The array of one attribute from the vertices, or its constant default when the layout lacks
// the part.
void GLPipeline::SetArray(GLuint index, int offset, GLint size, GLenum type, GLboolean normalized,
                          const Attributes& from)
{
    if (offset < 0) {
        if (Changed(arrayEnabled[index], false)) {
            glDisableVertexAttribArray(index);
            glVertexAttrib4f(index, 0.0f, 0.0f, 0.0f, 1.0f);
        }
        return;
    }
    if (Changed(arrayEnabled[index], true))
        glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, normalized, static_cast<GLsizei>(from.stride),
                          reinterpret_cast<const void*>(from.base + static_cast<uintptr_t>(offset)));
}

void GLPipeline::ApplyAttributes(const Attributes& wanted)
{
    if (attributesKnown && wanted == attributes)
        return;
    BindArrayBuffer(wanted.buffer);
    const VertexLayout& layout = wanted.layout;
    SetArray(POSITION, layout.position, 3, GL_FLOAT, GL_FALSE, wanted);
    SetArray(DIFFUSE, layout.diffuse, 4, GL_UNSIGNED_BYTE, GL_TRUE, wanted);
    SetArray(TEX0, layout.texCoords[0], 2, GL_FLOAT, GL_FALSE, wanted);
    SetArray(TEX1, layout.texCoords[1], 2, GL_FLOAT, GL_FALSE, wanted);
    attributes = wanted;
    attributesKnown = true;
}

void GLPipeline::Draw(const DrawSetup& setup, GLuint buffer, uintptr_t base, UINT stride,
                      const VertexLayout& layout, GLenum mode, GLint first, GLsizei count)
{
    if (count <= 0)
        return;
    Program* program = UseProgram(setup);
    if (!program)
        return;
    ApplyRasterState(setup);
    for (int s = 0; s < 2; ++s) {
        GLTexture* texture = setup.textures[s];
        const GLuint name = texture ? texture->Name() : 0;
        if (unitTextures[s] != name)
            BindTexture(s, name);
        if (texture)
            texture->ApplySampler(setup.samplers[s], s);
    }
    if (std::memcmp(&setup.transform, &program->transformValue, sizeof setup.transform) != 0) {
        program->transformValue = setup.transform;
        glUniformMatrix4fv(program->transform, 1, GL_FALSE, &setup.transform.m[0][0]);
    }
    if (Changed(program->hasDiffuseValue, GLint{layout.diffuse >= 0}))
        glUniform1i(program->hasDiffuse, program->hasDiffuseValue);
    if (Changed(program->lightingValue, GLint{setup.lighting}))
        glUniform1i(program->lighting, program->lightingValue);
    ApplyAttributes({buffer, base, stride, layout});
    glDrawArrays(mode, first, count);
}

} // namespace platform::d3d9
