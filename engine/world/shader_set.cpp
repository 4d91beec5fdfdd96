// Shader programs through the ARB shader-object entry points.
#include "world/shader_set.h"

#include "assets/pack.h"
#include "base/messages.h"
#include "base/whole_file.h"

#include <epoxy/gl.h>
#include <optional>
#include <string>

// A source file's text, as the driver reads it: up to its first zero byte.
static std::optional<std::string> readSource(const char* path)
{
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    std::string text(bytes->begin(), bytes->end());
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

bool ShaderSet::supported()
{
    return epoxy_has_gl_extension("GL_ARB_vertex_program") && epoxy_has_gl_extension("GL_ARB_shader_objects");
}

static bool validSlot(int16_t slot) { return slot >= 0 && slot < kShaderSlots; }

static void refuse() { showFatalMessage("Shaders not supported!", "ERROR", FailurePointer::Unchanged); }

static std::string infoLog(GLhandleARB object)
{
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 1) return "(the driver gave no log)";
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    glGetInfoLogARB(object, length, &written, log.data());
    log.resize(static_cast<size_t>(written));
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r')) log.pop_back();
    return log;
}

static GLhandleARB compileShader(GLenum kind, const char* source, const char* path)
{
    GLhandleARB shader = glCreateShaderObjectARB(kind);
    glShaderSourceARB(shader, 1, &source, nullptr);
    glCompileShaderARB(shader);
    GLint compiled = 0;
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
    if (!compiled) logLine("shader %s does not compile:\n%s", path, infoLog(shader).c_str());
    return shader;
}

static bool compilingList()
{
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    return list != 0;
}

// A uniform's value belongs to its program: set with the program bound, which stays bound.
static void setExponentOf(uint32_t program, float exponent)
{
    if (!program) return;
    const GLint location = glGetUniformLocationARB(program, "pictureExponent");
    if (location < 0) return;
    glUseProgramObjectARB(program);
    glUniform1fARB(location, exponent);
}

void ShaderSet::createProgram(const char* vertexPath, const char* fragmentPath, int16_t slot)
{
    if (!validSlot(slot)) {
        logLine("shader slot %d does not exist", slot);
        return;
    }
    if (!supported()) {
        refuse();
        return;
    }
    const std::optional<std::string> vertexSource = readSource(vertexPath);
    const std::optional<std::string> fragmentSource = readSource(fragmentPath);
    // A missing or empty source would link into a program that draws nothing useful.
    for (auto [source, path] : {std::pair{&vertexSource, vertexPath}, std::pair{&fragmentSource, fragmentPath}}) {
        if (!*source || (*source)->empty()) {
            logLine("shader source %s is %s", path, *source ? "empty" : "missing");
            refuse();
            return;
        }
    }
    vertexShaders[slot] = static_cast<uint32_t>(compileShader(GL_VERTEX_SHADER_ARB, vertexSource->c_str(), vertexPath));
    fragmentShaders[slot] = static_cast<uint32_t>(compileShader(GL_FRAGMENT_SHADER_ARB, fragmentSource->c_str(), fragmentPath));
    GLhandleARB program = glCreateProgramObjectARB();
    programs[slot] = static_cast<uint32_t>(program);
    glAttachObjectARB(program, vertexShaders[slot]);
    glAttachObjectARB(program, fragmentShaders[slot]);
    glLinkProgramARB(program);
    GLint linked = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    if (!linked) {
        logLine("shader program of %s and %s does not link:\n%s", vertexPath, fragmentPath, infoLog(program).c_str());
        return;
    }
    // A uniform starts at 0, and a power of 0 would paint everything white: the picture's power
    // is set now, for display lists that bind the program without setting it.
    setExponentOf(programs[slot], pictureExponent);
    glUseProgramObjectARB(programs[current]);
}

void ShaderSet::loadProgramFromPack(ResourcePack& pack, const char* vertexName, const char* fragmentName, int16_t slot)
{
    pack.extract(vertexName);
    pack.extract(fragmentName);
    createProgram(pack.tempPath(vertexName).c_str(), pack.tempPath(fragmentName).c_str(), slot);
}

