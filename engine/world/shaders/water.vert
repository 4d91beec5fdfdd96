// Water vertex program. The sea quad lies in world coordinates (only the bobbing moves it, by
// less than a unit), so the vertex is the world point for the view direction; the clip-space
// position gives each fragment its place in the reflection and refraction images.
#version 110

varying vec4 clipPosition;
varying vec2 rippleCoord;
varying vec3 seaPoint;

void main()
{
    rippleCoord = gl_MultiTexCoord1.st;
    seaPoint = gl_Vertex.xyz;
    gl_ClipVertex = gl_ModelViewMatrix * gl_Vertex;
    gl_Position = ftransform();
    clipPosition = gl_Position;
}
