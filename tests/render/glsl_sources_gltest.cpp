// The project's GLSL sources compile and link on Mesa and declare every uniform the device sets,
// with the type it sets it with.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <map>
#include <string>

#include "platform/gl_context.h"
#include "platform/window.h"
#include "tests/support/test_paths.h"

namespace Tamrik {
namespace {

GLuint Compile(GLenum kind, const std::string& source, std::string& log)
{
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length > 0) {
        std::string buffer(static_cast<size_t>(length), '\0');
        glGetShaderInfoLog(shader, length, nullptr, buffer.data());
        log += buffer;
    }
    return shader;
}

TEST(GlslSources, CompileLinkAndDeclareEveryUniformWithItsType)
{
    platform::WindowSettings settings;
    settings.width = 64;
    settings.height = 64;
    platform::WindowError error;
    platform::Window* window = platform::CreateMainWindow("Tamrik", settings, &error);
    ASSERT_NE(window, nullptr);
    platform::GLContext* context = platform::CreateGLContext(window);
    ASSERT_NE(context, nullptr);
    glewInit();

    const std::string vertex = kestrova_test::ReadFile(kestrova_test::RunDir() / "glslVS.txt");
    const std::string fragment = kestrova_test::ReadFile(kestrova_test::RunDir() / "glslPS.txt");
    ASSERT_FALSE(vertex.empty());
    ASSERT_FALSE(fragment.empty());

    std::string log;
    const GLuint vs = Compile(GL_VERTEX_SHADER, vertex, log);
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment, log);
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE) << log;

    const std::map<std::string, GLenum> expected = {
        {"tex", GL_SAMPLER_2D},    {"camPos", GL_FLOAT_VEC4},    {"globalAmb", GL_FLOAT_VEC4},
        {"numLights", GL_INT},     {"lightPos", GL_FLOAT_VEC4},  {"lightAmb", GL_FLOAT_VEC4},
        {"lightDiff", GL_FLOAT_VEC4}, {"lightSpec", GL_FLOAT_VEC4}, {"spotDir", GL_FLOAT_VEC3},
        {"constAtt", GL_FLOAT},    {"linAtt", GL_FLOAT},         {"quadAtt", GL_FLOAT},
        {"spotCut", GL_FLOAT},     {"spotExp", GL_FLOAT}};
    std::map<std::string, GLenum> active;
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[128];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        active[name] = type;
    }
    for (const auto& [name, type] : expected) {
        ASSERT_TRUE(active.count(name)) << name << " is not an active uniform";
        EXPECT_EQ(active[name], type) << name;
    }

    // The lightmap sampler reads unit 1 without anyone setting it.
    const GLint lightmap = glGetUniformLocation(program, "lightmap");
    ASSERT_NE(lightmap, -1);
    GLint unit = -1;
    glGetUniformiv(program, lightmap, &unit);
    EXPECT_EQ(unit, 1);

    glDeleteProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    platform::DestroyGLContext(context);
    platform::DestroyMainWindow(window);
}

} // namespace
} // namespace Tamrik
