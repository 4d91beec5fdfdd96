// Water vertex program. The sea quad lies in world coordinates (only the bobbing moves it, by
// less than a unit), so the vector from the vertex to the camera is the view direction, and it
// interpolates exactly across the quad. The clip-space position gives each fragment its place
// in the reflection and refraction images.
#version 110

uniform vec4 CamPos;   // the camera's position with its height negated

varying vec4 clipPosition;
varying vec2 rippleCoord;
varying vec3 toEye;

void main()
{
    rippleCoord = gl_MultiTexCoord1.st;
    toEye = vec3(CamPos.x, -CamPos.y, CamPos.z) - gl_Vertex.xyz;
    gl_ClipVertex = gl_ModelViewMatrix * gl_Vertex;
    gl_Position = ftransform();
    clipPosition = gl_Position;
}
