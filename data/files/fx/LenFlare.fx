// Lens flare of the sun: the origin of the unit is the light source; four glows, one per pass and
// texture, are laid from its place on the screen along g_LenToScreenCenterDirOffset (the way to the
// screen centre) and added to the frame, fading as the source leaves the screen. A glow without a
// texture is a soft disc. Vertices are placed with the unit's WorldViewProjection (a reflected view
// in the water pass); the device adds the clip distances of the planes it has on.

shared param float4x4 ViewInverse : ViewInverse;
shared param float4x4 View : View;
shared param float4x4 ViewProjection : ViewProjection;
shared param struct g_light {
    int m_type;
    float3 m_pos;
    float3 m_dir;
    float3 m_falloff;
    float m_range;
    float4 m_ambient;
    float4 m_diffuse;
    float4 m_specular;
};
shared param float g_fogstart;
shared param float g_fogend;
shared param float g_fogdensity;
shared param float4 g_fogcolor;
shared param float g_time;
shared param float g_ElapsedTime;

param float4x4 World : World;
param float4x4 WorldView : WorldView;
param float4x4 WorldViewProjection : WorldViewProjection;
param float4x4 WorldInverseTranspose : WorldInverseTranspose;
param float4 g_MaterialAmbient = 1.0, 1.0, 1.0, 1.0;
param float4 g_MaterialDiffuse = 1.0, 1.0, 1.0, 1.0;
param float4 g_MaterialSpecular = 0.0, 0.0, 0.0, 0.0;
param float g_specular_power = 256.0;
param float g_TileFactor = 1.0;
param texture2D g_LenFlareTexture1;
param texture2D g_LenFlareTexture2;
param texture2D g_LenFlareTexture3;
param texture2D g_LenFlareTexture4;
param float2 g_LenToScreenCenterDirOffset = 0.0, 0.0;

technique RenderLenFlare {
    pass Flare1 {
        vertex = Common, Flare1, FlareVertex;
        fragment = Common, Flare1, FlarePixel;
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = One;
        CullMode = None;
    }
    pass Flare2 {
        vertex = Common, Flare2, FlareVertex;
        fragment = Common, Flare2, FlarePixel;
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = One;
        CullMode = None;
    }
    pass Flare3 {
        vertex = Common, Flare3, FlareVertex;
        fragment = Common, Flare3, FlarePixel;
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = One;
        CullMode = None;
    }
    pass Flare4 {
        vertex = Common, Flare4, FlareVertex;
        fragment = Common, Flare4, FlarePixel;
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = One;
        CullMode = None;
    }
}

glsl Common {{
// Light 0 as the engine keeps it: Direct3D light types 1 point, 2 spot, 3 directional; m_falloff
// holds Falloff, Attenuation0 and Attenuation1; a range of 0 or less reaches everywhere.
vec3 SafeNormalize(vec3 v, vec3 otherwise) {
    float length2 = dot(v, v);
    return length2 > 1e-12 ? v * inversesqrt(length2) : otherwise;
}

vec3 EyePosition() { return ViewInverse[3].xyz; }

vec3 ToLight(vec3 position, out float strength) {
    strength = 0.0;
    if (g_light.m_type == 3) {
        strength = 1.0;
        return -SafeNormalize(g_light.m_dir, vec3(0.0, -1.0, 0.0));
    }
    vec3 delta = g_light.m_pos - position;
    float distance = length(delta);
    vec3 direction = SafeNormalize(delta, vec3(0.0, 1.0, 0.0));
    if ((g_light.m_type == 1 || g_light.m_type == 2) && (g_light.m_range <= 0.0 || distance <= g_light.m_range)) {
        float attenuation = g_light.m_falloff.y + g_light.m_falloff.z * distance;
        strength = attenuation > 1e-4 ? min(1.0 / attenuation, 1.0) : 1.0;
        if (g_light.m_type == 2) {
            float cone = max(dot(-direction, SafeNormalize(g_light.m_dir, -direction)), 0.0);
            strength *= pow(cone, max(g_light.m_falloff.x, 1.0));
        }
    }
    return direction;
}

// Ambient plus Lambert diffuse on the albedo, Blinn-Phong specular masked by the specular map.
vec3 Lit(vec3 albedo, vec3 specularMask, vec3 normal, vec3 position) {
    float strength;
    vec3 toLight = ToLight(position, strength);
    vec3 toEye = SafeNormalize(EyePosition() - position, normal);
    float diffuse = max(dot(normal, toLight), 0.0) * strength;
    float specular = 0.0;
    if (diffuse > 0.0) {
        vec3 halfway = SafeNormalize(toLight + toEye, normal);
        specular = pow(max(dot(normal, halfway), 0.0), max(g_specular_power, 1.0)) * strength;
    }
    vec3 colour = albedo * (g_MaterialAmbient.rgb * g_light.m_ambient.rgb +
                            g_MaterialDiffuse.rgb * g_light.m_diffuse.rgb * diffuse);
    return colour + specularMask * g_MaterialSpecular.rgb * g_light.m_specular.rgb * specular;
}

// Linear fog from g_fogstart to g_fogend, thickened by g_fogdensity past the start; the fog
// colour's alpha is its strength (0 turns fog off).
vec3 Fogged(vec3 colour, float distance) {
    float span = g_fogend - g_fogstart;
    float linear = span > 0.0 ? clamp((g_fogend - distance) / span, 0.0, 1.0) : 1.0;
    float thick = exp(-max(g_fogdensity, 0.0) * max(distance - g_fogstart, 0.0));
    return mix(colour, g_fogcolor.rgb, (1.0 - linear * thick) * clamp(g_fogcolor.a, 0.0, 1.0));
}

// A slot without a texture samples as `missing` rather than black.
vec4 SampleOr(sampler2D map, bool bound, vec2 uv, vec4 missing) { return bound ? texture(map, uv) : missing; }
}}

