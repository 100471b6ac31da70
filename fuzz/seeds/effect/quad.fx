// A textured quad whose texture alpha blends it over the target; one shared colour scale.
shared param float4 g_ColourScale = 1.0, 1.0, 1.0, 1.0;
param float4x4 WorldViewProjection : WorldViewProjection;
param texture2D g_Texture1;
param struct g_light { int m_type; float3 m_pos; float4 m_diffuse; };
param struct g_Waves[2] { float m_freq; float2 m_dir; };

technique Blend {
    pass P0 {
        vertex = Shared, VS;
        fragment = Shared, PS;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        CullMode = CCW;
        ZEnable = false;
    }
}

technique Opaque {
    pass P0 {
        vertex = Shared, VS;
        fragment = Shared, PS;
        AlphaBlendEnable = false;
    }
    pass P1 {
        vertex = Shared, VS;
        fragment = Shared, PS;
        ZWriteEnable = false;
    }
}

// Texture alpha is 128: the first pass keeps nothing, the second draws the texture opaque.
technique AlphaTested {
    pass Refused {
        vertex = Shared, VS;
        fragment = Shared, PS;
        AlphaBlendEnable = false;
        AlphaTestEnable = true;
        AlphaFunc = Greater;
        AlphaRef = 200;
        ZEnable = false;
    }
    pass Kept {
        vertex = Shared, VS;
        fragment = Shared, PS;
        AlphaBlendEnable = false;
        AlphaTestEnable = true;
        AlphaFunc = GreaterEqual;
        AlphaRef = 100;
        ZEnable = false;
    }
}

glsl Shared {{
// nothing shared yet
}}

glsl VS {{
out vec2 v_uv;
void main() {
    v_uv = tk_TexCoord;
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl PS {{
in vec2 v_uv;
void main() {
    tk_FragColor = texture(g_Texture1, v_uv) * g_ColourScale;
}
}}
