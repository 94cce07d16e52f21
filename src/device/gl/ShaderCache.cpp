// Compilation and linking of generated shaders.
#include "device/gl/ShaderCache.h"

#include "device/gl/ShaderGenerator.h"

#include <cstdio>
#include <string>

namespace {

void PrintLog(const char* what, const std::string& log, const std::string& source) {
    std::fprintf(stderr, "device: %s failed:\n%s\n%s\n", what, log.c_str(), source.c_str());
}

GLuint Compile(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::string log(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
        glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        PrintLog(type == GL_VERTEX_SHADER ? "vertex shader" : "fragment shader", log, source);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

FixedFunctionProgram Build(const FixedFunctionKey& key) {
    FixedFunctionProgram result;
    const GLuint vertex = Compile(GL_VERTEX_SHADER, GenerateVertexShader(key));
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, GenerateFragmentShader(key));
    if (vertex == 0 || fragment == 0) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return result;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::string log(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
        glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, log.data());
        PrintLog("program link", log, GenerateFragmentShader(key));
        glDeleteProgram(program);
        return result;
    }

    result.id = program;
    for (unsigned i = 0; i < kUniformCount; ++i) {
        result.uniforms[i] =
            glGetUniformLocation(program, UniformName(static_cast<FixedFunctionUniform>(i)));
    }
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(program);
    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        const GLint location = glGetUniformLocation(program, SamplerName(stage));
        if (location >= 0) {
            glUniform1i(location, stage);
        }
    }
    glUseProgram(static_cast<GLuint>(previous));
    return result;
}

} // namespace

ShaderCache::~ShaderCache() {
    for (const auto& entry : programs) {
        glDeleteProgram(entry.second.id);
    }
}

FixedFunctionProgram& ShaderCache::ProgramFor(const FixedFunctionKey& key) {
    const auto found = programs.find(key);
    if (found != programs.end()) {
        return found->second;
    }
    return programs.emplace(key, Build(key)).first->second;
}
