// The river. RenderPlanarWaveWater moves its grid with the two directional waves of g_Waves and a
// finer ripple (g_WaveAmp, g_WaveFreq) and mixes the reflection and refraction maps, drawn this
// frame from the same camera, by a fresnel term; RenderPlanarWater does the same on a flat quad
// with g_BumpScale; RenderSplineWater, which has no maps, reflects the environment cube and lets
// the bed show through by g_WaterAlpha. Two normal-map layers drifting by g_BumpSpeed ripple the
// surface, distort the map lookups and catch the highlight of light 0. Fog last. Vertices are
// placed with the unit's WorldViewProjection (a reflected view in the water pass); the device adds
// the clip distances of the planes it has on. The river covers much of the frame: what varies
// slowly over a cell, the fog, the body colour and the way to the light, is worked out at the
// vertices; the ripples, the fresnel term and the highlight stay per pixel.

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
param float g_BumpHeight = 0.5;
param float g_ReflectionUVDistortion = 0.03;
param float g_WaterBlendWeight = 0.35;
param float g_HDRMultiplier = 1.0;
param float2 g_TextureScale = 8.0, 8.0;
param float2 g_BumpSpeed = 0.02, 0.015;
param float g_FresnelBias = 0.1;
param float g_FresnelPower = 4.0;
param float4 g_ShallowWaterColor = 0.12, 0.42, 0.4, 1.0;
param float4 g_DeepWaterColor = 0.02, 0.15, 0.2, 1.0;
param float g_WaveAmp = 0.0;
param float g_WaveFreq = 0.0;
param struct g_Waves[2] {
    float m_freq;
    float m_amp;
    float m_phase;
    float2 m_dir;
};
param texture2D g_NormalMap;
param texture2D g_ReflectionMap;
param texture2D g_RefractionMap;
param float g_WaterAlpha = 0.85;
param textureCUBE g_CubeMap;
param float g_BumpScale = 0.5;

technique RenderPlanarWaveWater {
    pass P0 {
        vertex = Common, Surface, VertexShading, WaveVertex;
        fragment = Common, Surface, Ripples, Planar;
        ZEnable = true;
        ZWriteEnable = true;
        AlphaBlendEnable = false;
    }
}

technique RenderSplineWater {
    pass P0 {
        vertex = Common, Surface, VertexShading, WaveVertex;
        fragment = Common, Surface, Ripples, Spline;
        ZEnable = true;
        ZWriteEnable = true;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
    }
}

