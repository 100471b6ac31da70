// The fragment code does not compile: the error is on line 17 of this file.
param float4x4 WorldViewProjection : WorldViewProjection;

technique Broken {
    pass P0 { vertex = VS; fragment = PS; }
}

glsl VS {{
void main() {
    gl_Position = WorldViewProjection * vec4(tk_Position, 1.0);
}
}}

glsl PS {{
void main() {
    vec4 colour = vec4(1.0);
    tk_FragColor = colour * undeclared_name;
}
}}