// Fixed-function vertex work (lighting, clip planes) feeds it; a texture is always bound where it
// draws (a white one for plain colour), since a program cannot see whether texturing is on.
static const char* const kFixedStandInSource =
    "#version 110\n"
    "uniform sampler2D picture;\n"
    "uniform float pictureExponent;\n"
    "void main()\n"
    "{\n"
    "    vec4 colour = gl_Color * texture2D(picture, gl_TexCoord[0].st);\n"
    "    gl_FragColor = vec4(pow(clamp(colour.rgb, 0.0, 1.0), vec3(pictureExponent)), colour.a);\n"
    "}\n";

static GLhandleARB makeFixedStandIn()
{
    GLhandleARB shader = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    const GLcharARB* source = kFixedStandInSource;
    glShaderSourceARB(shader, 1, &source, nullptr);
    glCompileShaderARB(shader);
    GLhandleARB program = glCreateProgramObjectARB();
    glAttachObjectARB(program, shader);
    glLinkProgramARB(program);
    glDeleteObjectARB(shader);   // goes with the program
    GLint linked = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    if (linked) return program;
    logLine("the picture's gamma cannot be drawn (its program does not link):\n%s", infoLog(program).c_str());
    glDeleteObjectARB(program);
    return 0;
}

void ShaderSet::use(int16_t slot)
{
    // Without shader objects there is nothing to bind (the run has been stopped with its message).
    static const bool shaderObjects = supported();
    if (!shaderObjects) {
        current = 0;
        return;
    }
    if (slot < 0 || slot >= kShaderSlots) {
        current = 0;
        if (pictureExponent != 1.0f) {
            if (!fixedStandIn) fixedStandIn = static_cast<uint32_t>(makeFixedStandIn());
            if (fixedStandIn) {
                glUseProgramObjectARB(fixedStandIn);
                glUniform1iARB(glGetUniformLocationARB(fixedStandIn, "picture"), 0);
                glUniform1fARB(glGetUniformLocationARB(fixedStandIn, "pictureExponent"), pictureExponent);
                return;
            }
        }
        glUseProgramObjectARB(0);
        return;
    }
    glUseProgramObjectARB(programs[slot]);
    current = slot;
    // Not into a display list being recorded: it would replay the power of its making.
    if (programs[slot] && !compilingList()) setUniform1f("pictureExponent", pictureExponent);
}

void ShaderSet::setPictureExponent(float exponent)
{
    pictureExponent = exponent;
    // Every program at once, for the display lists that bind one without setting it.
    for (uint32_t program : programs) setExponentOf(program, exponent);
    use(current ? current : kNoProgram);
}

int ShaderSet::uniformLocation(const char* name) const
{
    if (!glGetUniformLocationARB || !programs[current]) return -1;
    return glGetUniformLocationARB(programs[current], name);
}

void ShaderSet::setUniform1i(const char* name, int value)
{
    int location = uniformLocation(name);
    if (location >= 0) glUniform1iARB(location, value);
}

void ShaderSet::setUniform1f(const char* name, float value)
{
    int location = uniformLocation(name);
    if (location >= 0) glUniform1fARB(location, value);
}

void ShaderSet::setUniform4f(const char* name, float a, float b, float c, float d)
{
    int location = uniformLocation(name);
    if (location >= 0) glUniform4fARB(location, a, b, c, d);
}

void ShaderSet::release()
{
    for (int slot = 0; slot < kShaderSlots; ++slot) {
        if (vertexShaders[slot]) {
            glDetachObjectARB(programs[slot], vertexShaders[slot]);
            glDeleteObjectARB(vertexShaders[slot]);
        }
        if (fragmentShaders[slot]) {
            glDetachObjectARB(programs[slot], fragmentShaders[slot]);
            glDeleteObjectARB(fragmentShaders[slot]);
        }
        if (programs[slot]) glDeleteObjectARB(programs[slot]);
        programs[slot] = vertexShaders[slot] = fragmentShaders[slot] = 0;
    }
    if (fixedStandIn) glDeleteObjectARB(fixedStandIn);
    fixedStandIn = 0;
    current = 0;
}
