// The OpenGL device's shader path on Mesa: the program built from the two source files with its
// framed info logs, and the uniforms SetLights feeds it.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <map>
#include <string>

#include "device_fixture.h"
#include "level/entities.h"
#include "render/camera.h"
#include "render/light_selection.h"

namespace Tamrik {
namespace {

using kestrova_test::DeviceTest;
using kestrova_test::ReadFile;
using kestrova_test::WriteFile;

const char* const VERTEX_FRAME = "\r\n--Vertex Shader Info--\r\n";
const char* const VERTEX_END = "\r\n----------------------\r\n";
const char* const FRAGMENT_FRAME = "\r\n--Fragment Shader Info--\r\n";
const char* const FRAGMENT_END = "\r\n------------------------\r\n";
const char* const PROGRAM_FRAME = "\r\n--Shader Program Info--\r\n";
const char* const PROGRAM_END = "\r\n-----------------------\r\n";

class ShaderPath : public DeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "glslVS.txt", "glslPS.txt"}; }
    std::string Settings() override { return "[Game]\nLog = \"true\"\n"; }

    GLint BoundProgram()
    {
        GLint bound = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
        return bound;
    }
};

TEST_F(ShaderPath, TheProjectsSourcesLinkAndLogSixFramingLinesWithoutErrors)
{
    EXPECT_TRUE(device->shaderProgramLinked);
    const std::string log = ReadFile("log.txt");
    const size_t vertex = log.find(VERTEX_FRAME);
    const size_t vertexEnd = log.find(VERTEX_END);
    const size_t fragment = log.find(FRAGMENT_FRAME);
    const size_t fragmentEnd = log.find(FRAGMENT_END);
    const size_t program = log.find(PROGRAM_FRAME);
    const size_t programEnd = log.find(PROGRAM_END);
    ASSERT_NE(vertex, std::string::npos) << log;
    EXPECT_LT(vertex, vertexEnd);
    EXPECT_LT(vertexEnd, fragment);
    EXPECT_LT(fragment, fragmentEnd);
    EXPECT_LT(fragmentEnd, program);
    EXPECT_LT(program, programEnd);
    ASSERT_NE(programEnd, std::string::npos) << log;
    const std::string block = log.substr(vertex, programEnd - vertex);
    EXPECT_EQ(block.find("rror"), std::string::npos) << block;

    // Every uniform SetLights feeds is live in the program, with the type it is set with.
    const std::map<std::string, GLenum> expected = {
        {"tex", GL_SAMPLER_2D},       {"camPos", GL_FLOAT_VEC4},    {"globalAmb", GL_FLOAT_VEC4},
        {"numLights", GL_INT},        {"lightPos", GL_FLOAT_VEC4},  {"lightAmb", GL_FLOAT_VEC4},
        {"lightDiff", GL_FLOAT_VEC4}, {"lightSpec", GL_FLOAT_VEC4}, {"spotDir", GL_FLOAT_VEC3},
        {"constAtt", GL_FLOAT},       {"linAtt", GL_FLOAT},         {"quadAtt", GL_FLOAT},
        {"spotCut", GL_FLOAT},        {"spotExp", GL_FLOAT}};
    std::map<std::string, GLenum> active;
    GLint count = 0;
    glGetProgramiv(device->program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[128];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(device->program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        active[name] = type;
    }
    for (const auto& [name, type] : expected) {
        ASSERT_TRUE(active.count(name)) << name << " is not an active uniform";
        EXPECT_EQ(active[name], type) << name;
    }
    // The lightmap sampler reads unit 1 without SetLights touching it.
    GLint unit = -1;
    glGetUniformiv(device->program, glGetUniformLocation(device->program, "lightmap"), &unit);
    EXPECT_EQ(unit, 1);
}

TEST_F(ShaderPath, SetLightsFeedsTheCameraTheAmbientAndTheFirstLight)
{
    device->camera->position[0] = 10;
    device->camera->position[1] = 20;
    device->camera->position[2] = 30;
    Light lights[MAX_FRAME_LIGHTS];
    ResetFrameLights(lights, device->entities);
    for (int i = 0; i < MAX_FRAME_LIGHTS; ++i)
        lights[i].origin[0] = static_cast<float>(i);
    lights[0].origin[1] = 5;
    lights[0].spotDirection[2] = -1;
    lights[0].quadAtten = 0.25f;
    lights[0].spotAngle = 0.6f;
    lights[0].spotExponention = 60;

    device->SetShaderUsage(true);
    device->SetLights(lights, 64);
    const GLuint program = device->program;
    ASSERT_EQ(BoundProgram(), static_cast<GLint>(program));

    GLint ints[1] = {-1};
    glGetUniformiv(program, glGetUniformLocation(program, "numLights"), ints);
    EXPECT_EQ(ints[0], 64);
    glGetUniformiv(program, glGetUniformLocation(program, "tex"), ints);
    EXPECT_EQ(ints[0], 0);

    GLfloat v[4] = {0, 0, 0, 0};
    glGetUniformfv(program, glGetUniformLocation(program, "camPos"), v);
    EXPECT_EQ(v[0], 20.0f);
    EXPECT_EQ(v[1], 30.0f);
    EXPECT_EQ(v[2], 10.0f);
    EXPECT_EQ(v[3], 1.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "globalAmb"), v);
    EXPECT_FLOAT_EQ(v[0], 0.03f);
    EXPECT_EQ(v[3], 1.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "lightPos"), v);
    EXPECT_EQ(v[0], 0.0f); // lights[0], not any later one
    EXPECT_EQ(v[1], 5.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "lightDiff"), v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    glGetUniformfv(program, glGetUniformLocation(program, "spotDir"), v);
    EXPECT_EQ(v[2], -1.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "quadAtt"), v);
    EXPECT_EQ(v[0], 0.25f);
    glGetUniformfv(program, glGetUniformLocation(program, "spotCut"), v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    glGetUniformfv(program, glGetUniformLocation(program, "spotExp"), v);
    EXPECT_EQ(v[0], 60.0f);

    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_EQ(v[0], 96.0f);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    EXPECT_EQ(v[1], 1.0f);

    // With only the spot light, numLights is 1.
    device->SetLights(lights, 1);
    glGetUniformiv(program, glGetUniformLocation(program, "numLights"), ints);
    EXPECT_EQ(ints[0], 1);
}

