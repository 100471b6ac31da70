// Vertex-coloured geometry through one pass: the device benchmark's effect.
param float4x4 WorldViewProjection : WorldViewProjection;

technique VertexColour {
    pass P0 {
        vertex = VS;
        fragment = PS;
        ZEnable = true;
        CullMode = None;
    }
}

glsl VS {{
out vec4 v_colour;
void main() {
    v_colour = tk_Color;
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl PS {{
in vec4 v_colour;
void main() {
    tk_FragColor = v_colour;
}
}}
