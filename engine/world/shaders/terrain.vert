// Terrain vertex program: ground coordinates for the four maps, and per vertex (the grids are
// fine enough for it) how much haze and how much sea lie between the eye and the ground; the
// clip vertex serves the water's passes.
#version 110

varying vec2 groundCoord;
varying float hazeAmount;
varying float shallowAmount;
varying float deepAmount;

const float kHazeStart = 500.0;
const float kHazeFull = 2800.0;
const float kHazeMost = 0.6;
// Per unit of depth below the sea: sand turns turquoise within a few units, then blue further down.
const float kShallowAbsorption = 0.16;
const float kDeepAbsorption = 0.035;

void main()
{
    groundCoord = gl_MultiTexCoord0.st;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    gl_ClipVertex = eye;
    hazeAmount = kHazeMost * smoothstep(kHazeStart, kHazeFull, length(eye.xyz));
    // Both terrains are drawn at twice their model size, about 22.5 below the model's origin.
    float seaDepth = max(22.5 - 2.0 * gl_Vertex.y, 0.0);
    shallowAmount = 1.0 - exp(-kShallowAbsorption * seaDepth);
    deepAmount = 1.0 - exp(-kDeepAbsorption * seaDepth);
    gl_Position = ftransform();
}
