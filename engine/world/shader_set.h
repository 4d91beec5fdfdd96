// GLSL programs in ten numbered slots, built from sources in the resource pack through the
// ARB shader-object entry points. Uniforms are set by name on the program in use; a name the
// program does not declare is ignored, so the names are the contract with the sources.
#pragma once

#include <cstdint>

class ResourcePack;

constexpr int kShaderSlots = 10;
constexpr int16_t kWaterSlot = 3;
constexpr int16_t kTerrainSlot = 4;
constexpr int16_t kNoProgram = -1;   // any negative slot: fixed-function drawing

struct ShaderSet {
    int16_t current = 0;                        // slot in use, 0 when none
    uint32_t programs[kShaderSlots] = {};
    uint32_t vertexShaders[kShaderSlots] = {};
    uint32_t fragmentShaders[kShaderSlots] = {};

    // The picture's own gamma, where the display has no ramp the engine may set (Wayland): every
    // fragment drawn into the view is raised to this power as its last step, 1 / gamma; 1 leaves
    // the picture alone (and while drawing into the water's targets). The slots' programs take it
    // as the uniform pictureExponent; fixed-function drawing (use(kNoProgram)) then goes through
    // a fragment program of the set's own that does the fixed pipeline's texture times colour
    // and the power, so there is no extra pass over the frame.
    float pictureExponent = 1.0f;
    uint32_t fixedStandIn = 0;   // that program, made on first need
    // Sets the power for what is drawn next and binds the program in use anew with it.
    void setPictureExponent(float exponent);

    void loadProgramFromPack(ResourcePack& pack, const char* vertexName, const char* fragmentName, int16_t slot);
    // Builds the slot's program. Without shader support, or when a source is missing or empty,
    // the slot stays empty after the fatal message "Shaders not supported!" (the pointer left as
    // it is). Compile and
    // link failures are written to standard error with the driver's log; the run goes on.
    void createProgram(const char* vertexPath, const char* fragmentPath, int16_t slot);
    void use(int16_t slot);
    int uniformLocation(const char* name) const;
    void setUniform1i(const char* name, int value);
    void setUniform1f(const char* name, float value);
    void setUniform4f(const char* name, float a, float b, float c, float d);
    // Detaches and deletes every shader and program; each handle becomes 0.
    void release();

    // True when the driver offers the ARB shader objects (GLEW's vertex-program flag).
    static bool supported();
};
