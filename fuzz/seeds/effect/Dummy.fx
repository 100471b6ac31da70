// The carrier of the parameters every effect of the pool shares: camera matrices, light 0, fog
// and time. Written once per frame; effects that read them declare them shared the same way.
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