TEST_F(ShaderPath, WithTheSwitchOffNothingIsBound)
{
    Light lights[1];
    device->SetLights(lights, 1);
    EXPECT_EQ(BoundProgram(), 0);
    device->SetShaderUsage(true);
    device->SetLights(lights, 1);
    EXPECT_NE(BoundProgram(), 0);
    // The 2D drawing that follows unbinds it, so every frame starts without a program.
    device->Set2DMode();
    device->DrawSplash();
    EXPECT_EQ(BoundProgram(), 0);
}

class MissingFragmentSource : public ShaderPath {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "glslVS.txt"}; }
};

TEST_F(MissingFragmentSource, LogsTheVertexBlockOnlyAndKeepsThePathOff)
{
    EXPECT_FALSE(device->shaderProgramLinked);
    const std::string log = ReadFile("log.txt");
    EXPECT_NE(log.find(VERTEX_FRAME), std::string::npos);
    EXPECT_EQ(log.find(FRAGMENT_FRAME), std::string::npos);
    EXPECT_EQ(log.find(PROGRAM_FRAME), std::string::npos);
    Light lights[1];
    device->SetShaderUsage(true);
    device->SetLights(lights, 1);
    EXPECT_EQ(BoundProgram(), 0);
}

class MissingVertexSource : public ShaderPath {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "glslPS.txt"}; }
};

TEST_F(MissingVertexSource, LogsNothingAndKeepsThePathOff)
{
    EXPECT_FALSE(device->shaderProgramLinked);
    EXPECT_EQ(ReadFile("log.txt").find("Shader"), std::string::npos);
}

class BrokenFragmentSource : public ShaderPath {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "glslVS.txt"}; }
    void PrepareFiles() override { WriteFile("glslPS.txt", "void main() { gl_FragColor = undeclared; }\n"); }
};

TEST_F(BrokenFragmentSource, ShowsTheCompilerMessageBetweenTheFramesAndKeepsThePathOff)
{
    EXPECT_FALSE(device->shaderProgramLinked);
    const std::string log = ReadFile("log.txt");
    const size_t fragment = log.find(FRAGMENT_FRAME);
    const size_t fragmentEnd = log.find(FRAGMENT_END);
    ASSERT_NE(fragment, std::string::npos);
    ASSERT_NE(fragmentEnd, std::string::npos);
    EXPECT_NE(log.substr(fragment, fragmentEnd - fragment).find("undeclared"), std::string::npos) << log;
    EXPECT_NE(log.find(PROGRAM_END), std::string::npos);
}

} // namespace
} // namespace Tamrik
