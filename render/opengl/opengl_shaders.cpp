// The OpenGL device's shader path: building the program from "glslVS.txt" and "glslPS.txt"
// with its info logs, and feeding it the camera, the global ambient and the frame's first light.
#include "render/opengl/opengl_device.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>

#include "core/log.h"
#include "core/system.h"
#include "level/entities.h"
#include "render/camera.h"

namespace Tamrik {

namespace {

// Shader sources are small; a file beyond this is not one of ours and is not read.
constexpr long MAX_SHADER_SOURCE = 1L << 20;

// The whole file as one NUL-terminated text (malloc'd), or null when it does not open.
char* ReadShaderSource(const char* path)
{
    FILE* file = std::fopen(path, "r");
    if (!file)
        return nullptr;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    if (size < 0 || size > MAX_SHADER_SOURCE)
        size = 0;
    std::rewind(file);
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (!text) {
        std::fclose(file);
        return nullptr;
    }
    // Text mode may deliver fewer bytes than the size (line ends).
    const size_t read = std::fread(text, 1, static_cast<size_t>(size), file);
    text[read] = '\0';
    std::fclose(file);
    return text;
}

// Compiles the file into the shader and logs the shader's info log between the two framing
// lines; false, with nothing logged, when the file does not open.
bool CompileShaderFile(COpenGLRenderDevice& device, GLuint shader, const char* path, const char* title,
                       const char* rule)
{
    char* text = ReadShaderSource(path);
    if (!text)
        return false;
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    CLog* log = device.system->log;
    log->Write(title);
    device.PrintShaderInfoLog(shader);
    log->Write(rule);
    std::free(text);
    return true;
}

// One object's info log, written unchanged; shaders and programs differ only in their queries.
void WriteInfoLog(CLog* log, GLuint object, PFNGLGETSHADERIVPROC getParameter, PFNGLGETSHADERINFOLOGPROC getInfoLog)
{
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!text)
        return;
    GLsizei written = 0;
    getInfoLog(object, length, &written, text);
    text[written >= 0 && written <= length ? written : 0] = '\0';
    log->Write(text);
    std::free(text);
}

} // namespace

void COpenGLRenderDevice::PrintShaderInfoLog(uint32_t shader)
{
    WriteInfoLog(system->log, shader, glGetShaderiv, glGetShaderInfoLog);
}

void COpenGLRenderDevice::PrintProgramInfoLog(uint32_t shaderProgram)
{
    WriteInfoLog(system->log, shaderProgram, glGetProgramiv, glGetProgramInfoLog);
}

void COpenGLRenderDevice::LoadShaders()
{
    shaderProgramLinked = false;
    CLog* log = system->log;

    const GLuint vs = glCreateShader(GL_VERTEX_SHADER);
    if (!CompileShaderFile(*this, vs, "glslVS.txt", "\n--Vertex Shader Info--\n", "\n----------------------\n"))
        return;
    const GLuint fs = glCreateShader(GL_FRAGMENT_SHADER);
    if (!CompileShaderFile(*this, fs, "glslPS.txt", "\n--Fragment Shader Info--\n",
                           "\n------------------------\n"))
        return;

    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    log->Write("\n--Shader Program Info--\n");
    PrintProgramInfoLog(program);
    log->Write("\n-----------------------\n");

    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        shaderProgramLinked = true;
}

void COpenGLRenderDevice::SetLights(Light* lights, int32_t count)
{
    if (!shaderUsage || !shaderProgramLinked || !lights || count < 1)
        return;
    glUseProgram(program);

    const GLint tex = glGetUniformLocation(program, "tex");
    glUniform1i(tex, 0);
    const GLint camPos = glGetUniformLocation(program, "camPos");
    const GLint globalAmb = glGetUniformLocation(program, "globalAmb");
    const GLint numLights = glGetUniformLocation(program, "numLights");
    const GLint lightPos = glGetUniformLocation(program, "lightPos");
    const GLint lightAmb = glGetUniformLocation(program, "lightAmb");
    const GLint lightDiff = glGetUniformLocation(program, "lightDiff");
    const GLint lightSpec = glGetUniformLocation(program, "lightSpec");
    const GLint constAtt = glGetUniformLocation(program, "constAtt");
    const GLint linAtt = glGetUniformLocation(program, "linAtt");
    const GLint quadAtt = glGetUniformLocation(program, "quadAtt");
    const GLint spotExp = glGetUniformLocation(program, "spotExp");
    const GLint spotCut = glGetUniformLocation(program, "spotCut");
    const GLint spotDir = glGetUniformLocation(program, "spotDir");

    const float* p = camera->position;
    glUniform4f(camPos, p[1], p[2], p[0], 1.0f);
    glUniform4f(globalAmb, 0.03f, 0.03f, 0.03f, 1.0f);
    glUniform1i(numLights, count);

    const Light& first = lights[0];
    glUniform4fv(lightPos, 1, first.origin);
    glUniform4fv(lightAmb, 1, first.ambient);
    glUniform4fv(lightDiff, 1, first.diffuse);
    glUniform4fv(lightSpec, 1, first.specular);
    glUniform3fv(spotDir, 1, first.spotDirection);
    glUniform1fv(constAtt, 1, &first.constAtten);
    glUniform1fv(linAtt, 1, &first.linAtten);
    glUniform1fv(quadAtt, 1, &first.quadAtten);
    glUniform1fv(spotCut, 1, &first.spotAngle);
    glUniform1fv(spotExp, 1, &first.spotExponention);

    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT, GL_AMBIENT, white);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMateriali(GL_FRONT, GL_SHININESS, 96);
}

} // namespace Tamrik
