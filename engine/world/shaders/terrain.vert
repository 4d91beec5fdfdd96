// Terrain vertex program: ground coordinates for the four maps, and per vertex (the grids are
// fine enough for it) how much haze and how much sea lie between the eye and the ground, and
// where rock strata may show: the ground's height, and how steep and how near it is. The clip
// vertex serves the water's passes.
#version 110

varying vec2 groundCoord;
varying vec4 shade;   // haze, shallow sea, deep sea, strata
varying float groundHeight;

const float kHazeStart = 500.0;
const float kHazeFull = 2800.0;
const float kHazeMost = 0.6;
// Per unit of depth below the sea: sand turns turquoise within a few units, then blue further down.
const float kShallowAbsorption = 0.16;
const float kDeepAbsorption = 0.035;
// Strata show on ground steeper than about 35 degrees, and fade out with distance before their
// lines get finer than the pixels.
const float kStrataSteepFrom = 0.15;
const float kStrataSteepFull = 0.35;
const float kStrataNear = 120.0;
const float kStrataFar = 260.0;

void main()
{
    groundCoord = gl_MultiTexCoord0.st;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    gl_ClipVertex = eye;
    float distance = length(eye.xyz);
    // Both terrains are drawn at twice their model size, about 22.5 below the model's origin.
    groundHeight = 2.0 * gl_Vertex.y - 22.5;
    float seaDepth = max(-groundHeight, 0.0);
    float steep = smoothstep(kStrataSteepFrom, kStrataSteepFull, 1.0 - normalize(gl_Normal).y);
    shade = vec4(kHazeMost * smoothstep(kHazeStart, kHazeFull, distance),
                 1.0 - exp(-kShallowAbsorption * seaDepth),
                 1.0 - exp(-kDeepAbsorption * seaDepth),
                 steep * (1.0 - smoothstep(kStrataNear, kStrataFar, distance)));
    gl_Position = ftransform();
}
