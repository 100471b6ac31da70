// The depth pass before the frame: every unit is drawn through this file with the technique of its
// batch, writing depth only, so that the colour passes after it shade each pixel once. Units whose
// shape moves on the GPU (water, flags), cut out by alpha or seen through (billboards, particles,
// flares, membranes, the sky) write nothing here and are drawn as usual later. Vertices are placed
// with the unit's WorldViewProjection (a reflected view in the water pass); the device adds the
// clip distances of the planes it has on.

param float4x4 World : World;
param float4x4 WorldView : WorldView;
param float4x4 WorldViewProjection : WorldViewProjection;
param float4x4 WorldInverseTranspose : WorldInverseTranspose;
param float4 g_MaterialAmbient = 1.0, 1.0, 1.0, 1.0;
param float4 g_MaterialDiffuse = 1.0, 1.0, 1.0, 1.0;
param float4 g_MaterialSpecular = 0.0, 0.0, 0.0, 0.0;
param float g_specular_power = 256.0;
param float g_TileFactor = 1.0;

technique PreZRender {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique TextureMapping {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderTerrain {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique NormalMapping {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique ParallaxMapping {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique CartoonShading {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique TextureMappingNoLight {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = true;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderSkybox {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderPlanarWaveWater {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderSplineWater {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderPlanarWater {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderBillboard {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderParticle {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderLenFlare {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique RenderFlag {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

technique Membrane {
    pass P0 {
        vertex = Depth;
        fragment = Nothing;
        ZEnable = true;
        ZWriteEnable = false;
        ColorWriteEnable = 0;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
    }
}

glsl Depth {{
invariant gl_Position;
void main() { gl_Position = WorldViewProjection * vec4(tk_Position, 1.0); }
}}

glsl Nothing {{
void main() { tk_FragColor = vec4(0.0); }
}}
