// Water fragment program: the reflection and refraction images looked up where the fragment
// lies on screen, shifted by the distortion map; a Fresnel blend from the view direction, the
// refraction tinted toward deep blue the deeper the look into the water, and a sun glint from
// the distorted normal.
#version 110

uniform sampler2D ReflTex;
uniform sampler2D RefrTex;
uniform sampler2D DuDvTex;
uniform vec4 Size;      // x scales the ripples' image shift
uniform float pictureExponent;   // 1 / gamma where the display has no ramp; else 1

varying vec4 clipPosition;
varying vec2 rippleCoord;
varying vec3 toEye;

const vec3 kSunDirection = vec3(-0.7308, 0.4067, -0.5481);   // the sky picture's sun
const vec3 kSunColour = vec3(1.0, 0.93, 0.78);
const vec3 kDeepBlue = vec3(0.02, 0.12, 0.24);
const float kNearStrength = 0.028;    // image shift of the ripples close by, in screen units
const float kFarStrength = 0.004;
const float kCalmDistance = 1200.0;   // beyond it the sea mirrors almost calmly
const float kRippleSlope = 0.30;      // how far the ripples tilt the surface normal
const float kGlintPower = 220.0;

void main()
{
    vec2 wave = texture2D(DuDvTex, rippleCoord).rg * 2.0 - 1.0;
    vec3 view = normalize(toEye);

    // clipPosition.w is the distance along the view axis.
    float strength = mix(kNearStrength, kFarStrength, clamp(clipPosition.w / kCalmDistance, 0.0, 1.0)) * Size.x;
    vec2 screen = clipPosition.xy / clipPosition.w * 0.5 + 0.5;
    vec2 shift = wave * strength;
    vec3 reflection = texture2D(ReflTex, clamp(screen + shift, 0.002, 0.998)).rgb;
    vec3 refraction = texture2D(RefrTex, clamp(screen + 0.7 * shift, 0.002, 0.998)).rgb;

    vec3 normal = normalize(vec3(kRippleSlope * wave.x, 1.0, kRippleSlope * wave.y));
    float facing = clamp(dot(view, normal), 0.0, 1.0);
    float glance = 1.0 - facing;
    float glance2 = glance * glance;
    float fresnel = 0.08 + 0.92 * glance2 * glance2;

    // Looking straight down the water is clear; at a glance the light travels far through it.
    refraction = mix(refraction, kDeepBlue, 0.10 + 0.50 * glance);

    vec3 colour = mix(refraction, reflection, fresnel);
    float glint = pow(max(dot(reflect(-view, normal), kSunDirection), 0.0), kGlintPower);
    colour += kSunColour * (1.6 * glint);
    // The picture's own gamma, where the display has no ramp for it.
    if (pictureExponent != 1.0) colour = pow(clamp(colour, 0.0, 1.0), vec3(pictureExponent));
    gl_FragColor = vec4(colour, 1.0);
}
