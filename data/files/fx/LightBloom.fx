// Light bloom over a screen quad: the bright parts of g_SrcMap2, blurred by the thirteen taps of
// g_TexelKernel (x, y: offset in texture coordinates, z: weight; a horizontal Gaussian unless set),
// are added to g_SrcMap1. Vertices are placed with the unit's WorldViewProjection (a reflected view
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
param texture2D g_SrcMap1;
param texture2D g_SrcMap2;
param float4 g_TexelKernel[13] =
    -0.005859375, 0.0, 0.01854, 0.0,
    -0.0048828125, 0.0, 0.03417, 0.0,
    -0.00390625, 0.0, 0.05633, 0.0,
    -0.0029296875, 0.0, 0.08311, 0.0,
    -0.001953125, 0.0, 0.10972, 0.0,
    -0.0009765625, 0.0, 0.12962, 0.0,
    0.0, 0.0, 0.13702, 0.0,
    0.0009765625, 0.0, 0.12962, 0.0,
    0.001953125, 0.0, 0.10972, 0.0,
    0.0029296875, 0.0, 0.08311, 0.0,
    0.00390625, 0.0, 0.05633, 0.0,
    0.0048828125, 0.0, 0.03417, 0.0,
    0.005859375, 0.0, 0.01854, 0.0;

technique LightBloom {
    pass P0 {
        vertex = Common, ScreenVertex;
        fragment = Common, Bloom;
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = false;
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

glsl ScreenVertex {{
out vec2 v_uv;
void main() {
    v_uv = tk_TexCoord;
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl Bloom {{
in vec2 v_uv;
void main() {
    vec3 glow = vec3(0.0);
    for (int i = 0; i < 13; ++i) {
        vec3 tap = SampleOr(g_SrcMap2, tk_Bound_g_SrcMap2, v_uv + g_TexelKernel[i].xy, vec4(0.0)).rgb;
        glow += max(tap - vec3(0.6), vec3(0.0)) * 2.5 * g_TexelKernel[i].z;
    }
    vec4 scene = SampleOr(g_SrcMap1, tk_Bound_g_SrcMap1, v_uv, vec4(0.0, 0.0, 0.0, 1.0));
    tk_FragColor = vec4(scene.rgb + glow, scene.a);
}
}}
