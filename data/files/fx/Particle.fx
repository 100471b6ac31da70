// Particles (splashes, spray, steam, smoke): the texture of each quad times the colour of its
// particle, alpha included, blended over the scene without writing depth; fog fades them into the
// fog colour. Vertices are placed with the unit's WorldViewProjection (a reflected view in the
// water pass); the device adds the clip distances of the planes it has on.

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
param texture2D g_ParticleTexture;

technique RenderParticle {
    pass P0 {
        vertex = Common, ParticleVertex;
        fragment = Common, Soft;
        ZEnable = true;
        ZWriteEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
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

// How much of the fog colour covers a point at this distance: linear from g_fogstart to g_fogend,
// thickened by g_fogdensity past the start; the fog colour's alpha is its strength (0: no fog).
// Worked out at the vertices: a particle's quad is small beside the fog's reach, and the spray
// lies several deep over much of the frame.
float FogAmount(float distance) {
    float span = g_fogend - g_fogstart;
    float linear = span > 0.0 ? clamp((g_fogend - distance) / span, 0.0, 1.0) : 1.0;
    float thick = exp(-max(g_fogdensity, 0.0) * max(distance - g_fogstart, 0.0));
    return (1.0 - linear * thick) * clamp(g_fogcolor.a, 0.0, 1.0);
}

// A slot without a texture samples as `missing` rather than black.
vec4 SampleOr(sampler2D map, bool bound, vec2 uv, vec4 missing) { return bound ? texture(map, uv) : missing; }
}}

glsl ParticleVertex {{
out vec2 v_uv;
out vec4 v_colour;
out float v_fog;
void main() {
    v_uv = tk_TexCoord;
    v_colour = tk_Color;
    v_fog = FogAmount(length(EyePosition() - (World * vec4(tk_Position, 1.0)).xyz));
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl Soft {{
in vec2 v_uv;
in vec4 v_colour;
in float v_fog;
void main() {
    vec4 colour = SampleOr(g_ParticleTexture, tk_Bound_g_ParticleTexture, v_uv, vec4(1.0)) * v_colour;
    tk_FragColor = vec4(mix(colour.rgb, g_fogcolor.rgb, v_fog), colour.a);
}
}}
