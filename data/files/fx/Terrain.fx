// The river banks: three base textures, tiled by g_TileFactor, mixed by the red, green and blue of
// the untiled blend map g_TerrainBlend (no blend map: the first base alone), lit by the ambient
// and diffuse light of light 0, then fog. Vertices are placed with the unit's WorldViewProjection
// (a reflected view in the water pass); the device adds the clip distances of the planes it has
// on. The banks fill much of the frame on a software renderer's budget: the light and the fog,
// which vary slowly over a cell of the grid, are worked out at the vertices, and the ground is
// matte (a terrain has no material, so its specular colour is black, and a highlight masked by
// g_SpecularMap would cost a branch and a lookup per pixel for nothing: both pass in the
// software renderer whether taken or not).

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
param texture2D g_TerrainBase1;
param texture2D g_TerrainBase2;
param texture2D g_TerrainBase3;
param texture2D g_TerrainBlend;
param texture2D g_SpecularMap;

technique RenderTerrain {
    pass P0 {
        vertex = Common, LitVertex;
        fragment = Common, Blend;
        ZEnable = true;
        ZWriteEnable = true;
        AlphaBlendEnable = false;
    }
}

// Ground wholly past the fog's end, where the fog gives its own colour whatever lies under it:
// placed as RenderTerrain places it (the same depth), nothing sampled.
technique RenderFoggedTerrain {
    pass P0 {
        vertex = Common, PlainVertex;
        fragment = Common, FogColour;
        ZEnable = true;
        ZWriteEnable = true;
        AlphaBlendEnable = false;
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

// Ambient plus Lambert diffuse, the light the albedo is multiplied by.
vec3 Diffuse(vec3 normal, vec3 position) {
    float strength;
    vec3 toLight = ToLight(position, strength);
    float diffuse = max(dot(normal, toLight), 0.0) * strength;
    return g_MaterialAmbient.rgb * g_light.m_ambient.rgb + g_MaterialDiffuse.rgb * g_light.m_diffuse.rgb * diffuse;
}

// How much of the fog colour covers a point at this distance: linear from g_fogstart to g_fogend,
// thickened by g_fogdensity past the start; the fog colour's alpha is its strength (0: no fog).
float FogAmount(float distance) {
    float span = g_fogend - g_fogstart;
    float linear = span > 0.0 ? clamp((g_fogend - distance) / span, 0.0, 1.0) : 1.0;
    float thick = exp(-max(g_fogdensity, 0.0) * max(distance - g_fogstart, 0.0));
    return (1.0 - linear * thick) * clamp(g_fogcolor.a, 0.0, 1.0);
}

// A slot without a texture samples as `missing` rather than black.
vec4 SampleOr(sampler2D map, bool bound, vec2 uv, vec4 missing) { return bound ? texture(map, uv) : missing; }
}}

glsl LitVertex {{
invariant gl_Position;
out vec2 v_uv;
out vec3 v_diffuse;
out float v_fog;
void main() {
    vec4 world = World * vec4(tk_Position, 1.0);
    v_uv = tk_TexCoord;
    v_diffuse = Diffuse(SafeNormalize(mat3(WorldInverseTranspose) * tk_Normal, vec3(0.0, 1.0, 0.0)), world.xyz);
    v_fog = FogAmount(length(EyePosition() - world.xyz));
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl PlainVertex {{
invariant gl_Position;
void main() { gl_Position = WorldViewProjection * vec4(tk_Position, 1.0); }
}}

glsl FogColour {{
void main() { tk_FragColor = vec4(g_fogcolor.rgb, 1.0); }
}}

glsl Blend {{
in vec2 v_uv;
in vec3 v_diffuse;
in float v_fog;
void main() {
    vec2 tiled = v_uv * g_TileFactor;
    vec3 weights = SampleOr(g_TerrainBlend, tk_Bound_g_TerrainBlend, v_uv, vec4(1.0, 0.0, 0.0, 1.0)).rgb;
    float total = weights.r + weights.g + weights.b;
    weights = total > 1e-3 ? weights / total : vec3(1.0, 0.0, 0.0);
    vec3 base = SampleOr(g_TerrainBase1, tk_Bound_g_TerrainBase1, tiled, vec4(1.0)).rgb * weights.r +
                SampleOr(g_TerrainBase2, tk_Bound_g_TerrainBase2, tiled, vec4(1.0)).rgb * weights.g +
                SampleOr(g_TerrainBase3, tk_Bound_g_TerrainBase3, tiled, vec4(1.0)).rgb * weights.b;
    vec3 colour = base * v_diffuse;
    tk_FragColor = vec4(mix(colour, g_fogcolor.rgb, v_fog), 1.0);
}
}}