technique RenderPlanarWater {
    pass P0 {
        vertex = Common, Surface, VertexShading, FlatVertex;
        fragment = Common, Surface, Ripples, Flat;
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

glsl Surface {{
// The water's own frame in the world: x and z of the unit, the normal given by the waves.
vec3 WorldAxis(int axis) { return SafeNormalize(mat3(World)[axis], axis == 0 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 0.0, 1.0)); }
}}

glsl VertexShading {{
// The water's axes are the unit's, the same for the whole draw: worked out once a vertex, not
// once a pixel, and handed on unchanged.
flat out vec3 v_axisX;
flat out vec3 v_axisZ;
out vec3 v_body;
out float v_fog;
out vec3 v_toLight;
out float v_lightStrength;

// The water's body colour, deep where it is seen from above and shallow at a glance, the fog
// and the light, at a vertex of the surface at `world` with the surface normal `normal`.
void ShadeVertex(vec3 world, vec3 normal) {
    vec3 toEye = SafeNormalize(EyePosition() - world, normal);
    float facing = max(dot(normal, toEye), 0.0);
    v_body = mix(g_DeepWaterColor.rgb, g_ShallowWaterColor.rgb, sqrt(facing));
    v_fog = FogAmount(length(EyePosition() - world));
    v_toLight = ToLight(world, v_lightStrength);
    v_axisX = WorldAxis(0);
    v_axisZ = WorldAxis(2);
}
}}

glsl WaveVertex {{
out vec3 v_position;
out vec3 v_normal;
out vec2 v_uv;
out vec4 v_clip;

// Height above the rest surface at a world position, and its slope along x and z.
float Height(vec2 at, out vec2 slope) {
    float height = 0.0;
    slope = vec2(0.0);
    for (int i = 0; i < 2; ++i) {
        vec2 direction = SafeNormalize(vec3(g_Waves[i].m_dir, 0.0), vec3(1.0, 0.0, 0.0)).xy;
        float phase = g_Waves[i].m_freq * dot(direction, at) + g_Waves[i].m_phase * g_time;
        height += g_Waves[i].m_amp * sin(phase);
        slope += g_Waves[i].m_amp * g_Waves[i].m_freq * cos(phase) * direction;
    }
    vec2 ripple = at * g_WaveFreq + vec2(1.7, 1.1) * g_time;
    height += g_WaveAmp * sin(ripple.x) * cos(ripple.y);
    slope += g_WaveAmp * g_WaveFreq * vec2(cos(ripple.x) * cos(ripple.y), -sin(ripple.x) * sin(ripple.y));
    return height;
}

void main() {
    vec4 rest = World * vec4(tk_Position, 1.0);
    vec2 slope;
    float height = Height(rest.xz, slope);
    // The lift is made in the unit's own space so that the reflected view still places it.
    vec3 local = tk_Position + inverse(mat3(World)) * vec3(0.0, height, 0.0);
    vec4 world = World * vec4(local, 1.0);
    vec3 up = SafeNormalize(mat3(WorldInverseTranspose) * tk_Normal, vec3(0.0, 1.0, 0.0));
    v_normal = SafeNormalize(up - WorldAxis(0) * slope.x - WorldAxis(2) * slope.y, up);
    v_position = world.xyz;
    v_uv = tk_TexCoord;
    ShadeVertex(world.xyz, v_normal);
    gl_Position = WorldViewProjection * vec4(local, 1.0);
    v_clip = gl_Position;
}
}}

glsl FlatVertex {{
out vec3 v_position;
out vec3 v_normal;
out vec2 v_uv;
out vec4 v_clip;
void main() {
    vec4 world = World * vec4(tk_Position, 1.0);
    // The quad's builder may leave its normals zero: the unit's up stands in.
    vec3 normal = dot(tk_Normal, tk_Normal) > 1e-8 ? tk_Normal : vec3(0.0, 1.0, 0.0);
    v_normal = SafeNormalize(mat3(WorldInverseTranspose) * normal, vec3(0.0, 1.0, 0.0));
    v_position = world.xyz;
    v_uv = tk_TexCoord;
    ShadeVertex(world.xyz, v_normal);
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
    v_clip = gl_Position;
}
}}

glsl Ripples {{
flat in vec3 v_axisX;
flat in vec3 v_axisZ;
in vec3 v_position;
in vec3 v_normal;
in vec2 v_uv;
in vec4 v_clip;
in vec3 v_body;
in float v_fog;
in vec3 v_toLight;
in float v_lightStrength;

// Two layers of the normal map drifting apart, bent by `strength`, in the water's frame.
vec3 RippledNormal(float strength) {
    vec2 uv = v_uv * g_TextureScale;
    vec2 drift = g_BumpSpeed * g_time;
    vec3 first = SampleOr(g_NormalMap, tk_Bound_g_NormalMap, uv + drift, vec4(0.5, 0.5, 1.0, 1.0)).xyz * 2.0 - 1.0;
    vec3 second = SampleOr(g_NormalMap, tk_Bound_g_NormalMap, uv * 0.73 - drift * 1.31 + vec2(0.37, 0.61), vec4(0.5, 0.5, 1.0, 1.0)).xyz * 2.0 - 1.0;
    vec3 bump = first + second;
    bump.xy *= strength;
    vec3 normal = SafeNormalize(v_normal, vec3(0.0, 1.0, 0.0));
    return SafeNormalize(v_axisX * bump.x + v_axisZ * bump.y + normal * bump.z, normal);
}

// Where this pixel lies in the reflection and refraction maps: they cover the screen.
vec2 ScreenUv() {
    vec2 ndc = v_clip.xy / max(v_clip.w, 1e-5);
    return vec2(0.5 + 0.5 * ndc.x, 0.5 - 0.5 * ndc.y);
}

vec2 Inside(vec2 uv) { return clamp(uv, vec2(0.002), vec2(0.998)); }

float Fresnel(vec3 normal, vec3 toEye) {
    float facing = max(dot(normal, toEye), 0.0);
    return clamp(g_FresnelBias + (1.0 - g_FresnelBias) * pow(1.0 - facing, max(g_FresnelPower, 0.0)), 0.0, 1.0);
}

// How squarely the surface faces the half-way direction between the eye and light 0.
float Facing(vec3 normal, vec3 toEye) {
    vec3 toLight = SafeNormalize(v_toLight, vec3(0.0, 1.0, 0.0));
    return max(dot(normal, SafeNormalize(toLight + toEye, normal)), 0.0);
}

vec3 GlintOf(float highlight) { return g_MaterialSpecular.rgb * g_light.m_specular.rgb * highlight * v_lightStrength; }

vec3 Glint(vec3 normal, vec3 toEye) { return GlintOf(pow(Facing(normal, toEye), max(g_specular_power, 1.0))); }

// Reflection and refraction maps mixed by fresnel over the water's body colour.
vec4 Mapped(float strength) {
    vec3 normal = RippledNormal(strength);
    vec3 toEye = SafeNormalize(EyePosition() - v_position, normal);
    vec2 screen = ScreenUv();
    vec2 distortion = normal.xz * g_ReflectionUVDistortion;
    vec3 body = v_body;
    vec3 reflection = SampleOr(g_ReflectionMap, tk_Bound_g_ReflectionMap, Inside(screen + distortion), vec4(g_fogcolor.rgb, 1.0)).rgb * g_HDRMultiplier;
    vec3 refraction = SampleOr(g_RefractionMap, tk_Bound_g_RefractionMap, Inside(screen - distortion), vec4(body, 1.0)).rgb;
    vec3 below = mix(refraction, body, clamp(g_WaterBlendWeight, 0.0, 1.0));
    vec3 colour = mix(below, reflection, Fresnel(normal, toEye)) + Glint(normal, toEye);
    return vec4(mix(colour, g_fogcolor.rgb, v_fog), 1.0);
}
}}

glsl Planar {{
void main() { tk_FragColor = Mapped(g_BumpHeight); }
}}

glsl Flat {{
void main() { tk_FragColor = Mapped(g_BumpScale); }
}}

glsl Spline {{
void main() {
    vec3 normal = RippledNormal(g_BumpHeight);
    vec3 toEye = SafeNormalize(EyePosition() - v_position, normal);
    vec3 around = reflect(-toEye, normal);
    vec3 sky = tk_Bound_g_CubeMap ? texture(g_CubeMap, around).rgb : g_fogcolor.rgb;
    float fresnel = Fresnel(normal, toEye);
    vec3 body = mix(v_body, g_ShallowWaterColor.rgb, 0.25 * clamp(g_WaterBlendWeight, 0.0, 1.0));
    // The river's material has the power 256 (see the engine's spline water): eight squarings
    // instead of a power's two polynomials, on every pixel of the river.
    float highlight = Facing(normal, toEye);
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    vec3 colour = mix(body, sky * g_HDRMultiplier, fresnel) + GlintOf(highlight);
    tk_FragColor = vec4(mix(colour, g_fogcolor.rgb, v_fog), clamp(mix(g_WaterAlpha, 1.0, fresnel), 0.0, 1.0));
}
}}
