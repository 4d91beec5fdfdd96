// Terrain fragment program. The surface map holds the ground's colour, the mixing map the
// weights of sand (red), vegetation (green) and rock (blue), the detail map those three layers'
// fine texture around mid grey, repeated dsize times, and the shadow map the baked sunlight
// stored at 1 / 1.25 of its strength.
#version 110

uniform sampler2D SurfaceTex;
uniform sampler2D MixingTex;
uniform sampler2D DetailTex;
uniform sampler2D ShadowTex;
uniform float dsize;

varying vec2 groundCoord;
varying float hazeAmount;
varying float shallowAmount;
varying float deepAmount;

const float kLightScale = 1.25;
const float kSkyLight = 0.30;         // light from the sky that reaches even the shadows
const float kDetailContrast = 1.2;
const vec3 kShallowColour = vec3(0.30, 0.78, 0.74);  // what a little sea does to the floor's colour
const vec3 kDeepColour = vec3(0.02, 0.16, 0.30);
const vec3 kHazeColour = vec3(0.70, 0.80, 0.88);    // the sky picture's haze at the horizon

void main()
{
    vec3 surface = texture2D(SurfaceTex, groundCoord).rgb;
    vec3 layers = texture2D(MixingTex, groundCoord).rgb;
    vec3 detail = texture2D(DetailTex, groundCoord * dsize).rgb;
    float light = kSkyLight + (1.0 - kSkyLight) * kLightScale * texture2D(ShadowTex, groundCoord).r;
    float grain = dot(detail - 0.5, layers) / max(layers.r + layers.g + layers.b, 0.001);
    vec3 colour = surface * ((1.0 + kDetailContrast * grain) * light);
    colour = mix(colour, kShallowColour * (0.5 + 0.5 * light), 0.7 * shallowAmount);
    colour = mix(colour, kDeepColour, deepAmount);
    gl_FragColor = vec4(mix(colour, kHazeColour, hazeAmount), 1.0);
}
