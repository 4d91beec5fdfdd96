// Terrain vertex program: ground coordinates for the four maps, the distance for the haze, the
// depth below the sea for the water's colour, and the clip vertex for the water's passes.
#version 110

varying vec2 groundCoord;
varying float eyeDistance;
varying float seaDepth;

void main()
{
    groundCoord = gl_MultiTexCoord0.st;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    gl_ClipVertex = eye;
    eyeDistance = length(eye.xyz);
    // Both terrains are drawn at twice their model size, about 22.5 below the model's origin.
    seaDepth = 22.5 - 2.0 * gl_Vertex.y;
    gl_Position = ftransform();
}
