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
varying float eyeDistance;
varying float seaDepth;

const float kLightScale = 1.25;
const float kDetailContrast = 1.5;
const vec3 kWaterColour = vec3(0.04, 0.30, 0.36);    // what the sea does to the floor's colour
const float kWaterAbsorption = 0.045;                 // per unit of depth
const vec3 kHazeColour = vec3(0.70, 0.80, 0.88);     // the sky picture's haze at the horizon
const float kHazeStart = 500.0;
const float kHazeFull = 2800.0;

void main()
{
    vec3 surface = texture2D(SurfaceTex, groundCoord).rgb;
    vec3 layers = texture2D(MixingTex, groundCoord).rgb;
    vec3 detail = texture2D(DetailTex, groundCoord * dsize).rgb;
    float weight = max(layers.r + layers.g + layers.b, 0.001);
    float grain = dot(detail - 0.5, layers) / weight;
    vec3 colour = surface * (1.0 + kDetailContrast * grain);
    colour *= texture2D(ShadowTex, groundCoord).r * kLightScale;

    // Under the sea the ground sinks into blue-green with depth.
    float depth = max(seaDepth, 0.0);
    colour = mix(colour, kWaterColour, 1.0 - exp(-kWaterAbsorption * depth));

    float haze = smoothstep(kHazeStart, kHazeFull, eyeDistance);
    colour = mix(colour, kHazeColour, 0.85 * haze);
    gl_FragColor = vec4(colour, 1.0);
}
