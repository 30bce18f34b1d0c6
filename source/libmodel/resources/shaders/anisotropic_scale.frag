#version 120

// Coverage of one stroke fragment: the pen's softness curve across the
// stroke, anti-aliasing at the edge, and for the pencil the paper grain.

uniform sampler1D curve_softness;  // red: softness, green: grain opacity
uniform sampler2D paper_texture;   // red: paper grain, green: pen grain
uniform vec2 paper_texture_offset;
uniform vec2 paper_texture_size;
uniform float renderScale;
uniform float feather;
uniform int pen_type;              // 0 is the pencil

varying float opacity;
varying float radius;
varying vec2 normal;

vec4 curve(float position)
{
    return texture1D(curve_softness, position);
}

void main()
{
    float centreDistance = length(normal) * (radius + feather);
    float edgeDistance = radius - centreDistance;
    bool pencil = pen_type == 0;

    vec2 texCoord = vec2((paper_texture_offset.x + gl_FragCoord.x) / renderScale,
                         (paper_texture_offset.y - gl_FragCoord.y) / renderScale)
        / paper_texture_size;

    // Where to read the curve across the stroke (red) and for the grain
    // (green). The textures are sampled outside any branch so that their
    // level of detail is always well defined.
    float softPosition;
    float grainPosition;
    if (radius <= max(renderScale, feather)) {
        // A hairline: no room for a profile across it.
        softPosition = 0.5;
        grainPosition = 1.5 - pow(max(radius, 0.0), 0.25);
    } else {
        float outer = edgeDistance + feather;
        float outerRadius = radius + feather;
        float maximumSpread = 8.0 * renderScale;
        float minimumSpread = 3.0 * renderScale;
        if (outerRadius >= maximumSpread) {
            float p = max(0.0, 4.0 / max(outer, 1e-6));
            grainPosition = clamp(1.0 - pow(max(outer / outerRadius, 0.0), p), 0.0, 1.0);
        } else if (outerRadius <= minimumSpread) {
            grainPosition = 1.0 - outer / minimumSpread;
        } else {
            grainPosition = 1.0 - outer / outerRadius;
        }
        softPosition = centreDistance / (radius - feather);
    }
    vec4 paper = texture2D(paper_texture, texCoord);
    float softness = curve(softPosition).r;
    float grain = 1.0 - curve(grainPosition).g * paper.g;

    if (edgeDistance < -feather)
        discard;
    float antiAliasing = edgeDistance >= feather
        ? 1.0
        : min(1.0, (edgeDistance + feather) / (2.0 * feather));

    float factor = pencil ? softness * grain : softness;
    float paperFactor = pencil ? paper.r : 1.0;

    gl_FragColor = vec4(opacity * factor * antiAliasing * paperFactor);
}