glsl Flare1 {{
#define FLARE_TEXTURE g_LenFlareTexture1
#define FLARE_BOUND tk_Bound_g_LenFlareTexture1
const float kAlong = 0.0;
const float kSize = 0.42;
const vec3 kTint = vec3(1.0, 0.95, 0.8);
}}

glsl Flare2 {{
#define FLARE_TEXTURE g_LenFlareTexture2
#define FLARE_BOUND tk_Bound_g_LenFlareTexture2
const float kAlong = 0.45;
const float kSize = 0.14;
const vec3 kTint = vec3(0.7, 0.9, 1.0);
}}

glsl Flare3 {{
#define FLARE_TEXTURE g_LenFlareTexture3
#define FLARE_BOUND tk_Bound_g_LenFlareTexture3
const float kAlong = 1.0;
const float kSize = 0.22;
const vec3 kTint = vec3(1.0, 0.75, 0.55);
}}

glsl Flare4 {{
#define FLARE_TEXTURE g_LenFlareTexture4
#define FLARE_BOUND tk_Bound_g_LenFlareTexture4
const float kAlong = 1.55;
const float kSize = 0.09;
const vec3 kTint = vec3(0.8, 1.0, 0.8);
}}

glsl FlareVertex {{
out vec2 v_uv;
out float v_fade;
void main() {
    vec4 source = WorldViewProjection * vec4(0.0, 0.0, 0.0, 1.0);
    v_uv = tk_TexCoord;
    if (source.w <= 1e-4) {
        // Behind the camera: the glow is placed before the near plane and cut.
        v_fade = 0.0;
        gl_Position = vec4(0.0, 0.0, -1.0, 1.0);
        return;
    }
    vec2 onScreen = source.xy / source.w;
    float outside = max(abs(onScreen.x), abs(onScreen.y));
    v_fade = clamp(1.2 - outside, 0.0, 1.0) * clamp(1.0 - 0.35 * length(onScreen), 0.0, 1.0);
    vec2 centre = onScreen + g_LenToScreenCenterDirOffset * kAlong;
    // Corners of the unit quad, kept round on the usual 4:3 screen.
    gl_Position = vec4(centre + tk_Position.xy * kSize * vec2(0.75, 1.0) * 2.0, 0.0, 1.0);
}
}}

glsl FlarePixel {{
in vec2 v_uv;
in float v_fade;
void main() {
    float disc = 1.0 - smoothstep(0.0, 0.5, length(v_uv - 0.5));
    vec4 glow = SampleOr(FLARE_TEXTURE, FLARE_BOUND, v_uv, vec4(vec3(1.0), disc * disc));
    tk_FragColor = vec4(glow.rgb * kTint, glow.a * v_fade);
}
}}
