// Water fragment program: the reflection and refraction images looked up where the fragment
// lies on screen, shifted by the distortion map; a Fresnel blend from the view direction, the
// refraction tinted toward deep blue the deeper the look into the water, and a sun glint.
// CamPos carries the camera's height with its sign inverted.
#version 110

uniform sampler2D ReflTex;
uniform sampler2D RefrTex;
uniform sampler2D DuDvTex;
uniform vec4 CamPos;
uniform vec4 Size;

varying vec4 clipPosition;
varying vec2 rippleCoord;
varying vec3 seaPoint;

const vec3 kSunDirection = vec3(-0.7308, 0.4067, -0.5481);   // the sky picture's sun
const vec3 kSunColour = vec3(1.0, 0.93, 0.78);
const vec3 kDeepBlue = vec3(0.02, 0.12, 0.24);
const float kNearStrength = 0.028;     // image shift of the ripples close by, in screen units
const float kFarStrength = 0.004;
const float kRippleSlope = 0.30;       // how far the ripples tilt the surface normal
const float kGlintPower = 220.0;

void main()
{
    vec2 ripple = texture2D(DuDvTex, rippleCoord).rg * 2.0 - 1.0;
    // A second, larger and slower swell across the first keeps the pattern from tiling visibly.
    vec2 swell = texture2D(DuDvTex, rippleCoord.ts * 0.23 + vec2(0.31, 0.17)).rg * 2.0 - 1.0;
    vec2 wave = 0.6 * ripple + 0.4 * swell;

    vec3 eye = vec3(CamPos.x, -CamPos.y, CamPos.z);
    vec3 toEye = eye - seaPoint;
    float distance = length(toEye);
    vec3 view = toEye / max(distance, 0.001);

    float strength = mix(kNearStrength, kFarStrength, smoothstep(30.0, 1200.0, distance)) * Size.x;
    vec2 screen = clipPosition.xy / clipPosition.w * 0.5 + 0.5;
    vec2 shift = wave * strength;
    vec3 reflection = texture2D(ReflTex, clamp(screen + shift, 0.002, 0.998)).rgb;
    vec3 refraction = texture2D(RefrTex, clamp(screen + 0.7 * shift, 0.002, 0.998)).rgb;

    vec3 normal = normalize(vec3(kRippleSlope * wave.x, 1.0, kRippleSlope * wave.y));
    float facing = clamp(dot(view, normal), 0.0, 1.0);
    float fresnel = 0.08 + 0.92 * pow(1.0 - facing, 4.0);

    // Looking straight down the water is clear; at a glance the light travels far through it.
    float murk = clamp(0.30 + 0.55 * (1.0 - facing), 0.0, 0.9);
    refraction = mix(refraction, kDeepBlue, murk);

    vec3 colour = mix(refraction, reflection, fresnel);
    vec3 mirrored = reflect(-view, normal);
    float glint = pow(max(dot(mirrored, kSunDirection), 0.0), kGlintPower);
    colour += kSunColour * (1.6 * glint);
    gl_FragColor = vec4(colour, 1.0);
}
