// The example shader of the README: a color and a switch.
cbuffer Material : register(b0)
{
    float4 Color;
    bool UseTexture;
};

Texture2D Diffuse : register(t0);
SamplerState Linear : register(s0);

float4 main(float2 uv : TEXCOORD0) : SV_Target
{
    float4 c = Color;
    if (UseTexture)
        c = c * Diffuse.Sample(Linear, uv);
    return c;
}
