// Terrain fragment program. The surface map holds the ground's colour, the mixing map the
// weights of sand (red), vegetation (green) and rock (blue), the detail map those three layers'
// fine texture around mid grey, repeated dsize times, and the shadow map the baked sunlight
// stored at 1 / 1.25 of its strength. On steep rock, strata: tilted layers a metre or two thick
// whose edges show as a dark undercut under a pale lip, frayed by the rock's detail.
#version 110

uniform sampler2D SurfaceTex;
uniform sampler2D MixingTex;
uniform sampler2D DetailTex;
uniform sampler2D ShadowTex;
uniform float dsize;
uniform float pictureExponent;   // 1 / gamma in the view where the display has no ramp; else 1

varying vec2 groundCoord;
varying vec4 shade;   // haze, shallow sea, deep sea, strata
varying float groundHeight;

const float kLightScale = 1.25;
const float kSkyLight = 0.30;         // light from the sky that reaches even the shadows
const float kDetailContrast = 1.2;
// The detail drifts with the baked light, so that its repeats fall out of step over rock.
const float kDetailDrift = 0.25;
const vec3 kShallowColour = vec3(0.30, 0.78, 0.74);  // what a little sea does to the floor's colour
const vec3 kDeepColour = vec3(0.02, 0.16, 0.30);
const vec3 kHazeColour = vec3(0.70, 0.80, 0.88);    // the sky picture's haze at the horizon
// Strata: layers per unit of height, their dip across the ground (layers per texture unit),
// how much the rock's detail frays their edges, and how dark the undercut and pale the lip at
// most (each layer's edge has a strength of its own).
const float kStrataPerUnit = 0.45;
const vec2 kStrataDip = vec2(60.0, 35.0);
const float kStrataFray = 0.6;
const float kUndercut = 0.34;
const float kLip = 0.12;

void main()
{
    vec3 surface = texture2D(SurfaceTex, groundCoord).rgb;
    vec3 layers = texture2D(MixingTex, groundCoord).rgb;
    float baked = texture2D(ShadowTex, groundCoord).r;
    vec3 detail = texture2D(DetailTex, groundCoord * dsize + kDetailDrift * baked).rgb;
    float light = kSkyLight + (1.0 - kSkyLight) * kLightScale * baked;
    float total = max(layers.r + layers.g + layers.b, 0.001);
    float grain = dot(detail - 0.5, layers) / total;
    float stratum = groundHeight * kStrataPerUnit + dot(groundCoord, kStrataDip) + kStrataFray * detail.b;
    float phase = fract(stratum);
    float edge = fract(floor(stratum) * 0.618034);   // golden-ratio steps: no two neighbours alike
    float ledge = kLip * (1.0 - smoothstep(0.0, 0.12, phase)) - kUndercut * smoothstep(0.72, 0.97, phase);
    grain += ledge * edge * shade.w * layers.b / total;
    vec3 colour = surface * ((1.0 + kDetailContrast * grain) * light);
    colour = mix(colour, kShallowColour * (0.5 + 0.5 * light), 0.7 * shade.y);
    colour = mix(colour, kDeepColour, shade.z);
    colour = mix(colour, kHazeColour, shade.x);
    // The picture's own gamma, where the display has no ramp for it.
    if (pictureExponent != 1.0) colour = pow(clamp(colour, 0.0, 1.0), vec3(pictureExponent));
    gl_FragColor = vec4(colour, 1.0);
}
