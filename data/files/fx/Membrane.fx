// The shimmering skin of a protective bubble: the membrane map flows over the base texture with
// g_time, a rainbow tint turns with the viewing angle, the rim glows strongest and light 0 adds a
// highlight; the result is added over the scene without writing depth. Vertices are placed with the
// unit's WorldViewProjection (a reflected view in the water pass); the device adds the clip
// distances of the planes it has on.

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
param texture2D g_Texture1;
param texture2D g_MembraneMap;

technique Membrane {
    pass P0 {
        vertex = Common, LitVertex;
        fragment = Common, Film;
        ZEnable = true;
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

glsl LitVertex {{
invariant gl_Position;
out vec3 v_position;
out vec3 v_normal;
out vec3 v_tangent;
out vec3 v_binormal;
out vec2 v_uv;
out float v_distance;
void main() {
    vec4 world = World * vec4(tk_Position, 1.0);
    v_position = world.xyz;
    v_normal = mat3(WorldInverseTranspose) * tk_Normal;
    v_tangent = mat3(World) * tk_Tangent;
    v_binormal = mat3(World) * tk_Binormal;
    v_uv = tk_TexCoord;
    v_distance = length(EyePosition() - world.xyz);
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl Film {{
in vec3 v_position;
in vec3 v_normal;
in vec3 v_tangent;
in vec3 v_binormal;
in vec2 v_uv;
in float v_distance;
void main() {
    vec3 normal = SafeNormalize(v_normal, vec3(0.0, 1.0, 0.0));
    vec3 toEye = SafeNormalize(EyePosition() - v_position, normal);
    float facing = abs(dot(normal, toEye));
    float rim = pow(1.0 - facing, 2.5);
    vec2 uv = v_uv * g_TileFactor;
    vec3 film = SampleOr(g_MembraneMap, tk_Bound_g_MembraneMap, uv + vec2(0.05, 0.031) * g_time, vec4(0.6, 0.8, 1.0, 1.0)).rgb;
    vec4 base = SampleOr(g_Texture1, tk_Bound_g_Texture1, uv, vec4(1.0));
    vec3 tint = 0.5 + 0.5 * cos(6.2831853 * (facing * 0.8 + vec3(0.0, 0.33, 0.67)) + g_time * 0.5);
    float strength;
    vec3 toLight = ToLight(v_position, strength);
    float highlight = pow(max(dot(normal, SafeNormalize(toLight + toEye, normal)), 0.0), 48.0) * strength;
    vec3 colour = base.rgb * film * mix(vec3(1.0), tint, 0.35) * (0.35 + 1.4 * rim) * g_MaterialDiffuse.rgb;
    colour += g_light.m_specular.rgb * highlight;
    float alpha = clamp(0.15 + 0.85 * rim, 0.0, 1.0) * base.a * g_MaterialDiffuse.a;
    tk_FragColor = vec4(Fogged(colour, v_distance), alpha);
}
}}
